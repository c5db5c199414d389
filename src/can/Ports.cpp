#include "Ports.h"

#include <QLoggingCategory>
#include <atomic>
#include <mutex>

#include "TimeSourceTimer.h"

Q_LOGGING_CATEGORY(lcOperator, "quarzel.operator", QtWarningMsg)

namespace {
// Without a person at the station: log messages, refuse questions.
class NoOperator final : public OperatorPort {
public:
    void ShowMessage(const std::string& text, const std::string& title) override {
        qCWarning(lcOperator, "%s: %s", title.c_str(), text.c_str());
    }
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    std::optional<std::string> AskValue(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    void ShowNotice(const std::string&, const std::string&) override {}
    std::optional<std::string> ChooseOpenFile(const std::string&, const std::string&,
                                              const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&,
                                              const std::string&) override {
        return std::nullopt;
    }
};

class NoChannelStatus final : public ChannelStatusPort {
public:
    void ShowCanStatus(const std::string&, StatusColor) override {}
    void ShowBitRate(int) override {}
};

std::atomic<OperatorPort*> g_operator{nullptr};
std::atomic<ChannelStatusPort*> g_status{nullptr};
std::mutex g_factoryMutex;
TimerFactory g_factory;
}  // namespace

bool OperatorPort::EditFields(EditFieldSet&) { return false; }

void OperatorPort::ShowSerialNumber(uint32_t serialNumber) {
    ShowMessage(std::to_string(serialNumber), "Seriennummer");
}

OperatorPort& CurrentOperator() {
    static NoOperator none;
    OperatorPort* p = g_operator.load(std::memory_order_acquire);
    return p ? *p : none;
}
void SetOperatorPort(OperatorPort* port) { g_operator.store(port, std::memory_order_release); }

ChannelStatusPort& CurrentChannelStatus() {
    static NoChannelStatus none;
    ChannelStatusPort* p = g_status.load(std::memory_order_acquire);
    return p ? *p : none;
}
void SetChannelStatusPort(ChannelStatusPort* port) { g_status.store(port, std::memory_order_release); }

std::unique_ptr<TimerPort> CreateTimer() {
    std::lock_guard lock(g_factoryMutex);
    if (g_factory) return g_factory();
    return std::make_unique<TimeSourceTimer>();
}

void SetTimerFactory(TimerFactory factory) {
    std::lock_guard lock(g_factoryMutex);
    g_factory = std::move(factory);
}
