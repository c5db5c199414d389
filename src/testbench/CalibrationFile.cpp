#include "CalibrationFile.h"

#include <QFile>
#include <charconv>

#include "LogFiles.h"

namespace {
// The rest of the first line that contains `key`, without its line end; nullopt when no line
// has the key.
std::optional<std::string> KeyValue(std::string_view text, std::string_view key) {
    const size_t at = text.find(key);
    if (at == std::string_view::npos) return std::nullopt;
    const size_t start = at + key.size();
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    return std::string(text.substr(start, end - start));
}

std::string_view Trimmed(std::string_view v) {
    while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
    while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.remove_suffix(1);
    return v;
}

template <typename T>
std::optional<T> Number(const std::optional<std::string>& value) {
    if (!value) return std::nullopt;
    std::string_view v = Trimmed(*value);
    if (!v.empty() && v.front() == '+') v.remove_prefix(1);
    T out{};
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), out);
    if (ec != std::errc() || end == v.data()) return std::nullopt;
    return out;
}
}  // namespace

CalibrationSettings ParseCalibrationText(std::string_view text) {
    CalibrationSettings s;
    s.motorRpm = Number<int>(KeyValue(text, "Motor_speed_[RPM]: "));
    s.supplyVolts = Number<double>(KeyValue(text, "Supply voltage: "));
    s.supplyCurrent = Number<double>(KeyValue(text, "Supply current: "));
    const std::pair<const char*, std::string*> texts[] = {
        {"Gebertyp: ", &s.encoderType},
        {"Deckblatt: ", &s.coverSheet},
        {"Bemerkungen: ", &s.remarks},
        {"Controller_ProgramFile: ", &s.controllerProgramFile},
        {"Testfile_Testing: ", &s.testfileTesting},
        {"Testfile_Delivery: ", &s.testfileDelivery},
        {"Testfile_Parametertest: ", &s.testfileParametertest},
        {"Testfile_Extra: ", &s.testfileExtra},
        {"EDS_File: ", &s.edsFile},
    };
    for (const auto& [key, field] : texts) *field = KeyValue(text, key).value_or("");
    return s;
}

std::optional<CalibrationSettings> ReadCalibrationFile(const std::string& path) {
    QFile file(QString::fromLocal8Bit(NativePath(path).c_str()));
    if (path.empty() || !file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.readAll();
    return ParseCalibrationText(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}
