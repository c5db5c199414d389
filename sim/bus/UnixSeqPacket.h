#pragma once
// Unix-domain SOCK_SEQPACKET sockets (Linux only; the callers are the platform files of the
// simulator bus). All descriptors are close-on-exec.

#include <string>

// Connects to `path`; -1 with `error` set on failure.
int ConnectSeqPacket(const std::string& path, std::string& error);
// Binds and listens at `path`. A stale socket left by a server that died is replaced; a live
// server or a file that is not a socket is an error. -1 with `error` set on failure.
int ListenSeqPacket(const std::string& path, std::string& error);
