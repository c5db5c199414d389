#pragma once
// The simulated CANopen encoder as plain protocol code: frames in, frames out, time passed
// in. NMT slave with boot-up, heartbeat and node guarding; SDO server; LSS slave; TPDO1
// (position) and TPDO2 (position and speed) on Sync, remote request, timer or each step of
// the shaft; emergency at boot; the production-parameter write; stored parameters.
// Not thread-safe: SimEncoder serialises the calls.

#include <cstdint>
#include <deque>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "EncoderOptions.h"
#include "FaultSwitches.h"
#include "LssSlave.h"
#include "NmtSlave.h"
#include "ObjectDictionary.h"
#include "ParameterStore.h"
#include "ProductionWrite.h"
#include "SdoServer.h"
#include "Shaft.h"
#include "TpdoProducer.h"

class EncoderDevice final : private SdoObjectAccess {
public:
    static constexpr uint64_t kNever = std::numeric_limits<uint64_t>::max();
    static constexpr size_t kMaxDelayedFrames = 4096;

    explicit EncoderDevice(EncoderOptions options);
    EncoderDevice(const EncoderDevice&) = delete;
    EncoderDevice& operator=(const EncoderDevice&) = delete;

    // Switches the device on: reads its parameter file and starts the boot.
    void PowerOn(uint64_t nowUs);
    // A frame from the bus; the answers to send now are appended to `out`.
    void HandleFrame(const BusFrame& frame, uint64_t nowUs, std::vector<BusFrame>& out);
    // Runs what is due at `nowUs` (boot-up, heartbeat, PDOs, late answers).
    void OnTime(uint64_t nowUs, std::vector<BusFrame>& out);
    // When OnTime has something to do next; kNever when nothing is scheduled.
    uint64_t NextDueUs() const;

    int BitRateKbit() const { return kbit_; }
    uint8_t NodeId() const { return nodeId_; }
    NmtState State() const { return nmt_.State(); }
    const ObjectDictionary& Objects() const { return od_; }
    const EncoderOptions& Options() const { return options_; }
    // The last problem with the parameter file (empty when none).
    const std::string& StoreError() const { return storeError_; }
    // Frames that were dropped because too many late answers were waiting.
    uint64_t DroppedLateFrames() const { return droppedLate_; }

private:
    // SdoObjectAccess
    uint32_t UploadObject(uint16_t index, uint8_t sub, std::string& bytes) override;
    uint32_t BeginDownload(uint16_t index, uint8_t sub, bool sizeKnown, size_t size, size_t& capacity) override;
    uint32_t DownloadObject(uint16_t index, uint8_t sub, const std::string& bytes, bool sizeKnown) override;

    // Frames
    void Emit(SimService service, const BusFrame& frame, std::vector<BusFrame>& out);
    void HandleNmt(NmtCommand command);
    void HandleLss(const BusFrame& frame, std::vector<BusFrame>& out);
    void HandleSync(std::vector<BusFrame>& out);
    void SendPdo(TpdoProducer& pdo, std::vector<BusFrame>& out);
    void RunPdoTimers(std::vector<BusFrame>& out);
    uint64_t PdoEventDueUs(const TpdoProducer& pdo) const;
    bool PdoOnEachStep(const TpdoProducer& pdo) const;

    // States and timers
    void StartBoot();
    void FinishBoot(std::vector<BusFrame>& out);
    void RestartHeartbeat();
    void RestartPdoTimers();
    uint32_t ErrorControlId() const { return od_.GetU32(0x2003, 0) & 0x7FF; }

    // Object dictionary (EncoderParameters.cpp)
    uint32_t ValidateWrite(const OdEntry& entry, const std::string& bytes);
    void AfterWrite(uint16_t index, uint8_t sub);
    void RefreshDynamicObjects();
    void ApplyShaftScale();
    // Loads built-in, production and stored values into the entries of [first, last].
    void LoadParameters(uint16_t first, uint16_t last);
    uint32_t ResolveNodeRelative(uint32_t value) const;
    uint32_t StoreGroup(uint8_t sub);
    uint32_t RestoreGroup(uint8_t sub);
    uint8_t StoreLssConfiguration();
    bool StoringDisabled() const;
    bool Commit(const std::map<std::string, std::string>& values);
    uint8_t ApplyProduction(const ProductionRequest& request);
    uint8_t SetProductionObject(uint16_t index, uint8_t sub, uint32_t value);
    void SetPendingNodeId(uint8_t node);
    void SetPendingBitRate(int kbit);

    EncoderOptions options_;
    ObjectDictionary od_;
    ParameterStore store_;
    std::string storeError_;
    NmtSlave nmt_;
    SdoServer sdo_;
    LssSlave lss_;
    ProductionStrings productionStrings_;
    Shaft shaft_;
    TpdoProducer tpdo1_{0x1800, 0x1A00};
    TpdoProducer tpdo2_{0x1801, 0x1A01};
    FaultFilter filter_;

    uint64_t nowUs_ = 0;
    uint64_t powerOnUs_ = 0;
    uint32_t operatingTimeBase_ = 0;  // 0x6508 at power-on, tenths of an hour
    uint8_t nodeId_ = 1;
    uint8_t pendingNodeId_ = 1;
    int kbit_ = 500;
    int pendingKbit_ = 500;

    uint64_t bootDueUs_ = kNever;
    uint64_t heartbeatDueUs_ = kNever;
    uint64_t bitSwitchDueUs_ = kNever;  // LSS activate bit timing: switch the rate
    uint64_t bitResumeDueUs_ = kNever;  // ... and take part again
    bool switchingBitRate_ = false;

    std::deque<std::pair<uint64_t, BusFrame>> delayed_;  // late answers, in time order
    uint64_t droppedLate_ = 0;
};
