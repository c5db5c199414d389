#include "SimBusClient.h"

std::shared_ptr<AbstractCanInterface> CreateSimBusInterface(const std::string& path, std::string& error) {
    error = "The simulator bus (" + path + ") needs Unix-domain sockets, which this platform does not offer";
    return nullptr;
}
