#include "PcanSimLibrary.h"

#include "PeakBitRates.h"
#include "TimeSource.h"

namespace {
template <typename F>
bool Resolve(QLibrary& lib, const char* name, F& fn) {
    fn = reinterpret_cast<F>(lib.resolve(name));
    return fn != nullptr;
}
}  // namespace

PcanSimLibrary::PcanSimLibrary(const std::string& path) : library_(QString::fromStdString(path)) {
    if (!library_.load()) {
        error_ = library_.errorString().toStdString();
        return;
    }
    loaded_ = Resolve(library_, "PcanSim_Reset", reset_) && Resolve(library_, "PcanSim_ClearChannels", clearChannels_) &&
              Resolve(library_, "PcanSim_AddChannel", addChannel_) &&
              Resolve(library_, "PcanSim_SetPresent", setPresent_) &&
              Resolve(library_, "PcanSim_SetFailure", setFailure_) &&
              Resolve(library_, "PcanSim_SetApiVersion", setApiVersion_) &&
              Resolve(library_, "PcanSim_InjectFrame", injectFrame_) &&
              Resolve(library_, "PcanSim_InjectStatus", injectStatus_) &&
              Resolve(library_, "PcanSim_Deliver", deliver_) && Resolve(library_, "PcanSim_SetTxHook", setTxHook_) &&
              Resolve(library_, "PcanSim_SetClockHook", setClockHook_) &&
              Resolve(library_, "PcanSim_GetChannelState", getChannelState_);
    if (!loaded_) error_ = "not the stand-in PCAN-Basic library: " + path;
}

PcanSimLibrary::~PcanSimLibrary() {
    if (!loaded_) return;
    Detach();
    setClockHook_(nullptr, nullptr);
}

void PcanSimLibrary::Reset() {
    if (loaded_) reset_();
}

void PcanSimLibrary::ClearChannels() {
    if (loaded_) clearChannels_();
}

void PcanSimLibrary::AddChannel(TPCANHandle handle, uint32_t deviceNumber, const std::string& hardwareName,
                                const std::string& channelVersion) {
    if (loaded_) addChannel_(handle, deviceNumber, hardwareName.c_str(), channelVersion.c_str());
}

void PcanSimLibrary::SetPresent(TPCANHandle handle, bool present) {
    if (loaded_) setPresent_(handle, present ? 1 : 0);
}

void PcanSimLibrary::SetFailure(PcanSimFailure failure, TPCANStatus value, uint32_t count) {
    if (loaded_) setFailure_(failure, value, count);
}

void PcanSimLibrary::SetApiVersion(const std::string& text) {
    if (loaded_) setApiVersion_(text.c_str());
}

TPCANStatus PcanSimLibrary::InjectFrame(TPCANHandle handle, const TPCANMsg& msg, const TPCANTimestamp* timestamp) {
    return loaded_ ? injectFrame_(handle, &msg, timestamp) : PCAN_ERROR_NODRIVER;
}

TPCANStatus PcanSimLibrary::InjectStatus(TPCANHandle handle, uint32_t statusWord) {
    return loaded_ ? injectStatus_(handle, statusWord) : PCAN_ERROR_NODRIVER;
}

PcanSimChannelState PcanSimLibrary::State(TPCANHandle handle) {
    PcanSimChannelState s{};
    if (loaded_) getChannelState_(handle, &s, sizeof(s));
    return s;
}

uint64_t PcanSimLibrary::OnClock(void*) { return CurrentTimeSource().NowUs(); }

void PcanSimLibrary::UseStationClock() {
    if (loaded_) setClockHook_(&PcanSimLibrary::OnClock, this);
}

void PcanSimLibrary::OnTransmit(void* context, TPCANHandle, uint16_t code, const TPCANMsg* msg) {
    auto* self = static_cast<PcanSimLibrary*>(context);
    std::shared_ptr<VirtualEndpoint> ep;
    {
        std::lock_guard lock(self->busMutex_);
        for (const auto& r : self->endpoints_)
            if (r.code == code) ep = r.endpoint;
    }
    if (!ep || !msg) return;
    BusFrame f;
    f.id = msg->ID;
    f.rtr = msg->MSGTYPE == 1;
    f.len = msg->LEN > 8 ? 8 : msg->LEN;
    for (size_t i = 0; i < 8; ++i) f.data[i] = msg->DATA[i];
    ep->Send(f);
}

void PcanSimLibrary::AttachBus(std::shared_ptr<VirtualBus> bus) {
    if (!loaded_ || !bus) return;
    Detach();
    UseStationClock();
    std::vector<RateEndpoint> endpoints;
    for (const PeakBitRate& rate : PeakBitRateTable()) {
        RateEndpoint r;
        r.code = rate.code;
        r.endpoint = bus->CreateEndpoint("PCAN stand-in " + std::to_string(rate.kbit) + " kbit/s");
        auto deliver = deliver_;
        const uint16_t code = rate.code;
        r.endpoint->SetHandler([deliver, code](const BusFrame& f) {
            TPCANMsg msg{};
            msg.ID = f.id;
            msg.MSGTYPE = f.rtr ? 1 : 0;
            msg.LEN = f.len > 8 ? 8 : f.len;
            for (size_t i = 0; i < 8; ++i) msg.DATA[i] = f.data[i];
            deliver(code, &msg, f.timeUs);
        });
        r.endpoint->Open(static_cast<int>(rate.kbit));
        endpoints.push_back(std::move(r));
    }
    {
        std::lock_guard lock(busMutex_);
        bus_ = std::move(bus);
        endpoints_ = std::move(endpoints);
    }
    setTxHook_(&PcanSimLibrary::OnTransmit, this);
}

void PcanSimLibrary::Detach() {
    if (!loaded_) return;
    setTxHook_(nullptr, nullptr);
    std::vector<RateEndpoint> endpoints;
    {
        std::lock_guard lock(busMutex_);
        endpoints = std::move(endpoints_);
        endpoints_.clear();
        bus_.reset();
    }
    for (auto& r : endpoints) {
        r.endpoint->SetHandler(nullptr);
        r.endpoint->Close();
    }
}
