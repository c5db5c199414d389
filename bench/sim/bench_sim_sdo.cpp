// SDO expedited uploads per second from a station-side channel against the simulated encoder,
// with bus timing off and on at 1 Mbit/s, next to the limit the wire sets at that rate.

#include <cstdio>

#include "CanSettings.h"
#include "SimBytes.h"
#include "SimEncoder.h"
#include "TimeSource.h"
#include "VirtualCanInterface.h"
#include "VirtualTimeSource.h"

namespace {
constexpr uint64_t kRunUs = 1000000;

double UploadsPerSecond(bool busTiming) {
    auto bus = VirtualBus::Create();
    bus->SetBusTiming(busTiming);
    EncoderOptions options;
    options.kbit = 1000;
    SimEncoder encoder(bus, options);
    VirtualCanInterface station(bus, "station");
    DefaultCanSettings().SetVariable("Baudr", 0);  // 1000 kbit/s
    if (!station.Init()) return 0;
    TimeSource& clock = CurrentTimeSource();
    const CanIdRange answer{0x581, 0x581};
    uint64_t done = 0;
    const uint64_t start = clock.NowUs();
    while (clock.NowUs() - start < kRunUs) {
        tagOPEN_Message request;
        request.id = 0x601;
        request.dlc = 8;
        request.data = {0x40, 0x04, 0x60, 0x00, 0, 0, 0, 0};
        station.Write(&request);
        tagOPEN_Message reply;
        if (station.CanReadWait(100, &answer, &reply) == CAN_RESULT_ONE) ++done;
    }
    const double seconds = static_cast<double>(clock.NowUs() - start) / 1e6;
    station.Close();
    return static_cast<double>(done) / seconds;
}

double WireLimitPerSecond() {
    const BusFrame request = MakeFrame(0x601, {0x40, 0x04, 0x60, 0x00, 0, 0, 0, 0});
    const BusFrame reply = MakeFrame(0x581, {0x43, 0x04, 0x60, 0x00, 0, 0, 0, 0});
    return 1e6 / static_cast<double>(CanFrameBitLength(request) + CanFrameBitLength(reply));
}
}  // namespace

int main() {
    std::printf("sim_sdo_uploads_timing_off: %.0f transfers/s\n", UploadsPerSecond(false));
    std::printf("sim_sdo_uploads_timing_on_1mbit: %.0f transfers/s\n", UploadsPerSecond(true));
    {
        // The same in virtual time: what the bus model allows, without the host's timer latency.
        ScopedVirtualTime vt;
        std::printf("sim_sdo_uploads_timing_on_1mbit_virtual_time: %.0f transfers/s\n", UploadsPerSecond(true));
    }
    std::printf("sim_sdo_uploads_wire_limit_1mbit: %.0f transfers/s\n", WireLimitPerSecond());
    return 0;
}
