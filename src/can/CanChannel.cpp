#include "CanChannel.h"

#include <mutex>

#include "CANLogger.h"
#include "CanSettings.h"
#include "LogFiles.h"

std::atomic<bool> CanActive{false};

namespace {
std::mutex g_ifaceMutex;
std::shared_ptr<AbstractCanInterface> g_iface;
}  // namespace

std::shared_ptr<AbstractCanInterface> CanCurrentInterface() {
    std::lock_guard lock(g_ifaceMutex);
    return g_iface;
}

void CanSetInterface(std::shared_ptr<AbstractCanInterface> iface) {
    std::shared_ptr<AbstractCanInterface> old;
    {
        std::lock_guard lock(g_ifaceMutex);
        old = std::move(g_iface);
        g_iface = std::move(iface);
    }
    // `old` is released here, outside the lock.
}

CANLogger& CanTraceLogger() {
    static CANLogger logger;
    return logger;
}

std::vector<CanChannelInfo>& CanHardwareList() {
    static std::vector<CanChannelInfo> list;
    return list;
}

// Runs `op` on the current interface under its lock, or returns `none`.
template <typename R, typename Op>
static R WithInterface(R none, Op op) {
    auto iface = CanCurrentInterface();
    if (!iface) return none;
    std::lock_guard lock(iface->Mutex());
    return op(*iface);
}

bool CanOpen() {
    return WithInterface(false, [](AbstractCanInterface& i) {
        i.SetLogger(&CanTraceLogger());
        return i.Init();
    });
}

bool CanClose() {
    return WithInterface(false, [](AbstractCanInterface& i) { return i.Close(); });
}

bool CanWrite(tagOPEN_Message* msg) {
    if (!msg) return false;
    return WithInterface(false, [msg](AbstractCanInterface& i) { return i.Write(msg); });
}

uint32_t CanRead(tagOPEN_Message* msg) {
    if (!msg) return CAN_RESULT_NONE;
    return WithInterface<uint32_t>(CAN_RESULT_NONE, [msg](AbstractCanInterface& i) { return i.Read(msg); });
}

uint32_t CanReadOne(tagOPEN_Message* msg) {
    if (!msg) return CAN_RESULT_NONE;
    return WithInterface<uint32_t>(CAN_RESULT_NONE, [msg](AbstractCanInterface& i) { return i.ReadOne(msg); });
}

uint32_t CanWaitForRange(int32_t waitMs, const CanIdRange* range, tagOPEN_Message* msg) {
    // The wait takes the interface's lock per read, not for its whole duration, so another
    // thread can use the channel meanwhile.
    auto iface = CanCurrentInterface();
    if (!iface || !msg) return CAN_RESULT_NONE;
    return iface->CanReadWait(waitMs, range, msg);
}

uint32_t CanWaitForId(int32_t waitMs, int32_t id, tagOPEN_Message* msg) {
    const CanIdRange range{id, id};
    return CanWaitForRange(waitMs, &range, msg);
}

uint32_t CanGetStatus() {
    return WithInterface<uint32_t>(CAN_RESULT_NO_CHANNEL, [](AbstractCanInterface& i) { return i.GetStatus(); });
}

uint32_t CanGetApiVersion(std::string& text, size_t /*length*/) {
    return WithInterface<uint32_t>(CAN_RESULT_NO_CHANNEL,
                                   [&text](AbstractCanInterface& i) { return i.GetApiVersion(text); });
}

bool CanReadData(int32_t id, uint8_t* data) {
    if (!data) return false;
    return WithInterface(false, [id, data](AbstractCanInterface& i) { return i.ReadData(id, data); });
}

void CanFormatCsvLine(std::string& text, const tagOPEN_Message* msg, size_t maxLength) {
    auto iface = CanCurrentInterface();
    if (!iface) return;
    iface->FormatCsvLine(text, msg, maxLength);
}

IHandleType* CanGetHandleObject() {
    auto iface = CanCurrentInterface();
    return iface ? iface->HandleObject() : nullptr;
}

namespace {
struct TraceFiles {
    std::string path;
    uint64_t count = 0;
};
std::mutex& TraceFileMutex() {
    static std::mutex mutex;
    return mutex;
}
TraceFiles& TraceFileState() {
    static TraceFiles files;
    return files;
}
}  // namespace

void CanTraceStart() {
    CanTraceLogger().Clear();
    CanTraceLogger().Enable();
}

bool CanTraceStop(const std::string& comment) {
    CANLogger& logger = CanTraceLogger();
    logger.Disable();
    std::string path;
    bool written = false;
    if (BuildLogFileName(path, CurrentCanSettings().Config("[LOG_DIR]"), ".csv"))
        written = logger.WriteCsv(path, comment);
    logger.Clear();
    if (written) {
        std::lock_guard lock(TraceFileMutex());
        TraceFileState().path = path;
        ++TraceFileState().count;
    }
    return written;
}

uint64_t CanTraceFilesWritten() {
    std::lock_guard lock(TraceFileMutex());
    return TraceFileState().count;
}

std::string CanLastTraceFile() {
    std::lock_guard lock(TraceFileMutex());
    return TraceFileState().path;
}

void CanTraceDisable() { CanTraceLogger().Disable(); }

void CanTraceClear() { CanTraceLogger().Clear(); }
