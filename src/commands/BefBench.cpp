// The bench commands: "BEF_Ub", "BEF_Drehzahl", "BEF_Motor" and "BEF_Kontup".

#include "BefBench.h"

#include <charconv>
#include <optional>

#include "BefCommands.h"
#include "Ports.h"
#include "ScriptRun.h"
#include "StringHelpers.h"

namespace {
BenchConverter* g_converter = nullptr;

constexpr const char* kSupplyTitle = "VERSORGUNGSSPANNUNG AUSSCHALTEN";
constexpr const char* kSupplySetTitle = "VERSORGUNGSSPANNUNG EINSTELLEN";
constexpr const char* kMotorTitle = "MOTORDREHZAHL EINSTELLEN";

// The number behind the parameter's ":" (leading blanks allowed, anything after the number
// ignored). Independent of the process locale: the decimal point is always ".".
std::optional<double> ReadFloat(const std::string& param) {
    std::string_view text = ParamValue(param);
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end == text.data()) return std::nullopt;
    return value;
}

// printf's "%<width>.1f", locale-independent.
std::string Fixed1(double value, int width) {
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
    std::string text = ec == std::errc() ? std::string(buffer, end) : std::string("?");
    if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<size_t>(width) - text.size(), ' ');
    return text;
}

bool ConverterActive() { return g_converter && g_converter->IsActive(); }

// A converter operation's outcome in the row: its measurement in the value column; a failure is
// shown to the operator, noted on one line after "    !" and counted as an error.
void Report(ProtocolLine& line, const BenchOutcome& outcome, const char* title) {
    if (!outcome.valueText.empty()) {
        line.valueText = outcome.valueText;
        line.valueShown = true;
    }
    if (outcome.ok) return;
    CurrentOperator().ShowMessage(outcome.message, title);
    std::string note;
    for (char c : outcome.message) {
        if (c == '\r' || c == '\n') c = ' ';
        if (c == ' ' && (note.empty() || note.back() == ' ')) continue;
        note.push_back(c);
    }
    if (!note.empty() && note.back() == ' ') note.pop_back();
    line.commandText += "    !" + note;
    line.status = STATUS_ERR_ANS;
}

// Runs a bench step with the runner paused (the operator may have to act).
template <typename Step>
bool Paused(Step step) {
    RunControl& control = CurrentRunControl();
    control.StopScriptTimer();
    step();
    control.StartScriptTimer();
    return true;
}
}  // namespace

BenchConverter* CurrentBenchConverter() { return g_converter; }
void SetBenchConverter(BenchConverter* converter) { g_converter = converter; }

bool CmdBefUb(TestInstruction& instruction) {
    return Paused([&] {
        ProtocolLine& line = CurrentRun().protocolLine;
        BeginBefRow(line, BefCommandName(instruction) + "  ");
        const auto volts = ReadFloat(instruction.param1);
        if (volts) {
            line.commandText += "  Voltage: " + Fixed1(*volts, 3) + " V";
        } else {
            line.commandText += "    !Syntax error voltage";
            line.status = STATUS_ERR_SYN;
        }
        const auto limit = ReadFloat(instruction.param2);
        if (limit) {
            line.commandText += " Current: " + Fixed1(*limit, 3) + " mA";
        } else {
            line.commandText += "    !Syntax error current";
            line.status = STATUS_ERR_SYN;
        }
        if (!volts || !limit) return;
        if (ConverterActive()) {
            Report(line, g_converter->SetSupply(*volts, *limit), kSupplySetTitle);
        } else if (*volts == 0) {
            CurrentOperator().ShowMessage("Converter is not active\nSupply voltage must be switched OFF manually\n",
                                          kSupplyTitle);
        } else {
            CurrentOperator().ShowMessage("Converter is not active\nSupply voltage must be switched ON manually\n"
                                          "                  " +
                                              Fixed1(*volts, 3) + " V",
                                          kSupplyTitle);
        }
    });
}

bool CmdBefDrehzahl(TestInstruction& instruction) {
    return Paused([&] {
        ProtocolLine& line = CurrentRun().protocolLine;
        BeginBefRow(line, BefCommandName(instruction) + "  ");
        const auto rpm = ReadFloat(instruction.param1);
        if (rpm) {
            line.commandText += "  Speed: " + Fixed1(*rpm, 4) + " RPM";
        } else {
            line.commandText += "    !Syntax error speed";
            line.status = STATUS_ERR_SYN;
        }
        const std::string_view direction = ParamValue(instruction.param2);
        const bool ccw = direction == "CCW";
        if (!ccw && direction != "CW") {
            line.commandText += "    !Syntax error direction";
            line.status = STATUS_ERR_SYN;
            return;
        }
        if (!rpm) return;
        if (ConverterActive()) {
            Report(line, g_converter->SetMotorSpeed(*rpm, ccw), kMotorTitle);
        } else {
            CurrentOperator().ShowMessage("Converter is not active\nMotor speed must be set manually\n" +
                                              Fixed1(*rpm, 4) + " U/min, Coderichtung " + (ccw ? "CCW" : "CW"),
                                          kMotorTitle);
        }
    });
}

bool CmdBefMotor(TestInstruction& instruction) {
    return Paused([&] {
        ProtocolLine& line = CurrentRun().protocolLine;
        const std::string word(ParamValue(instruction.param1));
        BeginBefRow(line, BefCommandName(instruction) + "  " + word);
        std::optional<MotorMode> mode;
        if (word == "Auto") mode = MotorMode::Auto;
        if (word == "Man") mode = MotorMode::Man;
        if (word == "Stop") mode = MotorMode::Stop;
        if (!mode) {
            line.commandText += "    !Syntax error";
            line.status = STATUS_ERR_SYN;
            return;
        }
        if (ConverterActive()) {
            Report(line, g_converter->SetMotorMode(*mode), kMotorTitle);
        } else if (*mode == MotorMode::Stop) {
            CurrentOperator().ShowMessage("Converter is not active\nMotor control must be set to STOP manually\n",
                                          kMotorTitle);
        } else {
            CurrentOperator().ShowMessage("Converter is not active\nMotor control must be set to ON manually\n",
                                          kMotorTitle);
        }
    });
}

bool CmdBefKontup(TestInstruction& instruction) {
    return Paused([&] { BeginBefRow(CurrentRun().protocolLine, BefCommandName(instruction) + "  "); });
}
