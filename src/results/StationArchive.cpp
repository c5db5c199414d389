#include "StationArchive.h"

#include <QDir>
#include <QFileInfo>

#include "ResultDatabase.h"
#include "ResultStore.h"

namespace {
constexpr int kForwardBatch = 100;

std::string LocalPathFor(const Configuration& config) {
    const QString iniFolder = QFileInfo(QString::fromLocal8Bit(config.Path().c_str())).absolutePath();
    QString logDir = QString::fromLocal8Bit(config.Value("[LOG_DIR]").c_str()).replace('\\', '/');
    const QDir folder(QDir(iniFolder).absoluteFilePath(logDir));
    return QDir::cleanPath(folder.absoluteFilePath(kLocalArchiveFileName)).toLocal8Bit().toStdString();
}

bool OpenStore(ResultDatabase& db, const std::string& target, int timeout, std::string& error) {
    if (!db.Open(target, timeout, error)) return false;
    ResultStore store(db);
    return store.Prepare(error);
}
}  // namespace

ArchiveTarget ArchiveTargetFor(const Configuration& config) {
    ArchiveTarget t;
    t.localPath = LocalPathFor(config);
    std::string value = config.Value("[RESULT_DB]");
    while (!value.empty() && value.back() == ' ') value.pop_back();
    while (!value.empty() && value.front() == ' ') value.erase(0, 1);
    if (value == "off" || value == "OFF" || value == "Off") {
        t.off = true;
    } else if (!value.empty()) {
        PostgresConnection c;
        std::string error;
        if (!LooksLikePostgres(value))
            t.problem = "[RESULT_DB] \"" + value + "\" is neither empty, \"off\" nor a PostgreSQL connection";
        else if (!ParsePostgresConnection(value, c, error))
            t.problem = "[RESULT_DB] is not a valid PostgreSQL connection: " + error;
        else
            t.server = value;
    }
    return t;
}

ForwardResult ForwardQueuedRuns(const std::string& localPath, const std::string& server, int connectTimeoutSeconds) {
    ForwardResult result;
    ResultDatabase local;
    if (!OpenStore(local, localPath, 0, result.error)) {
        result.ok = false;
        return result;
    }
    ResultStore localStore(local);
    std::vector<std::string> queued = localStore.QueuedUuids(kForwardBatch, result.error);
    if (queued.empty()) {
        result.ok = result.error.empty();
        return result;
    }
    ResultDatabase remote;
    if (!OpenStore(remote, server, connectTimeoutSeconds, result.error)) {
        result.ok = false;
    } else {
        ResultStore remoteStore(remote);
        while (!queued.empty() && result.ok) {
            for (const std::string& uuid : queued) {
                const auto run = localStore.Load(uuid, result.error);
                if (!run || remoteStore.Store(*run, false, result.error) == StoreResult::Failed ||
                    !localStore.Dequeue(uuid, result.error)) {
                    result.ok = false;
                    break;
                }
                ++result.sent;
            }
            if (result.ok) queued = localStore.QueuedUuids(kForwardBatch, result.error);
        }
    }
    std::string ignored;
    result.left = static_cast<int>(localStore.QueuedUuids(1 << 30, ignored).size());
    return result;
}

StationArchive::StationArchive(Report report, Forwarder forwarder)
    : report_(std::move(report)), forwarder_(std::move(forwarder)) {}

void StationArchive::ArchiveRun(RunRecord run) {
    const ArchiveTarget target = ArchiveTargetFor(AppConfiguration());
    if (target.off) return;
    if (!target.problem.empty()) report_(target.problem + "; the run is kept in " + target.localPath + " only");
    const bool queue = !target.server.empty();
    ResultDatabase db;
    std::string error;
    if (!OpenStore(db, target.localPath, 0, error)) {
        report_("the run could not be archived: " + error);
        return;
    }
    ResultStore store(db);
    if (store.Store(run, queue, error) == StoreResult::Failed) {
        report_("the run could not be archived in " + target.localPath + ": " + error);
        return;
    }
    db.Close();
    lastUuid_ = run.uuid;
    lastLocalPath_ = target.localPath;
    if (!queue) return;
    if (forwarder_) {
        forwarder_(target);
        return;
    }
    const ForwardResult sent = ForwardQueuedRuns(target.localPath, target.server, connectTimeout_);
    if (!sent.ok)
        report_("the result server could not take the run (" + sent.error + "); " + std::to_string(sent.left) +
                (sent.left == 1 ? " run is" : " runs are") + " kept in " + target.localPath + " and sent later");
}
