#include "EncoderDevice.h"

#include <algorithm>
#include <cstdlib>

#include "CanSettings.h"
#include "EncoderObjects.h"
#include "SimBytes.h"

EncoderDevice::EncoderDevice(EncoderOptions options) : options_(std::move(options)), store_(options_.storePath) {
    AddEncoderObjects(od_, options_);
    od_.SetWriteHook([this](const OdEntry& e, const std::string& bytes) { return ValidateWrite(e, bytes); });
    sdo_.SetWrongToggle(options_.faults.sdoWrongToggle);
}

void EncoderDevice::PowerOn(uint64_t nowUs) {
    nowUs_ = nowUs;
    powerOnUs_ = nowUs;
    storeError_.clear();
    if (!store_.Load(storeError_)) {
        // An unreadable file leaves the built-in and production values in force.
    }
    nodeId_ = options_.nodeId;
    kbit_ = options_.kbit;
    if (auto v = store_.Get("node")) {
        const int n = std::atoi(v->c_str());
        if ((n >= 1 && n <= 127) || n == kLssUnconfigured) nodeId_ = static_cast<uint8_t>(n);
    }
    if (auto v = store_.Get("kbit")) {
        const int k = std::atoi(v->c_str());
        if (CanBitRateToIndex(k) >= 0) kbit_ = k;
    }
    pendingNodeId_ = nodeId_;
    pendingKbit_ = kbit_;
    shaft_.SetSpeed(options_.milliRpm, options_.forward, nowUs);
    shaft_.SetFault(options_.faults.shaft, nowUs);
    operatingTimeBase_ = 0;
    std::string bytes;
    if (auto v = store_.Get("factory.6508.00"); v && BytesFromHex(*v, bytes))
        operatingTimeBase_ = static_cast<uint32_t>(FromLeBytes(bytes));
    LoadParameters(0x1000, 0xFFFF);
    lss_.Reset();
    sdo_.Reset();
    delayed_.clear();
    switchingBitRate_ = false;
    bitSwitchDueUs_ = bitResumeDueUs_ = kNever;
    StartBoot();
}

void EncoderDevice::StartBoot() {
    nmt_.SetState(NmtState::Initialising);
    heartbeatDueUs_ = kNever;
    tpdo1_.Restart();
    tpdo2_.Restart();
    bootDueUs_ = nowUs_ + options_.bootDelayMs * 1000ull;
}

void EncoderDevice::FinishBoot(std::vector<BusFrame>& out) {
    bootDueUs_ = kNever;
    if (nodeId_ < 1 || nodeId_ > 127) return;  // no node id: only LSS until one is configured
    nmt_.SetState(NmtState::PreOperational);
    nmt_.ResetToggle();
    Emit(SimService::Boot, MakeFrame(ErrorControlId(), {0x00}), out);
    if (options_.emcyAtBoot != 0) {
        od_.SetU32(0x1001, 0, 0x01);
        const uint32_t cob = od_.GetU32(0x1014, 0);
        if (!(cob & 0x80000000u)) {
            BusFrame f = MakeFrame(cob & 0x7FF, {0, 0, 0x01, 0, 0, 0, 0, 0});
            PutLe16(f.data, 0, options_.emcyAtBoot);
            Emit(SimService::Emcy, f, out);
        }
    }
    RestartHeartbeat();
}

void EncoderDevice::RestartHeartbeat() {
    const uint32_t period = od_.GetU32(0x1017, 0);
    heartbeatDueUs_ = (period == 0 || nmt_.State() == NmtState::Initialising) ? kNever : nowUs_ + period * 1000ull;
}

void EncoderDevice::RestartPdoTimers() {
    for (TpdoProducer* p : {&tpdo1_, &tpdo2_}) {
        const uint32_t period = p->EventTimerMs(od_);
        p->cyclicDueUs = (p->Asynchronous(od_) && period > 0) ? nowUs_ + period * 1000ull : kNever;
        p->lastEventStep = shaft_.Steps(nowUs_);
    }
}

void EncoderDevice::Emit(SimService service, const BusFrame& frame, std::vector<BusFrame>& out) {
    uint32_t delayMs = 0;
    auto f = filter_.Apply(service, frame, options_.faults, delayMs);
    if (!f) return;
    if (delayMs == 0) {
        out.push_back(*f);
        return;
    }
    if (delayed_.size() >= kMaxDelayedFrames) {
        ++droppedLate_;
        return;
    }
    const uint64_t due = nowUs_ + delayMs * 1000ull;
    auto at = std::upper_bound(delayed_.begin(), delayed_.end(), due,
                               [](uint64_t t, const std::pair<uint64_t, BusFrame>& e) { return t < e.first; });
    delayed_.insert(at, {due, *f});
}

void EncoderDevice::HandleFrame(const BusFrame& f, uint64_t nowUs, std::vector<BusFrame>& out) {
    nowUs_ = nowUs;
    if (switchingBitRate_ || f.statusWord != 0) return;
    if (f.id == kLssMasterId && !f.rtr) {
        if (auto request = ParseProductionWrite(f)) {
            Emit(SimService::WProg, ProductionAck(ApplyProduction(*request)), out);
            return;
        }
        HandleLss(f, out);
        return;
    }
    if (nmt_.State() == NmtState::Initialising) return;

    const NmtCommand command = ParseNmtCommand(f, nodeId_);
    if (command != NmtCommand::None) {
        HandleNmt(command);
        return;
    }
    if (f.id == 0) return;
    const NmtState state = nmt_.State();
    if (f.rtr && f.id == ErrorControlId()) {
        if (od_.GetU32(0x1017, 0) == 0) Emit(SimService::Guard, MakeFrame(f.id, {nmt_.GuardAnswer()}), out);
        return;
    }
    if (!f.rtr && f.id == (od_.GetU32(0x1005, 0) & 0x7FF)) {
        if (state == NmtState::Operational) HandleSync(out);
        return;
    }
    if (!f.rtr && f.id == 0x600u + nodeId_) {
        if (state == NmtState::Stopped) return;
        if (auto answer = sdo_.Handle(f, *this, 0x580u + nodeId_)) Emit(SimService::Sdo, *answer, out);
        return;
    }
    if (f.rtr && state == NmtState::Operational) {
        for (TpdoProducer* p : {&tpdo1_, &tpdo2_})
            if (p->Valid(od_) && p->RemoteAllowed(od_) && f.id == p->CobId(od_)) SendPdo(*p, out);
    }
}

void EncoderDevice::HandleNmt(NmtCommand command) {
    switch (command) {
    case NmtCommand::ResetNode:
        nodeId_ = pendingNodeId_;
        kbit_ = pendingKbit_;
        sdo_.Reset();
        LoadParameters(0x1000, 0xFFFF);
        StartBoot();
        return;
    case NmtCommand::ResetCommunication:
        nodeId_ = pendingNodeId_;
        sdo_.Reset();
        LoadParameters(0x1000, 0x1FFF);
        StartBoot();
        return;
    default: {
        const NmtState before = nmt_.State();
        nmt_.Apply(command);
        if (nmt_.State() == NmtState::Operational && before != NmtState::Operational) {
            tpdo1_.Restart();
            tpdo2_.Restart();
            RestartPdoTimers();
        }
        return;
    }
    }
}

void EncoderDevice::HandleLss(const BusFrame& f, std::vector<BusFrame>& out) {
    LssContext c;
    c.identity = {od_.GetU32(0x1018, 1), od_.GetU32(0x1018, 2), od_.GetU32(0x1018, 3), od_.GetU32(0x1018, 4)};
    c.activeNodeId = nodeId_;
    c.pendingNodeId = pendingNodeId_;
    c.pendingBitIndex = CanBitRateToIndex(pendingKbit_);
    c.store = [this] { return StoreLssConfiguration(); };
    const LssOutcome o = lss_.Handle(f, c);
    if (c.pendingNodeId != pendingNodeId_) SetPendingNodeId(c.pendingNodeId);
    if (CanIndexToBitRate(c.pendingBitIndex) != pendingKbit_) SetPendingBitRate(CanIndexToBitRate(c.pendingBitIndex));
    if (o.answer) Emit(SimService::Lss, *o.answer, out);
    if (o.activateBitTiming) {
        switchingBitRate_ = true;
        bitSwitchDueUs_ = nowUs_ + o.switchDelayMs * 1000ull;
        bitResumeDueUs_ = nowUs_ + 2ull * o.switchDelayMs * 1000ull;
    }
    // A device without node id boots once it has one and is sent back to waiting.
    if (o.switchedToWaiting && nodeId_ == kLssUnconfigured && pendingNodeId_ != kLssUnconfigured) {
        nodeId_ = pendingNodeId_;
        LoadParameters(0x1000, 0x1FFF);
        StartBoot();
    }
}

void EncoderDevice::HandleSync(std::vector<BusFrame>& out) {
    RefreshDynamicObjects();
    for (TpdoProducer* p : {&tpdo1_, &tpdo2_})
        if (p->OnSync(od_)) SendPdo(*p, out);
}

void EncoderDevice::SendPdo(TpdoProducer& pdo, std::vector<BusFrame>& out) {
    RefreshDynamicObjects();
    auto frame = pdo.Build(od_);
    if (!frame) return;
    pdo.Sent(*frame, nowUs_);
    Emit(SimService::Pdo, *frame, out);
}

bool EncoderDevice::PdoOnEachStep(const TpdoProducer& pdo) const {
    return pdo.Valid(od_) && pdo.Asynchronous(od_) && pdo.EventTimerMs(od_) == 0 && shaft_.Turning();
}

uint64_t EncoderDevice::PdoEventDueUs(const TpdoProducer& pdo) const {
    if (!PdoOnEachStep(pdo)) return kNever;
    uint64_t due = shaft_.TimeOfStep(pdo.lastEventStep + 1);
    if (pdo.sentOnce) {
        // Never faster than the inhibit time allows, nor faster than the bus carries a frame.
        BusFrame typical;
        typical.len = 8;
        const uint64_t wireUs = CanFrameBitLength(typical) * 1000ull / static_cast<uint64_t>(std::max(kbit_, 1));
        due = std::max(due, pdo.lastSentUs + std::max<uint64_t>(pdo.InhibitUs(od_), wireUs));
    }
    return due;
}

void EncoderDevice::RunPdoTimers(std::vector<BusFrame>& out) {
    if (nmt_.State() != NmtState::Operational) return;
    for (TpdoProducer* p : {&tpdo1_, &tpdo2_}) {
        if (p->cyclicDueUs <= nowUs_) {
            const uint32_t period = p->EventTimerMs(od_);
            if (period == 0 || !p->Asynchronous(od_)) {
                p->cyclicDueUs = kNever;
            } else {
                SendPdo(*p, out);
                p->cyclicDueUs += period * 1000ull;
                if (p->cyclicDueUs <= nowUs_) p->cyclicDueUs = nowUs_ + period * 1000ull;
            }
        }
        if (PdoEventDueUs(*p) <= nowUs_) {
            const uint64_t steps = shaft_.Steps(nowUs_);
            if (steps != p->lastEventStep) {
                p->lastEventStep = steps;
                SendPdo(*p, out);
            }
        }
    }
}

void EncoderDevice::OnTime(uint64_t nowUs, std::vector<BusFrame>& out) {
    nowUs_ = nowUs;
    while (!delayed_.empty() && delayed_.front().first <= nowUs) {
        out.push_back(delayed_.front().second);
        delayed_.pop_front();
    }
    if (bitSwitchDueUs_ <= nowUs) {
        bitSwitchDueUs_ = kNever;
        kbit_ = pendingKbit_;
    }
    if (bitResumeDueUs_ <= nowUs) {
        bitResumeDueUs_ = kNever;
        switchingBitRate_ = false;
    }
    if (bootDueUs_ <= nowUs) FinishBoot(out);
    if (heartbeatDueUs_ <= nowUs) {
        const uint32_t period = od_.GetU32(0x1017, 0);
        if (period == 0) {
            heartbeatDueUs_ = kNever;
        } else {
            if (!switchingBitRate_)
                Emit(SimService::Heartbeat, MakeFrame(ErrorControlId(), {static_cast<uint8_t>(nmt_.State())}), out);
            heartbeatDueUs_ += period * 1000ull;
            if (heartbeatDueUs_ <= nowUs) heartbeatDueUs_ = nowUs + period * 1000ull;
        }
    }
    if (!switchingBitRate_) RunPdoTimers(out);
}

uint64_t EncoderDevice::NextDueUs() const {
    uint64_t next = std::min({bootDueUs_, heartbeatDueUs_, bitSwitchDueUs_, bitResumeDueUs_});
    if (!delayed_.empty()) next = std::min(next, delayed_.front().first);
    if (nmt_.State() == NmtState::Operational) {
        for (const TpdoProducer* p : {&tpdo1_, &tpdo2_}) {
            next = std::min(next, p->cyclicDueUs);
            next = std::min(next, PdoEventDueUs(*p));
        }
    }
    return next;
}

uint32_t EncoderDevice::UploadObject(uint16_t index, uint8_t sub, std::string& bytes) {
    if (const uint32_t code = options_.faults.AbortFor(index, sub)) return code;
    RefreshDynamicObjects();
    return od_.Upload(index, sub, bytes);
}

uint32_t EncoderDevice::BeginDownload(uint16_t index, uint8_t sub, bool sizeKnown, size_t size, size_t& capacity) {
    if (const uint32_t code = options_.faults.AbortFor(index, sub)) return code;
    capacity = od_.Capacity(index, sub);
    return od_.CheckDownload(index, sub, sizeKnown, size);
}

uint32_t EncoderDevice::DownloadObject(uint16_t index, uint8_t sub, const std::string& bytes, bool sizeKnown) {
    RefreshDynamicObjects();
    const uint32_t code = od_.Download(index, sub, bytes, sizeKnown);
    if (code == 0) AfterWrite(index, sub);
    return code;
}
