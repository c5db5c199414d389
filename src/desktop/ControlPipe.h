#pragma once
// The remote-control pipe "QuarzelControl": a local server (a named pipe on Windows, a Unix
// socket on Linux that only the station's user may open) polled by the main window's timer
// `timControl`. One client is served at a time; when it disconnects, its partial message is
// forgotten and the next client is taken. See docs/remote-control.md.

#include <memory>
#include <string>

#include "ControlMessages.h"

class QLocalServer;
class QLocalSocket;

// Where the pipe is created: $QUARZEL_CONTROL_PIPE when set; on Windows "QuarzelControl"
// (\\.\pipe\QuarzelControl); elsewhere "QuarzelControl" in the user's runtime folder
// ($XDG_RUNTIME_DIR, a folder only that user can enter).
std::string DefaultControlPipeName();

class ControlPipe {
public:
    static constexpr int kPollIntervalMs = 100;

    explicit ControlPipe(std::string name = DefaultControlPipeName());
    ~ControlPipe();
    ControlPipe(const ControlPipe&) = delete;
    ControlPipe& operator=(const ControlPipe&) = delete;

    // Creates the pipe. A leftover socket of a station that has ended is replaced; the pipe of a
    // station still running, or an ordinary file at that path, is left alone (false: this
    // station stays without a pipe).
    bool Create();
    // One poll: takes a waiting client when none is connected, reads up to 80 bytes without
    // waiting and answers "OK\r" when a message is complete. Never blocks.
    void Poll();

    bool IsListening() const;
    bool HasClient() const { return client_ != nullptr; }
    // The name clients connect to (the socket path on Linux).
    std::string ServerName() const;
    size_t PendingBytes() const { return messages_.Count(); }

private:
    void DropClient();

    std::string name_;
    std::unique_ptr<QLocalServer> server_;
    QLocalSocket* client_ = nullptr;  // a child of server_
    ControlMessages messages_;
};
