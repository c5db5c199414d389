// The stand-in PCAN-Basic library (see PcanBasicSim.h).

#include "PcanBasicSim.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace {

constexpr size_t kQueueCapacity = 32767;
constexpr size_t kTextMax = 255;

struct Received {
    TPCANMsg msg{};
    uint64_t timeUs = 0;
};

struct Channel {
    uint32_t deviceNumber = 0;
    std::string hardwareName;
    std::string channelVersion;
    bool present = true;
    bool initialised = false;
    uint16_t code = 0;
    bool overrun = false;
    std::deque<Received> queue;
    PcanSimChannelState counters{};
};

struct Failure {
    TPCANStatus value = 0;
    uint32_t remaining = 0;  // 0: until switched off

    // The status to return instead of the call's work, or 0.
    TPCANStatus Take() {
        if (value == 0) return 0;
        const TPCANStatus v = value;
        if (remaining > 0 && --remaining == 0) value = 0;
        return v;
    }
};

struct Library {
    std::mutex mutex;
    std::map<TPCANHandle, Channel> channels;
    std::map<uint32_t, Failure> failures;
    std::string apiVersion = "4.6.0.0 (Quarzel stand-in)";
    PcanSimTxHook txHook = nullptr;
    void* txContext = nullptr;
    PcanSimClockHook clockHook = nullptr;
    void* clockContext = nullptr;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};

Library& Lib() {
    static Library lib;
    return lib;
}

std::string Cut(const char* text) {
    if (!text) return {};
    std::string s(text, strnlen(text, kTextMax));
    return s;
}

// "0x51=26:PCAN-USB,0x52=27" -> channels; false when the text does not parse.
bool ParseChannelList(const char* text, std::map<TPCANHandle, Channel>& out) {
    std::string s(text);
    size_t pos = 0;
    while (pos < s.size()) {
        size_t end = s.find(',', pos);
        if (end == std::string::npos) end = s.size();
        const std::string item = s.substr(pos, end - pos);
        pos = end + 1;
        const size_t eq = item.find('=');
        if (eq == std::string::npos) return false;
        char* stop = nullptr;
        const unsigned long handle = std::strtoul(item.c_str(), &stop, 0);
        if (stop != item.c_str() + eq || handle == 0 || handle > 0xFFFF) return false;
        const unsigned long device = std::strtoul(item.c_str() + eq + 1, &stop, 0);
        if (stop == item.c_str() + eq + 1 || (*stop != '\0' && *stop != ':')) return false;
        Channel ch;
        ch.deviceNumber = static_cast<uint32_t>(device);
        ch.hardwareName = *stop == ':' ? Cut(stop + 1) : std::string("PCAN-USB");
        ch.channelVersion = "PCAN-USB stand-in channel";
        out[static_cast<TPCANHandle>(handle)] = ch;
    }
    return !out.empty();
}

void SetDefaultChannels(Library& lib) {
    lib.channels.clear();
    if (const char* env = std::getenv("QUARZEL_PCANSIM_CHANNELS"); env && *env) {
        std::map<TPCANHandle, Channel> parsed;
        if (ParseChannelList(env, parsed)) {
            lib.channels = std::move(parsed);
            return;
        }
    }
    for (TPCANHandle h : {TPCANHandle{0x51}, TPCANHandle{0x52}}) {
        Channel ch;
        ch.deviceNumber = h - 0x50u;
        ch.hardwareName = "PCAN-USB";
        ch.channelVersion = "PCAN-USB stand-in channel";
        lib.channels[h] = ch;
    }
}

struct Init {
    Init() { SetDefaultChannels(Lib()); }
} g_init;

uint64_t NowUs(Library& lib) {
    if (lib.clockHook) return lib.clockHook(lib.clockContext);
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - lib.start).count());
}

TPCANTimestamp ToTimestamp(uint64_t us) {
    TPCANTimestamp ts{};
    const uint64_t ms = us / 1000u;
    ts.millis = static_cast<uint32_t>(ms);
    ts.millis_overflow = static_cast<uint16_t>(ms >> 32);
    ts.micros = static_cast<uint16_t>(us % 1000u);
    return ts;
}

uint64_t FromTimestamp(const TPCANTimestamp& ts) {
    return (static_cast<uint64_t>(ts.millis_overflow) << 32 | ts.millis) * 1000u + ts.micros;
}

void Enqueue(Channel& ch, const TPCANMsg& msg, uint64_t timeUs) {
    if (ch.queue.size() >= kQueueCapacity) {
        ch.overrun = true;
        return;
    }
    ch.queue.push_back({msg, timeUs});
}

bool NoDriver(Library& lib) { return lib.failures[PCANSIM_FAIL_NODRIVER].Take() != 0; }

Channel* Find(Library& lib, TPCANHandle h) {
    auto it = lib.channels.find(h);
    return it == lib.channels.end() ? nullptr : &it->second;
}

void CopyText(const std::string& text, void* buffer, uint32_t length) {
    auto* out = static_cast<char*>(buffer);
    const size_t n = std::min<size_t>(text.size(), length - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

struct ErrorText {
    TPCANStatus status;
    const char* text;
};
constexpr ErrorText kErrorTexts[] = {
    {PCAN_ERROR_OK, "No error"},
    {PCAN_ERROR_XMTFULL, "The controller's transmit buffer is full"},
    {PCAN_ERROR_OVERRUN, "The controller was read too late"},
    {PCAN_ERROR_BUSLIGHT, "Bus error: an error counter reached the warning limit"},
    {PCAN_ERROR_BUSHEAVY, "Bus error: an error counter reached the passive limit"},
    {PCAN_ERROR_BUSOFF, "Bus error: the controller is bus off"},
    {PCAN_ERROR_QRCVEMPTY, "The receive queue is empty"},
    {PCAN_ERROR_QOVERRUN, "The receive queue was read too late"},
    {PCAN_ERROR_QXMTFULL, "The transmit queue is full"},
    {PCAN_ERROR_NODRIVER, "The driver is not loaded"},
    {PCAN_ERROR_ILLHW, "The hardware handle is invalid or the hardware is not connected"},
    {PCAN_ERROR_RESOURCE, "A driver resource could not be created"},
    {PCANSIM_ERROR_ILLPARAMTYPE, "A parameter is not allowed"},
    {PCANSIM_ERROR_ILLPARAMVAL, "A parameter value is out of range"},
    {PCAN_ERROR_INITIALIZE, "The channel is not initialised"},
    {PCAN_ERROR_ILLOPERATION, "The operation is not allowed in the channel's current state"},
};

}  // namespace

// --- the eight calls of the PCAN-Basic ABI ---

PCANSIM_EXPORT TPCANStatus QZ_PCAN_API CAN_Initialize(TPCANHandle handle, TPCANBaudrate code, TPCANType, uint32_t,
                                                      uint16_t) {
    Library& lib = Lib();
    std::lock_guard lock(lib.mutex);
    if (NoDriver(lib)) return PCAN_ERROR_NODRIVER;
    Channel* ch = Find(lib, handle);
    if (ch) {
        ch->counters.initializeCalls++;
        ch->counters.lastInitCode = code;
    }
    if (const TPCANStatus f = lib.failures[PCANSIM_FAIL_INITIALIZE].Take()) return f;
    if (!ch || !ch->present) return PCAN_ERROR_ILLHW;
    if (ch->initialised) return PCAN_ERROR_ILLOPERATION;
    if (code == 0) return PCANSIM_ERROR_ILLPARAMVAL;
    ch->initialised = true;
    ch->code = code;
    ch->overrun = false;
    ch->queue.clear();
    return PCAN_ERROR_OK;
}

PCANSIM_EXPORT TPCANStatus QZ_PCAN_API CAN_Uninitialize(TPCANHandle handle) {
    Library& lib = Lib();
    std::lock_guard lock(lib.mutex);
    if (NoDriver(lib)) return PCAN_ERROR_NODRIVER;
    Channel* ch = Find(lib, handle);
    if (!ch) return PCAN_ERROR_ILLHW;
    ch->counters.uninitializeCalls++;
    if (!ch->initialised) return PCAN_ERROR_INITIALIZE;
    ch->initialised = false;
    ch->queue.clear();
    return PCAN_ERROR_OK;
}

PCANSIM_EXPORT TPCANStatus QZ_PCAN_API CAN_GetStatus(TPCANHandle handle) {
    Library& lib = Lib();
    std::lock_guard lock(lib.mutex);
    if (NoDriver(lib)) return PCAN_ERROR_NODRIVER;
    Channel* ch = Find(lib, handle);
    if (ch) ch->counters.getStatusCalls++;
    if (const TPCANStatus f = lib.failures[PCANSIM_FAIL_GETSTATUS].Take()) return f;
    if (!ch || !ch->initialised) return PCAN_ERROR_INITIALIZE;
    if (!ch->present) return PCAN_ERROR_ILLHW;
    return ch->overrun ? PCAN_ERROR_QOVERRUN : PCAN_ERROR_OK;
}

PCANSIM_EXPORT TPCANStatus QZ_PCAN_API CAN_Write(TPCANHandle handle, TPCANMsg* msg) {
    Library& lib = Lib();
    PcanSimTxHook hook = nullptr;
    void* context = nullptr;
    uint16_t code = 0;
    TPCANMsg copy{};
    {
        std::lock_guard lock(lib.mutex);
        if (NoDriver(lib)) return PCAN_ERROR_NODRIVER;
        Channel* ch = Find(lib, handle);
        if (ch) ch->counters.writeCalls++;
        if (!ch || !ch->initialised) return PCAN_ERROR_INITIALIZE;
        if (!ch->present) return PCAN_ERROR_ILLHW;
        if (!msg || msg->LEN > 8) return PCANSIM_ERROR_ILLPARAMVAL;
        if (const TPCANStatus f = lib.failures[PCANSIM_FAIL_WRITE].Take()) return f;
        ch->counters.framesWritten++;
        copy = *msg;
        code = ch->code;
        const uint64_t now = NowUs(lib);
        for (auto& [h, other] : lib.channels)
            if (h != handle && other.initialised && other.present && other.code == code) Enqueue(other, copy, now);
        hook = lib.txHook;
        context = lib.txContext;
    }
    if (hook) hook(context, handle, code, &copy);
    return PCAN_ERROR_OK;
}

PCANSIM_EXPORT TPCANStatus QZ_PCAN_API CAN_Read(TPCANHandle handle, TPCANMsg* msg, TPCANTimestamp* timestamp) {
    Library& lib = Lib();
    std::lock_guard lock(lib.mutex);
    if (NoDriver(lib)) return PCAN_ERROR_NODRIVER;
    Channel* ch = Find(lib, handle);
    if (ch) ch->counters.readCalls++;
    if (!ch || !ch->initialised) return PCAN_ERROR_INITIALIZE;
    if (!ch->present) return PCAN_ERROR_ILLHW;
    if (!msg) return PCANSIM_ERROR_ILLPARAMVAL;
    if (const TPCANStatus f = lib.failures[PCANSIM_FAIL_READ].Take()) return f;
    if (ch->queue.empty()) return PCAN_ERROR_QRCVEMPTY;
    const Received r = ch->queue.front();
    ch->queue.pop_front();
    *msg = r.msg;
    if (timestamp) *timestamp = ToTimestamp(r.timeUs);
    return PCAN_ERROR_OK;
}

PCANSIM_EXPORT TPCANStatus QZ_PCAN_API CAN_GetErrorText(TPCANStatus status, uint16_t, char* buffer) {
    if (!buffer) return PCANSIM_ERROR_ILLPARAMVAL;
    const char* text = "Undefined error code";
    for (const auto& e : kErrorTexts)
        if (e.status == status) text = e.text;
    // The vendor's contract: the buffer holds at least 256 characters.
    CopyText(text, buffer, 256);
    return PCAN_ERROR_OK;
}

PCANSIM_EXPORT TPCANStatus QZ_PCAN_API CAN_GetValue(TPCANHandle handle, TPCANParameter parameter, void* buffer,
                                                    uint32_t length) {
    Library& lib = Lib();
    std::lock_guard lock(lib.mutex);
    if (NoDriver(lib)) return PCAN_ERROR_NODRIVER;
    if (!buffer || length == 0) return PCANSIM_ERROR_ILLPARAMVAL;
    if (parameter == PCAN_API_VERSION) {
        CopyText(lib.apiVersion, buffer, length);
        return PCAN_ERROR_OK;
    }
    Channel* ch = Find(lib, handle);
    if (ch) ch->counters.getValueCalls++;
    if (const TPCANStatus f = lib.failures[PCANSIM_FAIL_GETVALUE].Take()) return f;
    if (!ch || !ch->initialised) return PCAN_ERROR_INITIALIZE;
    if (!ch->present) return PCAN_ERROR_ILLHW;
    switch (parameter) {
        case PCAN_DEVICE_NUMBER:
            if (length < sizeof(uint32_t)) return PCANSIM_ERROR_ILLPARAMVAL;
            std::memcpy(buffer, &ch->deviceNumber, sizeof(uint32_t));
            return PCAN_ERROR_OK;
        case PCAN_HARDWARE_NAME:
            CopyText(ch->hardwareName, buffer, length);
            return PCAN_ERROR_OK;
        case PCAN_CHANNEL_VERSION:
            CopyText(ch->channelVersion, buffer, length);
            return PCAN_ERROR_OK;
        default:
            return PCANSIM_ERROR_ILLPARAMTYPE;
    }
}

#if !defined(PCANSIM_OMIT_CAN_RESET)
PCANSIM_EXPORT TPCANStatus QZ_PCAN_API CAN_Reset(TPCANHandle handle) {
    Library& lib = Lib();
    std::lock_guard lock(lib.mutex);
    if (NoDriver(lib)) return PCAN_ERROR_NODRIVER;
    Channel* ch = Find(lib, handle);
    if (!ch || !ch->initialised) return PCAN_ERROR_INITIALIZE;
    ch->queue.clear();
    ch->overrun = false;
    return PCAN_ERROR_OK;
}
#endif

// --- control functions ---

PCANSIM_EXPORT void PcanSim_Reset() {
    Library& lib = Lib();
    std::lock_guard lock(lib.mutex);
    SetDefaultChannels(lib);
    lib.failures.clear();
    lib.apiVersion = "4.6.0.0 (Quarzel stand-in)";
    lib.txHook = nullptr;
    lib.txContext = nullptr;
    lib.clockHook = nullptr;
    lib.clockContext = nullptr;
}

PCANSIM_EXPORT void PcanSim_ClearChannels() {
    Library& lib = Lib();
    std::lock_guard lock(lib.mutex);
    lib.channels.clear();
}

PCANSIM_EXPORT void PcanSim_AddChannel(TPCANHandle handle, uint32_t deviceNumber, const char* hardwareName,
                                       const char* channelVersion) {
    Library& lib = Lib();
    std::lock_guard lock(lib.mutex);
    Channel ch;
    ch.deviceNumber = deviceNumber;
    ch.hardwareName = Cut(hardwareName);
    ch.channelVersion = Cut(channelVersion);
    lib.channels[handle] = std::move(ch);
}

PCANSIM_EXPORT void PcanSim_SetPresent(TPCANHandle handle, int present) {
    Library& lib = Lib();
    std::lock_guard lock(lib.mutex);
    if (Channel* ch = Find(lib, handle)) {
        ch->present = present != 0;
        if (!ch->present) ch->queue.clear();
    }
}

PCANSIM_EXPORT void PcanSim_SetFailure(uint32_t failure, TPCANStatus value, uint32_t count) {
    Library& lib = Lib();
    std::lock_guard lock(lib.mutex);
    lib.failures[failure] = Failure{value, value ? count : 0};
}

PCANSIM_EXPORT void PcanSim_SetApiVersion(const char* text) {
    Library& lib = Lib();
    std::lock_guard lock(lib.mutex);
    lib.apiVersion = Cut(text);
}

PCANSIM_EXPORT TPCANStatus PcanSim_InjectFrame(TPCANHandle handle, const TPCANMsg* msg,
                                               const TPCANTimestamp* timestamp) {
    Library& lib = Lib();
    std::lock_guard lock(lib.mutex);
    Channel* ch = Find(lib, handle);
    if (!ch) return PCAN_ERROR_ILLHW;
    if (!msg) return PCANSIM_ERROR_ILLPARAMVAL;
    if (!ch->initialised) return PCAN_ERROR_INITIALIZE;
    Enqueue(*ch, *msg, timestamp ? FromTimestamp(*timestamp) : NowUs(lib));
    return PCAN_ERROR_OK;
}

PCANSIM_EXPORT TPCANStatus PcanSim_InjectStatus(TPCANHandle handle, uint32_t statusWord) {
    TPCANMsg msg{};
    msg.MSGTYPE = 0x80;
    msg.LEN = 4;
    msg.DATA[0] = static_cast<uint8_t>(statusWord >> 24);
    msg.DATA[1] = static_cast<uint8_t>(statusWord >> 16);
    msg.DATA[2] = static_cast<uint8_t>(statusWord >> 8);
    msg.DATA[3] = static_cast<uint8_t>(statusWord);
    return PcanSim_InjectFrame(handle, &msg, nullptr);
}

PCANSIM_EXPORT void PcanSim_Deliver(uint16_t bitTimingCode, const TPCANMsg* msg, uint64_t timeUs) {
    if (!msg || msg->LEN > 8) return;
    Library& lib = Lib();
    std::lock_guard lock(lib.mutex);
    for (auto& [h, ch] : lib.channels)
        if (ch.initialised && ch.present && (bitTimingCode == 0 || ch.code == bitTimingCode)) Enqueue(ch, *msg, timeUs);
}

PCANSIM_EXPORT void PcanSim_SetTxHook(PcanSimTxHook hook, void* context) {
    Library& lib = Lib();
    std::lock_guard lock(lib.mutex);
    lib.txHook = hook;
    lib.txContext = context;
}

PCANSIM_EXPORT void PcanSim_SetClockHook(PcanSimClockHook hook, void* context) {
    Library& lib = Lib();
    std::lock_guard lock(lib.mutex);
    lib.clockHook = hook;
    lib.clockContext = context;
}

PCANSIM_EXPORT int PcanSim_GetChannelState(TPCANHandle handle, PcanSimChannelState* out, uint32_t size) {
    Library& lib = Lib();
    std::lock_guard lock(lib.mutex);
    Channel* ch = Find(lib, handle);
    if (!ch || !out) return 0;
    PcanSimChannelState s = ch->counters;
    s.known = 1;
    s.present = ch->present ? 1 : 0;
    s.initialised = ch->initialised ? 1 : 0;
    s.framesQueued = static_cast<uint32_t>(ch->queue.size());
    std::memcpy(out, &s, std::min<size_t>(size, sizeof(s)));
    return 1;
}
