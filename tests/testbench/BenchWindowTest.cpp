// The desktop's bench fields and its start-up hooks: a calibration file read at start fills the
// main window's fields, gives the "Ub" button its values and initialises the converter.

#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QTemporaryDir>

#include "BefTestSupport.h"
#include "BenchPanel.h"
#include "Configuration.h"
#include "ConverterFixture.h"
#include "DesktopBench.h"
#include "DesktopStation.h"
#include "ScriptedOperator.h"

TEST(BenchWindow, CurrentFieldColoursAndCalibrationTexts) {
    EnsureCoreApplication();
    BenchPanel panel;
    auto* current = panel.findChild<QLabel*>("labCurrent");
    ASSERT_TRUE(current);
    CurrentBenchDisplay().ShowSupplyCurrent("150.0", StatusColor::Red);
    EXPECT_EQ(current->text(), "150.0");
    EXPECT_TRUE(current->autoFillBackground());
    EXPECT_EQ(current->palette().color(QPalette::Window), QColor(255, 0, 0));
    CurrentBenchDisplay().ResetSupplyCurrent();
    EXPECT_FALSE(current->autoFillBackground());
    CurrentBenchDisplay().ShowCalibration("MT 36", "Linie 2");
    EXPECT_EQ(panel.findChild<QLabel*>("labGebertyp")->text(), "MT 36");
    EXPECT_EQ(panel.findChild<QLabel*>("labDeckblatt")->text(), "Linie 2");
}

using DesktopBenchHooks = ConverterFixture;

TEST_F(DesktopBenchHooks, CalibrationFileAtStartAndConverterAtShutdown) {
    ScriptedOperator op;
    BenchPanel panel;
    QTemporaryDir dir;
    const QString start = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    QFile ini("quarzel.ini");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(Ini().c_str());
    ini.close();
    QFile cal("abgleich.txt");
    ASSERT_TRUE(cal.open(QIODevice::WriteOnly));
    cal.write("Gebertyp: MT 36\r\nDeckblatt: Linie 2\r\nSupply voltage: 12.5\r\nSupply current: 80\r\n");
    cal.close();

    {
        std::optional<CalibrationSettings> given;
        DesktopBench bench(nullptr);
        bench.Session().Link().SetTiming(kAnswering);
        bench.OnCalibration([&](const CalibrationSettings& c) { given = c; });
        ASSERT_TRUE(DesktopHooks().readCalibrationFile);
        EXPECT_TRUE(DesktopHooks().readCalibrationFile("abgleich.txt"));
        ASSERT_TRUE(given);
        EXPECT_EQ(given->supplyVolts, 12.5);
        EXPECT_EQ(given->supplyCurrent, 80.0);
        EXPECT_EQ(panel.findChild<QLabel*>("labGebertyp")->text(), "MT 36");
        EXPECT_TRUE(bench.Session().Bench().IsActive());
        EXPECT_TRUE(op.Messages().empty());
        DesktopHooks().closeConverter();
        EXPECT_FALSE(bench.Session().Link().IsOpen());
        EXPECT_FALSE(bench.AutomaticRequested());
    }
    // The hooks leave with the bench.
    EXPECT_FALSE(DesktopHooks().readCalibrationFile);

    // An automatic run the window was closed on is not a pass.
    {
        QFile test("kontup.tst");
        ASSERT_TRUE(test.open(QIODevice::WriteOnly));
        for (char c : BefHeader() + Step("B:Marke,Name:Start")) test.write(c == '\n' ? "\r\n" : std::string(1, c).c_str());
        test.close();
        AppConfiguration().SetValue("[ABGLEICH_INI_DATEI]", "");
        DesktopBench bench(nullptr);
        DesktopOptions options;
        options.testFile = "kontup.tst";
        options.automaticMode = true;
        DesktopHooks().startAutomaticMode(options);
        EXPECT_TRUE(bench.AutomaticRequested());
        EXPECT_EQ(bench.ExitCode(0), 1);
        QFile error(dir.path() + "/Error.txt");
        ASSERT_TRUE(error.open(QIODevice::ReadOnly));
        EXPECT_EQ(error.readAll().toStdString(), DesktopBench::kAborted);
    }
    DesktopBench without(nullptr);
    EXPECT_EQ(without.ExitCode(3), 3);
    QDir::setCurrent(start);
}
