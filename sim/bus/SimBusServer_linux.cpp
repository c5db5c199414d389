#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <vector>

#include "SimBusProtocol.h"
#include "SimBusServer.h"
#include "UnixSeqPacket.h"

namespace {
constexpr size_t kReceiveBytes = 256;      // larger packets are reported as invalid
constexpr int kPacketsPerTurn = 64;        // per client and poll round, for fairness
constexpr int kClientSendBuffer = 1 << 20;

struct Client {
    int id = 0;
    std::string name;
    std::shared_ptr<VirtualEndpoint> endpoint;
    std::mutex mutex;  // guards fd against the bus threads that send to it
    int fd = -1;
    std::atomic<uint64_t> dropped{0};

    void Send(const BusFrame& f) {
        const auto packet = EncodeSimBusFrame(f);
        std::lock_guard lock(mutex);
        if (fd < 0) return;
        if (send(fd, packet.data(), packet.size(), MSG_DONTWAIT | MSG_NOSIGNAL) != static_cast<ssize_t>(packet.size()))
            ++dropped;
    }
};
}  // namespace

struct SimBusServer::Impl {
    std::shared_ptr<VirtualBus> bus;
    Options options;
    LogFn log;
    int listenFd = -1;
    std::atomic<int> wakeWrite{-1};
    int wakeRead = -1;
    std::atomic<bool> stopping{false};
    bool bound = false;
    mutable std::mutex clientsMutex;
    std::vector<std::shared_ptr<Client>> clients;
    int nextId = 1;
    std::atomic<uint64_t> rejected{0};
    std::atomic<uint64_t> droppedOfGone{0};

    void Log(const std::string& line) {
        if (log) log(line);
    }
    void Accept();
    void AddClient(int fd);
    // False when the client is gone.
    bool Serve(Client& c);
    void Remove(const std::shared_ptr<Client>& c, const std::string& why);
    void Shutdown();
};

SimBusServer::SimBusServer(std::shared_ptr<VirtualBus> bus, Options options, LogFn log)
    : impl_(std::make_unique<Impl>()) {
    impl_->bus = std::move(bus);
    impl_->options = std::move(options);
    impl_->log = std::move(log);
}

SimBusServer::~SimBusServer() {
    Stop();
    impl_->Shutdown();
}

bool SimBusServer::Start(std::string& error) {
    if (impl_->listenFd >= 0) return true;
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = "cannot create the wake-up pipe";
        return false;
    }
    impl_->listenFd = ListenSeqPacket(impl_->options.path, error);
    if (impl_->listenFd < 0) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        return false;
    }
    fcntl(impl_->listenFd, F_SETFL, fcntl(impl_->listenFd, F_GETFL) | O_NONBLOCK);
    impl_->bound = true;
    impl_->wakeRead = pipeFds[0];
    impl_->wakeWrite = pipeFds[1];
    return true;
}

void SimBusServer::Stop() {
    impl_->stopping = true;
    const int fd = impl_->wakeWrite.load();
    if (fd >= 0) {
        const char b = 1;
        [[maybe_unused]] ssize_t n = write(fd, &b, 1);
    }
}

size_t SimBusServer::ClientCount() const {
    std::lock_guard lock(impl_->clientsMutex);
    return impl_->clients.size();
}

uint64_t SimBusServer::RejectedPackets() const { return impl_->rejected.load(); }

uint64_t SimBusServer::DroppedFrames() const {
    std::lock_guard lock(impl_->clientsMutex);
    uint64_t n = impl_->droppedOfGone.load();
    for (const auto& c : impl_->clients) n += c->dropped.load();
    return n;
}

void SimBusServer::Run() {
    Impl& s = *impl_;
    if (s.listenFd < 0) return;
    std::vector<pollfd> fds;
    std::vector<std::shared_ptr<Client>> polled;
    while (!s.stopping) {
        fds.clear();
        polled.clear();
        fds.push_back({s.wakeRead, POLLIN, 0});
        fds.push_back({s.listenFd, POLLIN, 0});
        {
            std::lock_guard lock(s.clientsMutex);
            for (const auto& c : s.clients) {
                fds.push_back({c->fd, POLLIN, 0});
                polled.push_back(c);
            }
        }
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            s.Log("poll failed; the server stops");
            break;
        }
        if (fds[0].revents) {
            std::array<char, 64> drain;
            while (read(s.wakeRead, drain.data(), drain.size()) > 0) {
            }
        }
        if (s.stopping) break;
        if (fds[1].revents & POLLIN) s.Accept();
        for (size_t i = 0; i < polled.size(); ++i) {
            const short ev = fds[i + 2].revents;
            if (!ev) continue;
            if (ev & POLLIN) {
                if (!s.Serve(*polled[i])) s.Remove(polled[i], "disconnected");
            } else if (ev & (POLLHUP | POLLERR | POLLNVAL)) {
                s.Remove(polled[i], "disconnected");
            }
        }
    }
}

// Takes every pending connection, so that a client whose connect() has returned is on the bus
// before any frame sent after that moment is carried.
void SimBusServer::Impl::Accept() {
    for (;;) {
        const int fd = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) return;
        AddClient(fd);
    }
}

void SimBusServer::Impl::AddClient(int fd) {
    std::lock_guard lock(clientsMutex);
    if (clients.size() >= options.maxClients) {
        close(fd);
        Log("client refused: already " + std::to_string(options.maxClients) + " clients");
        return;
    }
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &kClientSendBuffer, sizeof kClientSendBuffer);
    auto c = std::make_shared<Client>();
    c->id = nextId++;
    c->fd = fd;
    c->name = "client " + std::to_string(c->id);
    c->endpoint = bus->CreateEndpoint(c->name);
    std::weak_ptr<Client> weak = c;
    c->endpoint->SetHandler([weak](const BusFrame& f) {
        if (auto client = weak.lock()) client->Send(f);
    });
    c->endpoint->Open(0);
    clients.push_back(c);
    Log(c->name + " connected");
}

bool SimBusServer::Impl::Serve(Client& c) {
    std::array<uint8_t, kReceiveBytes> buf;
    for (int turn = 0; turn < kPacketsPerTurn; ++turn) {
        const ssize_t n = recv(c.fd, buf.data(), buf.size(), MSG_DONTWAIT | MSG_TRUNC);
        if (n == 0) return false;
        if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        const size_t size = static_cast<size_t>(n);
        const SimBusPacket p = size > buf.size() ? SimBusPacket{SimBusPacket::Kind::Invalid, {}, 0, "oversized packet"}
                                                 : DecodeSimBusPacket(std::span<const uint8_t>(buf.data(), size));
        switch (p.kind) {
        case SimBusPacket::Kind::Frame:
            if (options.logFrames)
                Log(c.name + " @" + std::to_string(c.endpoint->BitRate()) + "  " + FormatFrameForLog(p.frame));
            c.endpoint->Send(p.frame);
            break;
        case SimBusPacket::Kind::BitRate:
            c.endpoint->Open(p.kbit);
            Log(c.name + " bit rate " + (p.kbit == 0 ? std::string("any") : std::to_string(p.kbit) + " kbit/s"));
            break;
        case SimBusPacket::Kind::Name:
            Log(c.name + " is \"" + p.text + "\"");
            c.name = "client " + std::to_string(c.id) + " (" + p.text + ")";
            break;
        case SimBusPacket::Kind::Invalid:
            ++rejected;
            Log(c.name + " sent an invalid packet: " + p.text);
            break;
        }
    }
    return true;
}

void SimBusServer::Impl::Remove(const std::shared_ptr<Client>& c, const std::string& why) {
    c->endpoint->SetHandler(nullptr);
    c->endpoint->Close();
    {
        std::lock_guard lock(c->mutex);
        if (c->fd >= 0) close(c->fd);
        c->fd = -1;
    }
    {
        std::lock_guard lock(clientsMutex);
        droppedOfGone += c->dropped.load();
        std::erase(clients, c);
    }
    Log(c->name + " " + why);
}

void SimBusServer::Impl::Shutdown() {
    std::vector<std::shared_ptr<Client>> all;
    {
        std::lock_guard lock(clientsMutex);
        all = clients;
    }
    for (const auto& c : all) Remove(c, "closed by the server");
    if (listenFd >= 0) close(listenFd);
    listenFd = -1;
    if (bound) unlink(options.path.c_str());
    bound = false;
    const int w = wakeWrite.exchange(-1);
    if (w >= 0) close(w);
    if (wakeRead >= 0) close(wakeRead);
    wakeRead = -1;
}
