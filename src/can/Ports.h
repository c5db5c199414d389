#pragma once
// The ports through which logic talks to the person at the station and to timers.
// Windows implement them on the desktop, the headless runner implements them on the command
// line, and tests use scripted doubles.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

enum class StatusColor { Default, Green, Yellow, Orange, Red };

// One field of the edit dialog. The caller fills it; on OK the dialog returns the text and, for
// a field that is not free text, its value.
struct EditField {
    bool active = false;
    bool freeText = false;  // no number check
    std::string caption;    // the field's label and the title of its messages
    std::string text;       // initial and returned
    uint32_t value = 0;     // returned: the text as a number of up to 4 bytes
};
using EditFieldSet = std::array<EditField, 6>;

class OperatorPort {
public:
    virtual ~OperatorPort() = default;
    // A modal message box. Texts use "\r" and "\n" as line breaks.
    virtual void ShowMessage(const std::string& text, const std::string& title) = 0;
    virtual bool AskYesNo(const std::string& text, const std::string& title) = 0;
    // Asks for a value; nullopt when the operator cancels.
    virtual std::optional<std::string> AskValue(const std::string& prompt, const std::string& title,
                                                const std::string& initial) = 0;
    // A notice text to read before going on (not a question).
    virtual void ShowNotice(const std::string& title, const std::string& text) = 0;
    // File choice; `filter` is "Description|*.ext". nullopt when cancelled.
    virtual std::optional<std::string> ChooseOpenFile(const std::string& title, const std::string& filter,
                                                      const std::string& startPath) = 0;
    // Save choice; the port asks before overwriting an existing file.
    virtual std::optional<std::string> ChooseSaveFile(const std::string& title, const std::string& filter,
                                                      const std::string& startPath) = 0;
    // The edit dialog over the active fields; on OK their texts and values are stored in
    // `fields` and the result is true. Without a dialog the edit is refused (false).
    virtual bool EditFields(EditFieldSet& fields);
    // The serial-number dialog; without one the number is shown as a message.
    virtual void ShowSerialNumber(uint32_t serialNumber);
};

// The operator in use; without one installed, messages go to the debug log and every
// question is answered "no" / cancelled.
OperatorPort& CurrentOperator();
void SetOperatorPort(OperatorPort* port);

// Status shown in the main window: the CAN status label and the bit-rate label.
class ChannelStatusPort {
public:
    virtual ~ChannelStatusPort() = default;
    virtual void ShowCanStatus(const std::string& text, StatusColor color) = 0;
    virtual void ShowBitRate(int kbit) = 0;
};
ChannelStatusPort& CurrentChannelStatus();
void SetChannelStatusPort(ChannelStatusPort* port);

// A periodic timer. Ticks never come early: a tick arrives no sooner than the interval after
// the previous one (or after Start).
class TimerPort {
public:
    virtual ~TimerPort() = default;
    virtual void Start(int intervalMs) = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;
    virtual int IntervalMs() const = 0;
    void SetHandler(std::function<void()> handler) { handler_ = std::move(handler); }

protected:
    void Fire() {
        if (handler_) handler_();
    }

private:
    std::function<void()> handler_;
};

// Makes timers of the kind the program runs on (Qt timers on the event loop in the programs,
// timers on the current TimeSource in tests).
using TimerFactory = std::function<std::unique_ptr<TimerPort>()>;
std::unique_ptr<TimerPort> CreateTimer();
void SetTimerFactory(TimerFactory factory);
