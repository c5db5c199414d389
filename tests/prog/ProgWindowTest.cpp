// The programming window offscreen, driven by its controls' names against the simulated
// controller (virtual time: the client runs on the test's thread).

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <fstream>

#include "BootloaderFixture.h"
#include "Configuration.h"
#include "ScriptedOperator.h"
#include "StationActions.h"
#include "TformProg.h"

namespace {
class QtApp : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "test_prog_widgets";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QApplication> app_;
};
[[maybe_unused]] ::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new QtApp);

template <class T>
T* Control(QWidget& w, const char* name) {
    T* c = w.findChild<T*>(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
}
}  // namespace

using ProgWindow = BootloaderFixture;

TEST_F(ProgWindow, ControlsTextsAndBindings) {
    TformProg window;
    EXPECT_EQ(window.windowTitle(), "PROGRAMMING");
    EXPECT_EQ(CurrentBefProgrammer(), &window.Control());
    ASSERT_NE(FindStationAction("mnuProgramming"), nullptr);
    (*FindStationAction("mnuProgramming"))();
    EXPECT_TRUE(window.isVisible());
    auto* mode = Control<QComboBox>(window, "cbEraseMode");
    ASSERT_EQ(mode->count(), 4);
    EXPECT_EQ(mode->itemText(0), "Komplett");
    EXPECT_EQ(mode->itemText(3), "Block 2 (nicht implementiert)");
    EXPECT_EQ(Control<QComboBox>(window, "cbController")->count(), 9);  // automatic + 8 controllers
    // "BEF_Prog_AtBl" settings show in the controls.
    window.Control().SetScriptOptions("5", false, true, 2);
    EXPECT_EQ(Control<QLineEdit>(window, "tbCRIS")->text(), "5");
    EXPECT_FALSE(Control<QCheckBox>(window, "cbBlankCheck")->isChecked());
    EXPECT_TRUE(Control<QCheckBox>(window, "cbEraseDevice")->isChecked());
    EXPECT_EQ(mode->currentIndex(), 2);
}

TEST_F(ProgWindow, ProgramButtonProgramsAndShowsProgress) {
    ScriptedOperator op;
    SetOperatorPort(&op);
    Attach("bootloader?cris=0&kind=1");
    TformProg window;
    window.Present();
    Control<QLineEdit>(window, "tbCRIS")->setText("300");
    Control<QPushButton>(window, "btnProgram")->click();
    ASSERT_FALSE(op.Messages().empty());
    EXPECT_EQ(op.Messages().back(), "PROGRAMMING: Ungltige CRIS Id");
    Control<QLineEdit>(window, "tbCRIS")->setText("0");
    Control<QPushButton>(window, "btnProgram")->click();
    EXPECT_EQ(Control<QLabel>(window, "labStatus")->text(), "No hex file loaded");

    const HexImage image = RandomImage(0, 0x300);
    const std::string path = dir.path().toStdString() + "/fw.hex";
    std::ofstream(path, std::ios::binary) << WriteIntelHex(image);
    ASSERT_TRUE(window.Control().OpenHexFile(path));
    EXPECT_EQ(Control<QComboBox>(window, "cbFile")->currentText().toStdString(), path);
    Control<QPushButton>(window, "btnProgram")->click();
    EXPECT_EQ(Control<QLabel>(window, "labStatus")->text(), "Programming OK");
    EXPECT_EQ(Control<QLabel>(window, "labStatusCode")->text(), "0xFF00");
    EXPECT_EQ(Control<QProgressBar>(window, "pbProgress")->value(), 100);
    EXPECT_EQ(Flash(0, image.bytes.size()), image.bytes);
    Control<QPushButton>(window, "btnVerify")->click();
    EXPECT_EQ(Control<QLabel>(window, "labStatus")->text(), "Verification OK");
    SetOperatorPort(nullptr);
}
