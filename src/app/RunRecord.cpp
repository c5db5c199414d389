#include "RunRecord.h"

#include <QCryptographicHash>
#include <QFile>
#include <QUuid>

#include "CanChannel.h"
#include "CanInterfaceKinds.h"
#include "CanSettings.h"
#include "LogFiles.h"
#include "NamedValueList.h"
#include "ProgramVersion.h"
#include "TestInstruction.h"
#include "TimeSource.h"
#include "VirtualCanInterface.h"

namespace {
RunArchivePort* g_archive = nullptr;

std::string FileSha256(const std::string& path) {
    QFile file(QString::fromLocal8Bit(NativePath(path).c_str()));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file)) return {};
    return hash.result().toHex().toStdString();
}

std::optional<uint32_t> Variable(const char* name) {
    uint32_t value = 0;
    if (!ScriptVariables().Lookup(name, value)) return std::nullopt;
    return value;
}

// A simulated device must never pass for a real one: the simulator kinds and any channel on
// the in-process virtual bus count as simulated.
bool IsSimulated(const std::string& treiberTyp) {
    if (dynamic_cast<VirtualCanInterface*>(CanCurrentInterface().get())) return true;
    const CanInterfaceKind* kind = FindCanInterfaceKind(treiberTyp);
    return kind && (kind->name == "sim" || kind->name == "simbus" || kind->name == "virtual");
}
}  // namespace

RunArchivePort* CurrentRunArchive() { return g_archive; }
void SetRunArchive(RunArchivePort* archive) { g_archive = archive; }

int64_t StationEpochMs() {
    constexpr int64_t kEpoch1601To1970Ms = 11644473600ll * 1000;
    return static_cast<int64_t>(CurrentTimeSource().NowUs() / 1000) - kEpoch1601To1970Ms;
}

void FillStationFields(RunRecord& run) {
    CanSettings& settings = CurrentCanSettings();
    run.station = settings.Config("[STATION_NAME]");
    if (run.station.empty()) run.station = ComputerName();
    run.programVersion = kProgramVersion;
    run.interfaceType = settings.Config("[CAN_TREIBER_TYP]");
    run.simulated = IsSimulated(run.interfaceType);
    run.serialNr = Variable("SerialNr");
    run.vendorId = Variable("VendorId");
    run.prodCode = Variable("ProdCode");
    run.revNr = Variable("RevNr");
    run.nodeId = Variable("NodeId");
    run.baudrate = Variable("Baudr");
}

void RunRecording::Begin() {
    open_ = CurrentRunArchive() != nullptr;
    if (!open_) return;
    uuid_ = QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
    testFile_ = CurrentTest().path;
    testSha256_ = FileSha256(testFile_);
    startedMs_ = StationEpochMs();
    traceCountAtStart_ = CanTraceFilesWritten();
}

void RunRecording::End(const ProtocolGrid& grid, int32_t errorCount, const RunOutcome& outcome) {
    if (!open_) return;
    open_ = false;
    RunArchivePort* archive = CurrentRunArchive();
    if (!archive) return;
    RunRecord run;
    run.uuid = uuid_;
    FillStationFields(run);
    run.testFile = testFile_;
    run.testSha256 = testSha256_;
    run.startedMs = startedMs_;
    run.endedMs = StationEpochMs();
    run.verdict = outcome.verdict;
    run.errorCount = errorCount;
    run.exitCode = outcome.exitCode;
    if (CanTraceFilesWritten() != traceCountAtStart_) run.traceFile = CanLastTraceFile();
    run.discardedRows = grid.DiscardedRows();
    const int last = grid.LastWrittenRow();
    if (last >= grid.FirstKeptRow()) run.rows.reserve(static_cast<size_t>(last - grid.FirstKeptRow() + 1));
    for (int r = grid.FirstKeptRow(); r <= last; ++r) run.rows.push_back(grid.Row(r));
    archive->ArchiveRun(std::move(run));
}

RunOutcome RunOutcomeOf(RunEnd reason, int errorCount, int programExitCode) {
    switch (reason) {
        case RunEnd::Finished: return {errorCount == 0 ? "passed" : "failed", errorCount == 0 ? 0 : 1};
        case RunEnd::ChannelLost: return {"not completed (CAN channel not active)", 2};
        case RunEnd::Abandoned: return {"not completed (a step ended the run)", 1};
        case RunEnd::ProgramEnd: {
            const int code = programExitCode < 0 || programExitCode > 255 ? 255 : programExitCode;
            return {"ended by the test with exit code " + std::to_string(code), code};
        }
    }
    return {"stopped", 1};
}

RunOutcome StoppedRunOutcome() { return {"stopped", 1}; }
