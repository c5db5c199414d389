#pragma once
// The station's channel to a running quarzel-sim: "[CAN_TREIBER_TYP]" simbus:PATH.

#include <memory>
#include <string>

class AbstractCanInterface;

// An interface that joins the simulator bus at `path` when the channel is opened; null with
// `error` set where the platform has no Unix-domain sockets.
std::shared_ptr<AbstractCanInterface> CreateSimBusInterface(const std::string& path, std::string& error);
