#include "StandardCanInterfaceKinds.h"

#include <algorithm>
#include <cctype>

#include "CNumber.h"
#include "CanChannel.h"
#include "CanInterfaceKinds.h"
#include "CanSettings.h"
#include "PeakCanInterface.h"
#include "VirtualBus.h"
#include "VirtualCanInterface.h"
#ifdef QUARZEL_HAVE_SERIALBUS
#include <QCanBus>

#include "QtCanBusInterface.h"
#endif

namespace {
std::string Trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::vector<CanChannelInfo> ListPcanChannels() {
    const std::string path = PcanLibraryForListing(CurrentCanSettings().Config("[CAN_TREIBER_TYP]"));
    auto current = std::dynamic_pointer_cast<PeakCanInterface>(CanCurrentInterface());
    const bool reuse = current && current->LibraryPath() == path;
    std::shared_ptr<PeakCanInterface> lister = reuse ? current : std::make_shared<PeakCanInterface>(path);
    std::vector<CanChannelInfo> entries;
    if (!lister->GetChannelList(entries, true)) return {};
    const IHandleType* own = lister->HandleObject();
    for (auto& e : entries) {
        // The current interface keeps its own channel; every other channel gets an interface
        // bound to it, so choosing it in the menu opens that channel.
        if (reuse && own && own->GetHandle() == e.handleRef) continue;
        auto owner = std::make_shared<PeakCanInterface>(path);
        owner->SetHandleObject(std::make_unique<PeakCanHandle>(e.handleRef, e.deviceNumber));
        e.owner = owner;
    }
    return entries;
}

std::vector<CanChannelInfo> ListVirtualChannels() {
    std::shared_ptr<AbstractCanInterface> owner = std::dynamic_pointer_cast<VirtualCanInterface>(CanCurrentInterface());
    if (!owner) owner = std::make_shared<VirtualCanInterface>(VirtualBus::Default());
    std::vector<CanChannelInfo> entries;
    owner->GetChannelList(entries, true);
    return entries;
}

#ifdef QUARZEL_HAVE_SERIALBUS
// "<plugin>[:<interface>]" -> plugin (lower case) and interface.
std::pair<std::string, std::string> SplitQtForm(const std::string& treiberTyp) {
    const std::string value = Trimmed(treiberTyp);
    const auto colon = value.find(':');
    if (colon == std::string::npos) return {Lower(value), {}};
    return {Lower(value.substr(0, colon)), Trimmed(value.substr(colon + 1))};
}
#endif
}  // namespace

bool IsPcanLibraryName(const std::string& treiberTyp) {
    const std::string v = Lower(Trimmed(treiberTyp));
    if (v.empty()) return false;
    return EndsWith(v, ".dll") || EndsWith(v, ".so") || EndsWith(v, ".dylib") || v.find(".so.") != std::string::npos ||
           v.find("pcanbasic") != std::string::npos || v.find('/') != std::string::npos ||
           v.find('\\') != std::string::npos;
}

std::string PcanLibraryForListing(const std::string& treiberTyp) {
    if (IsPcanLibraryName(treiberTyp)) return Trimmed(treiberTyp);
#if defined(_WIN32)
    return "PCANBasic.dll";
#elif defined(__APPLE__)
    return "libPCBUSB.dylib";
#else
    return "libpcanbasic.so";
#endif
}

void RegisterPcanInterfaceKind() {
    CanInterfaceKind kind;
    kind.name = "pcan";
    kind.matches = IsPcanLibraryName;
    kind.create = [](const std::string& treiberTyp, std::string&) -> std::shared_ptr<AbstractCanInterface> {
        return std::make_shared<PeakCanInterface>(Trimmed(treiberTyp));
    };
    kind.listChannels = ListPcanChannels;
    RegisterCanInterfaceKind(std::move(kind));
}

void RegisterVirtualInterfaceKind() {
    CanInterfaceKind kind;
    kind.name = "virtual";
    kind.matches = [](const std::string& v) { return Lower(Trimmed(v)) == "virtual"; };
    kind.create = [](const std::string&, std::string&) -> std::shared_ptr<AbstractCanInterface> {
        return std::make_shared<VirtualCanInterface>(VirtualBus::Default());
    };
    kind.listChannels = ListVirtualChannels;
    RegisterCanInterfaceKind(std::move(kind));
}

void RegisterQtCanBusInterfaceKind() {
#ifdef QUARZEL_HAVE_SERIALBUS
    CanInterfaceKind kind;
    kind.name = "qtcanbus";
    kind.matches = [](const std::string& v) { return QtCanBusInterface::IsInstalledPlugin(SplitQtForm(v).first); };
    kind.create = [](const std::string& treiberTyp, std::string&) -> std::shared_ptr<AbstractCanInterface> {
        auto [plugin, device] = SplitQtForm(treiberTyp);
        if (device.empty()) {
            // "[CAN_TREIBER_CHANNEL]" may name the interface ("can0") instead of numbering it.
            const std::string channel = Trimmed(CurrentCanSettings().Config("[CAN_TREIBER_CHANNEL]"));
            if (!channel.empty() && !ParseCNumber(channel)) device = channel;
        }
        return std::make_shared<QtCanBusInterface>(plugin, device);
    };
    kind.listChannels = [] {
        // PCAN channels are listed by the PCAN kind; Qt's own peakcan plugin would list them twice.
        std::vector<CanChannelInfo> entries;
        for (const QString& plugin : QCanBus::instance()->plugins()) {
            if (plugin == "peakcan") continue;
            for (auto& e : QtCanBusInterface::ListChannels(plugin.toStdString())) entries.push_back(std::move(e));
        }
        return entries;
    };
    RegisterCanInterfaceKind(std::move(kind));
#endif
}

void RegisterStandardCanInterfaceKinds() {
    // Qt SerialBus first: its forms start with an installed plugin's name, so a Windows path
    // ("C:\\...") can never be taken for one, while "passthrucan:C:\\..." must not go to PCAN.
    RegisterQtCanBusInterfaceKind();
    RegisterPcanInterfaceKind();
    RegisterVirtualInterfaceKind();
}
