#include "PcanLibrary.h"

#include <QLibrary>
#include <QLoggingCategory>
#include <map>
#include <mutex>

Q_DECLARE_LOGGING_CATEGORY(lcCan)

namespace {
std::mutex g_mutex;
std::map<std::string, std::shared_ptr<const PcanApi>>& Loaded() {
    static std::map<std::string, std::shared_ptr<const PcanApi>> loaded;
    return loaded;
}

template <typename F>
bool Resolve(QLibrary& lib, const char* name, F& fn, std::string& missing) {
    fn = reinterpret_cast<F>(lib.resolve(name));
    if (!fn) missing = name;
    return fn != nullptr;
}
}  // namespace

std::shared_ptr<const PcanApi> LoadPcanLibrary(const std::string& path, std::string& error, std::string* detail) {
    error.clear();
    std::lock_guard lock(g_mutex);
    if (auto it = Loaded().find(path); it != Loaded().end()) return it->second;

    auto fail = [&](const std::string& why) -> std::shared_ptr<const PcanApi> {
        error = kPcanLibraryNotFound;
        if (detail) *detail = why;
        qCDebug(lcCan, "PCAN library '%s': %s", path.c_str(), why.c_str());
        return nullptr;
    };
    if (path.empty()) return fail("no library file configured");
    // The QLibrary object goes out of scope without unloading: the library stays loaded.
    QLibrary lib(QString::fromStdString(path));
    if (!lib.load()) return fail(lib.errorString().toStdString());
    auto api = std::make_shared<PcanApi>();
    std::string missing;
    // Resolved in table order; the first missing call ends the attempt.
    const bool complete = Resolve(lib, "CAN_Initialize", api->Initialize, missing) &&
                          Resolve(lib, "CAN_Uninitialize", api->Uninitialize, missing) &&
                          Resolve(lib, "CAN_GetStatus", api->GetStatus, missing) &&
                          Resolve(lib, "CAN_Write", api->Write, missing) &&
                          Resolve(lib, "CAN_Read", api->Read, missing) &&
                          Resolve(lib, "CAN_Reset", api->Reset, missing) &&
                          Resolve(lib, "CAN_GetErrorText", api->GetErrorText, missing) &&
                          Resolve(lib, "CAN_GetValue", api->GetValue, missing);
    if (!complete) return fail("the library lacks \"" + missing + "\"");
    Loaded()[path] = api;
    return api;
}
