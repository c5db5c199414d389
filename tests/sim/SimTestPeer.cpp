// A second process on the simulator bus for the tests: connects to the socket given as its
// argument, sends frame 0x100 (01 02 03), waits for one frame and prints its identifier.

#include <cstdio>
#include <string>

#include "RawBusClient.h"
#include "SimBytes.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: sim_test_peer SOCKET\n");
        return 2;
    }
    RawBusClient client(argv[1]);
    if (!client.Connected()) {
        std::fprintf(stderr, "%s\n", client.Error().c_str());
        return 1;
    }
    client.SendBytes(SimBusNameMessage("peer"));
    client.SendFrame(MakeFrame(0x100, {1, 2, 3}));
    const auto f = client.Receive(10000);
    if (!f) return 1;
    std::printf("%03X\n", f->id);
    return 0;
}
