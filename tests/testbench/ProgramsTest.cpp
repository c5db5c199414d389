// The programs as a user runs them: quarzel-sim-converter on its own terminal, and quarzel in
// automatic mode ending with its exit code and "Error.txt".

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "ConverterFixture.h"

namespace {
constexpr int kProgramMs = 60000;  // bounds a hung program; a healthy one ends at once

std::string ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string("(missing)");
}

void Write(const QString& path, const std::string& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.data(), static_cast<qint64>(text.size()));
}
}  // namespace

TEST(Programs, SimulatedConverterProgramAnswersOnItsTerminal) {
    EnsureCoreApplication();
    QProcess sim;
    sim.start(QUARZEL_SIM_CONVERTER_EXE, {"--type", "3", "--current-ma", "80"});
    ASSERT_TRUE(sim.waitForStarted(kProgramMs));
    std::string first;
    while (first.find('\n') == std::string::npos && sim.waitForReadyRead(kProgramMs))
        first += sim.readAllStandardOutput().toStdString();
    ASSERT_EQ(first.rfind("converter: /dev/", 0), 0u) << first;
    const std::string path = first.substr(11, first.find('\n') - 11);

    ConverterLink link;
    link.SetTiming({5000, 5000});
    EXPECT_EQ(link.Initialise(2, ConverterIni(path)), CONV_WRONG_TYPE);
    ASSERT_EQ(link.Initialise(3, ConverterIni(path)), CONV_OK);
    ASSERT_EQ(link.SetSupplyVoltage(24.0), CONV_OK);
    double amps = 0;
    ASSERT_EQ(link.ReadCurrent(amps), CONV_OK);
    EXPECT_DOUBLE_EQ(amps, 0.08);
    link.Close();
    sim.terminate();
    ASSERT_TRUE(sim.waitForFinished(kProgramMs));
    const std::string log = first + sim.readAllStandardOutput().toStdString();
    EXPECT_NE(log.find("command 19: supply 24.00 V"), std::string::npos) << log;
    EXPECT_NE(log.find("command 1c: current 80.0 mA"), std::string::npos) << log;
    EXPECT_NE(log.find("stopped"), std::string::npos) << log;
}

TEST(Programs, DesktopAutomaticModeEndsWithExitCodeAndErrorFile) {
    EnsureCoreApplication();
    PtyConverter converter;
    std::string error;
    ASSERT_TRUE(converter.Start(error)) << error;
    QTemporaryDir dir;
    const QString folder = dir.path();
    std::string ini = ReadAll(QUARZEL_EXAMPLES_DIR "/quarzel.ini");
    ini += "[ComPortKonverter]\r\n" + converter.DevicePath() + "\r\n[ComInitKonverter]\r\n9600,N,8,1\r\n";
    const size_t cal = ini.find("[ABGLEICH_INI_DATEI]\r\n");
    ASSERT_NE(cal, std::string::npos);
    ini.insert(cal + 22, "abgleich.txt");
    Write(folder + "/quarzel.ini", ini);
    Write(folder + "/abgleich.txt", "Supply voltage: 12.0\r\nSupply current: 100\r\nMotor_speed_[RPM]: 600\r\n");
    QFile::copy(QUARZEL_EXAMPLES_DIR "/encoder-production.tst", folder + "/kontup.tst");
    QFile::copy(QUARZEL_EXAMPLES_DIR "/Memory.dat", folder + "/Memory.dat");  // named by the test file

    struct Case {
        QStringList args;
        std::string error;
    };
    const Case cases[] = {
        {{"testfile=" + folder + "/kontup.tst", "serialnbr=12x"}, "Error. The serial number '12x' is not valid."},
        {{"testfile=" + folder + "/fehlt.tst"}, "Error. The file '" + folder.toStdString() + "/fehlt.tst' was not found."},
        // Until a continuity test is installed the automatic run cannot pass.
        {{"testfile=" + folder + "/kontup.tst", "serialnbr=4711"}, "continuity test not available"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        QProcess quarzel;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("QUARZEL_CONTROL_PIPE", folder + "/control.sock");
        quarzel.setProcessEnvironment(env);
        quarzel.setWorkingDirectory(folder);
        quarzel.start(QUARZEL_EXE, c.args);
        ASSERT_TRUE(quarzel.waitForFinished(kProgramMs));
        EXPECT_EQ(quarzel.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(quarzel.exitCode(), 1);
        EXPECT_EQ(ReadAll(folder + "/Error.txt"), c.error);
        EXPECT_EQ(ReadAll(folder + "/quarzel.ini"), ini);  // never written in automatic mode
    }
    // The last run had the bench: on with the calibration values, off again at the end.
    const auto sent = converter.Requests();
    ASSERT_GE(sent.size(), 4u);
    EXPECT_EQ(sent.back(), "\x19" "00\r\r");
    EXPECT_NE(std::find(sent.begin(), sent.end(), "\x19" "4b0\r\r"), sent.end());
    EXPECT_NE(std::find(sent.begin(), sent.end(), "\x1d" "068f\r\r"), sent.end());  // 600 rpm: 1.8 V
}
