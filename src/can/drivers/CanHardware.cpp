#include "CanHardware.h"

#include <QLoggingCategory>
#include <set>

#include "CanChannel.h"
#include "CanInterfaceKinds.h"
#include "CanSettings.h"
#include "ChannelNotices.h"
#include "PeakCanInterface.h"

Q_DECLARE_LOGGING_CATEGORY(lcCan)

namespace {
// References handed to entries that do not bring a unique one of their own.
constexpr uint32_t kFirstAssignedRef = 0x10000;

void AssignReferences(std::vector<CanChannelInfo>& entries) {
    std::set<uint32_t> used;
    uint32_t next = kFirstAssignedRef;
    for (auto& e : entries) {
        if (e.handleRef != 0 && e.handleRef < kFirstAssignedRef && used.insert(e.handleRef).second) continue;
        while (used.count(next)) ++next;
        e.handleRef = next;
        used.insert(next);
    }
}
}  // namespace

bool CanCreateInterface(uint32_t deviceNumber, uint32_t channelHandle) {
    CanSetInterface(nullptr);
    CanActive = false;
    CanHardwareList().clear();

    const std::string treiberTyp = CurrentCanSettings().Config("[CAN_TREIBER_TYP]");
    const CanInterfaceKind* kind = FindCanInterfaceKind(treiberTyp);
    if (!kind || !kind->create) {
        NotifyOperator("Unknown CAN interface type '" + treiberTyp +
                           "'.\nUse a PCAN-Basic library file, a Qt SerialBus plugin (socketcan, socketcan:can0, "
                           "...) or virtual.",
                       "CAN Initialization");
        return false;
    }
    std::string error;
    std::shared_ptr<AbstractCanInterface> iface = kind->create(treiberTyp, error);
    if (!iface) {
        if (!error.empty()) NotifyOperator(error, "CAN Initialization");
        return false;
    }
    // A PCAN channel is probed through a handle of its own, so the cross-process guard applies
    // to the probe; other kinds search with the interface's own handle object.
    std::unique_ptr<PeakCanHandle> probe;
    IHandleType* handle = iface->HandleObject();
    if (dynamic_cast<PeakCanInterface*>(iface.get())) {
        probe = std::make_unique<PeakCanHandle>();
        handle = probe.get();
    }
    if (!handle) return false;
    handle->SetHandle(channelHandle);
    std::lock_guard lock(iface->Mutex());
    if (!iface->SearchCanDriverHandle(deviceNumber, handle)) {
        qCDebug(lcCan, "CanCreateInterface: no channel with device number %u", deviceNumber);
        return false;
    }
    CanSetInterface(iface);
    return iface->ActivateHandle(handle);
}

bool CanGetHardwareList(std::vector<CanChannelInfo>& list, bool refresh) {
    bool found = true;
    if (refresh) {
        std::vector<CanChannelInfo> fresh;
        for (const CanInterfaceKind& kind : CanInterfaceKinds()) {
            if (!kind.listChannels) continue;
            for (CanChannelInfo& e : kind.listChannels())
                if (e.owner) fresh.push_back(std::move(e));
        }
        AssignReferences(fresh);
        CanHardwareList() = std::move(fresh);
        found = !CanHardwareList().empty();
    }
    list = CanHardwareList();
    return found;
}

bool CanSelectHardware(uint32_t handleRef) {
    if (handleRef == 0) return false;
    std::shared_ptr<AbstractCanInterface> owner;
    for (const CanChannelInfo& e : CanHardwareList()) {
        if (e.handleRef == handleRef && e.owner) {
            owner = e.owner;
            break;
        }
    }
    if (!owner || !owner->HandleObject()) return false;
    std::shared_ptr<AbstractCanInterface> previous = CanCurrentInterface();
    if (previous && previous != owner) {
        std::lock_guard lock(previous->Mutex());
        previous->Close();
    }
    CanSetInterface(owner);
    std::lock_guard lock(owner->Mutex());
    return owner->ActivateHandle(owner->HandleObject());
}
