#pragma once
// Host side of the stand-in PCAN-Basic library: loads it by file name (the same instance the
// station's adapter loads), resolves its control functions and offers them typed; optionally
// joins its channels to a VirtualBus so simulated devices on that bus answer PCAN channels.

#include <QLibrary>
#include <array>
#include <memory>
#include <mutex>
#include <string>

#include "PcanBasicSim.h"
#include "VirtualBus.h"

class PcanSimLibrary {
public:
    // Loads the library; IsLoaded() tells whether every control function was found.
    explicit PcanSimLibrary(const std::string& path);
    ~PcanSimLibrary();
    PcanSimLibrary(const PcanSimLibrary&) = delete;
    PcanSimLibrary& operator=(const PcanSimLibrary&) = delete;

    bool IsLoaded() const { return loaded_; }
    const std::string& Error() const { return error_; }

    void Reset();
    void ClearChannels();
    void AddChannel(TPCANHandle handle, uint32_t deviceNumber, const std::string& hardwareName,
                    const std::string& channelVersion = "stand-in channel");
    void SetPresent(TPCANHandle handle, bool present);
    void SetFailure(PcanSimFailure failure, TPCANStatus value, uint32_t count = 0);
    void SetApiVersion(const std::string& text);
    TPCANStatus InjectFrame(TPCANHandle handle, const TPCANMsg& msg, const TPCANTimestamp* timestamp = nullptr);
    TPCANStatus InjectStatus(TPCANHandle handle, uint32_t statusWord);
    PcanSimChannelState State(TPCANHandle handle);

    // Stamps frames with the station's clock (CurrentTimeSource), so virtual time applies.
    void UseStationClock();
    // Joins the library's channels to `bus`: frames written on a channel go onto the bus at
    // the channel's bit rate; frames on the bus reach the channels opened at that rate.
    // Also installs the station clock. Detach() (or the destructor) undoes it.
    void AttachBus(std::shared_ptr<VirtualBus> bus);
    void Detach();

private:
    static void OnTransmit(void* context, TPCANHandle handle, uint16_t code, const TPCANMsg* msg);
    static uint64_t OnClock(void* context);

    QLibrary library_;
    bool loaded_ = false;
    std::string error_;

    decltype(&PcanSim_Reset) reset_ = nullptr;
    decltype(&PcanSim_ClearChannels) clearChannels_ = nullptr;
    decltype(&PcanSim_AddChannel) addChannel_ = nullptr;
    decltype(&PcanSim_SetPresent) setPresent_ = nullptr;
    decltype(&PcanSim_SetFailure) setFailure_ = nullptr;
    decltype(&PcanSim_SetApiVersion) setApiVersion_ = nullptr;
    decltype(&PcanSim_InjectFrame) injectFrame_ = nullptr;
    decltype(&PcanSim_InjectStatus) injectStatus_ = nullptr;
    decltype(&PcanSim_Deliver) deliver_ = nullptr;
    decltype(&PcanSim_SetTxHook) setTxHook_ = nullptr;
    decltype(&PcanSim_SetClockHook) setClockHook_ = nullptr;
    decltype(&PcanSim_GetChannelState) getChannelState_ = nullptr;

    struct RateEndpoint {
        uint16_t code = 0;
        std::shared_ptr<VirtualEndpoint> endpoint;
    };
    std::mutex busMutex_;
    std::shared_ptr<VirtualBus> bus_;
    std::vector<RateEndpoint> endpoints_;
};
