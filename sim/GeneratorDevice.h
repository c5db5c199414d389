#pragma once
// The simulated bus-test generator node as plain protocol code: frames in, frames out, time
// passed in. An SDO server (expedited and segmented) over the generator's object dictionary:
//   0x3000      number of send entries (0..10)
//   0x3001..0A  send entries: sub 1 identifier (2 bytes), 2 length, 3 remote flag, 4..11 data
//               bytes 0..7, 12 (2 bytes) and 13 (1 byte) kept for the operator
//   0x3010      number of receive entries (0..2)
//   0x3011..12  receive entries, the same layout; sub 13 >= 1: sub 1 holds the identifier in
//               its bit-stuffed form
//   0x3018      operating mode: 1 cyclic, 2 single trigger, 4 cyclic trigger
//   0x301A      pause between two sent frames in ms (0: back to back at the bus' pace)
//   0x301B      command: 1 start, 2 stop
// Started in mode 1 it sends its send entries one after another for ever; in mode 2 each frame
// that matches a receive entry (identifier and remote flag) is answered with the send entries
// once; in mode 4 the first matching frame starts the cyclic sending. It sends its boot-up
// at power-on and after an NMT reset. Not thread-safe: SimGenerator serialises the calls.

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "BusFrame.h"
#include "ObjectDictionary.h"
#include "SdoServer.h"

struct GeneratorOptions {
    uint8_t nodeId = 16;
    int kbit = 500;
};

// Reads "generator?node=N&kbit=K" (the "generator?" prefix is optional).
bool ParseGeneratorOptions(std::string_view text, GeneratorOptions& options, std::string& error);

// The identifier of a bit-stuffed form (the inverse of the station's conversion): drops the
// stuff bit after every five equal bits.
uint16_t UnstuffIdentifier(uint16_t stuffed);

class GeneratorDevice final : private SdoObjectAccess {
public:
    static constexpr uint64_t kNever = std::numeric_limits<uint64_t>::max();

    explicit GeneratorDevice(GeneratorOptions options);

    void PowerOn(uint64_t nowUs, std::vector<BusFrame>& out);
    void HandleFrame(const BusFrame& frame, uint64_t nowUs, std::vector<BusFrame>& out);
    void OnTime(uint64_t nowUs, std::vector<BusFrame>& out);
    uint64_t NextDueUs() const { return nextDueUs_; }

    uint8_t NodeId() const { return options_.nodeId; }
    int BitRateKbit() const { return options_.kbit; }
    bool Running() const { return running_; }
    uint64_t FramesSent() const { return sent_; }
    const ObjectDictionary& Objects() const { return od_; }

private:
    uint32_t UploadObject(uint16_t index, uint8_t sub, std::string& bytes) override;
    uint32_t BeginDownload(uint16_t index, uint8_t sub, bool sizeKnown, size_t size, size_t& capacity) override;
    uint32_t DownloadObject(uint16_t index, uint8_t sub, const std::string& bytes, bool sizeKnown) override;

    BusFrame Entry(uint16_t index) const;
    bool MatchesReceiveEntry(const BusFrame& frame) const;
    void StartSending(uint64_t nowUs, bool cyclic);
    void Stop();

    GeneratorOptions options_;
    ObjectDictionary od_;
    SdoServer sdo_;
    bool running_ = false;  // started by command 1
    bool sending_ = false;  // frames going out now
    bool cyclic_ = false;
    int nextEntry_ = 0;
    uint64_t nextDueUs_ = kNever;
    uint64_t nowUs_ = 0;
    uint64_t sent_ = 0;
};
