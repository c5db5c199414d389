#include "ConverterLink.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <cmath>
#include <cstdio>

#include "IniFile.h"
#include "PortSettings.h"

namespace {
constexpr const char* kPortKey = "[ComPortKonverter]";
constexpr const char* kSettingsKey = "[ComInitKonverter]";
constexpr int kWriteTimeoutMs = 1000;

// The port is on this system: listed among its serial ports, or given as the path of an
// existing device (pseudo-terminals and USB adapters under another name are not listed).
bool PortPresent(const QString& name) {
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        if (info.portName() == name || info.systemLocation() == name) return true;
    return name.startsWith('/') && QFileInfo::exists(name);
}

bool Apply(QSerialPort& port, const PortSettings& s) {
    const QSerialPort::Parity parity = s.parity == 'E'   ? QSerialPort::EvenParity
                                       : s.parity == 'O' ? QSerialPort::OddParity
                                       : s.parity == 'M' ? QSerialPort::MarkParity
                                       : s.parity == 'S' ? QSerialPort::SpaceParity
                                                         : QSerialPort::NoParity;
    const QSerialPort::StopBits stop = s.stopBits == 2    ? QSerialPort::TwoStop
                                       : s.stopBits == 15 ? QSerialPort::OneAndHalfStop
                                                          : QSerialPort::OneStop;
    return port.setBaudRate(s.baud) && port.setParity(parity) &&
           port.setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits)) && port.setStopBits(stop) &&
           port.setFlowControl(QSerialPort::NoFlowControl);
}
}  // namespace

ConverterLink::ConverterLink() = default;
ConverterLink::~ConverterLink() { Close(); }

uint32_t ConverterLink::Fail(uint32_t code, std::string text) {
    errorText_ = std::move(text);
    return code;
}

uint32_t ConverterLink::Succeed() {
    errorText_.clear();
    return CONV_OK;
}

uint32_t ConverterLink::Open(std::string_view configurationText) {
    Close();
    port_ = std::make_unique<QSerialPort>();
    port_->setObjectName("LG_NQ_Konv");
    std::string name, settingsText;
    for (auto [key, value] : {std::pair{kPortKey, &name}, std::pair{kSettingsKey, &settingsText}}) {
        if (!FindIniValue(configurationText, key, *value))
            return Fail(CONV_INI_KEY, std::string("Eintrag in Ini-Datei nicht gefunden\n  --- ") + key + "  ---");
    }
    const QString portName = QString::fromStdString(name);
    if (name.empty() || !PortPresent(portName))
        return Fail(CONV_PORT_MISSING, "gelesener COM-Port IIC Bus:\r- " + name + " -\r ist nicht vorhanden!");
    port_->setPortName(portName);
    const auto settings = ParsePortSettings(settingsText);
    if (!settings || !port_->open(QIODevice::ReadWrite) || !Apply(*port_, *settings)) {
        port_->close();
        return Fail(CONV_NOT_OPEN, "Schnittstelle konnte nicht geöffnet werden");
    }
    open_ = true;
    return Succeed();
}

uint32_t ConverterLink::Initialise(int expectedType, std::string_view configurationText) {
    const uint32_t opened = Open(configurationText);
    if (opened != CONV_OK) return opened;
    int type = 0;
    const uint32_t queried = QueryType(type, false);
    if (queried != CONV_OK) return queried;
    if (expectedType != 1 && type != expectedType) return Fail(CONV_WRONG_TYPE, "falscher Konvertertyp");
    ready_ = true;
    return Succeed();
}

void ConverterLink::Close() {
    if (port_) port_->close();
    port_.reset();
    open_ = false;
    ready_ = false;
}

uint32_t ConverterLink::Exchange(const std::string& request, bool measurement, std::string& answer, bool needReady) {
    answer.clear();
    if (!open_ || !port_ || !port_->isOpen()) return Fail(CONV_NOT_OPEN, "Schnittstelle ist nicht offen");
    if (needReady && !ready_) return Fail(CONV_NOT_READY, "Konverter nicht bereit");
    // A late answer to an earlier request must not be taken for this one's.
    port_->waitForReadyRead(0);
    port_->readAll();
    port_->write(request.data(), static_cast<qint64>(request.size()));
    port_->waitForBytesWritten(kWriteTimeoutMs);

    // Real time: the converter is a device on a port, not a simulated bus.
    QElapsedTimer elapsed;
    elapsed.start();
    const qint64 limit = measurement ? timing_.measurementMs : timing_.answerMs;
    QByteArray received;
    for (;;) {
        received += port_->readAll();
        if (received.size() > static_cast<qsizetype>(kConverterBufferBytes))
            return Fail(CONV_BAD_ANSWER, "Empfangene Daten übersteigen die Pufferlänge");
        if (received.endsWith('\r')) break;
        const qint64 left = limit - elapsed.elapsed();
        if (left <= 0 || !port_->waitForReadyRead(static_cast<int>(left))) {
            received += port_->readAll();
            break;
        }
    }
    if (received.size() > static_cast<qsizetype>(kConverterBufferBytes))
        return Fail(CONV_BAD_ANSWER, "Empfangene Daten übersteigen die Pufferlänge");
    if (received.isEmpty()) return Fail(CONV_NO_ANSWER, "keine Antwort vom Konverter");
    answer.assign(received.constData(), static_cast<size_t>(received.size()));
    return Succeed();
}

uint32_t ConverterLink::Setting(uint8_t command, std::initializer_list<ConverterParam> params,
                                const std::string& unconfirmed) {
    std::string answer;
    const uint32_t code = Exchange(EncodeConverterRequest(command, params), false, answer);
    if (code != CONV_OK) return code;
    if (!IsConfirmation(answer, command)) return Fail(CONV_BAD_ANSWER, unconfirmed);
    return Succeed();
}

uint32_t ConverterLink::SetSupplyVoltage(double volts) {
    if (!(volts >= 0.0 && volts < 1.0e6)) {
        char text[96];
        std::snprintf(text, sizeof text, "Versorgungsspannung %.1f V ist nicht einstellbar", volts);
        return Fail(CONV_OUT_OF_RANGE, text);
    }
    return Setting(CMD_SUPPLY, {{static_cast<uint64_t>(std::trunc(volts * 100.0)), 1}},
                   "UB-Einstellung nicht bestätigt");
}

uint32_t ConverterLink::SetAnalogOutput(double volts) {
    const auto value = AnalogValue(volts);
    if (!value) {
        char text[128];
        std::snprintf(text, sizeof text, "Analogspannung %.2f V ausserhalb von -10 V ... +10 V", volts);
        return Fail(CONV_OUT_OF_RANGE, text);
    }
    return Setting(CMD_ANALOG, {{*value, 2}}, "Analog Spannungseinstellung nicht bestätigt");
}

uint32_t ConverterLink::SetMotorSpeed(double rpm, bool counterClockwise) {
    return SetAnalogOutput(MotorVolts(rpm, counterClockwise));
}

uint32_t ConverterLink::SwitchRelay(int relay, bool on) {
    char text[64];
    std::snprintf(text, sizeof text, "Relais %d Zustand %d\n nicht geschaltet!\r", relay, on ? 1 : 0);
    return Setting(CMD_RELAY, {{static_cast<uint64_t>(relay), 1}, {on ? 1u : 0u, 1}}, text);
}

uint32_t ConverterLink::SwitchOutput(int output, bool on) {
    char text[64];
    std::snprintf(text, sizeof text, "Ausgang %d Zustand %d\n nicht geschaltet!\r", output, on ? 1 : 0);
    return Setting(CMD_OUTPUT, {{static_cast<uint64_t>(output), 1}, {on ? 1u : 0u, 1}}, text);
}

uint32_t ConverterLink::ReadCurrent(double& amps) {
    std::string answer;
    const uint32_t code = Exchange(EncodeConverterRequest(CMD_CURRENT, {}), true, answer);
    if (code != CONV_OK) return code;
    const auto units = AnswerNumber(answer, 4);
    if (!units) return Fail(CONV_BAD_ANSWER, "Strommessung nicht lesbar");
    amps = *units * kAmpsPerCurrentUnit;
    return Succeed();
}

uint32_t ConverterLink::ReadType(int& type) { return QueryType(type, true); }

uint32_t ConverterLink::QueryType(int& type, bool needReady) {
    std::string answer;
    const uint32_t code = Exchange(EncodeConverterRequest(CMD_TYPE, {}), false, answer, needReady);
    if (code != CONV_OK) return code;
    const auto value = AnswerNumber(answer, 2);
    if (!value) return Fail(CONV_WRONG_TYPE, "falscher Konvertertyp");
    type = static_cast<int>(*value);
    return Succeed();
}
