#include "DeviceHistory.h"

#include <QFileInfo>

#include "CNumber.h"

bool DeviceHistory::OpenDatabase(ResultDatabase& db, std::string& where, std::string& message) {
    std::string error;
    if (!target_.server.empty()) {
        if (db.Open(target_.server, 3, error) && ResultStore(db).Prepare(error)) {
            where = db.Description();
            return true;
        }
        message = "server not reachable (" + error + "); this station's runs: ";
    }
    if (!QFileInfo::exists(QString::fromLocal8Bit(target_.localPath.c_str()))) {
        where = target_.localPath;
        return false;
    }
    if (!db.Open(target_.localPath, 0, error) || !ResultStore(db).Prepare(error)) {
        message += error;
        return false;
    }
    where = target_.localPath;
    return true;
}

bool DeviceHistory::Search(const std::string& serialText, std::string& message) {
    runs_.clear();
    message.clear();
    const auto serial = ParseCNumber(serialText);
    if (!serial) {
        message = "\"" + serialText + "\" is not a serial number";
        return false;
    }
    ResultDatabase db;
    std::string where;
    if (!OpenDatabase(db, where, message)) {
        if (message.empty()) message = "no runs archived yet";
        return false;
    }
    openedFrom_ = where == target_.localPath ? target_.localPath : target_.server;
    RunFilter filter;
    filter.serialNr = *serial;
    filter.limit = kMaxRuns;
    std::string error;
    runs_ = ResultStore(db).List(filter, error);
    if (!error.empty()) {
        message += error;
        return false;
    }
    message += std::to_string(runs_.size()) + (runs_.size() == 1 ? " run" : " runs") + " of serial number " +
               std::to_string(*serial) + " in " + where;
    return true;
}

std::optional<RunRecord> DeviceHistory::Open(size_t index, std::string& message) {
    if (index >= runs_.size()) return std::nullopt;
    ResultDatabase db;
    if (!db.Open(openedFrom_, 3, message)) return std::nullopt;
    return ResultStore(db).Load(runs_[index].run.uuid, message);
}
