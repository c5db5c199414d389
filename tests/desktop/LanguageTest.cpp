#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QWidget>

#include "LanguageRows.h"
#include "WindowSupport.h"

namespace {
class LanguageTest : public ::testing::Test {
protected:
    LanguageTest() {
        window.setObjectName("TformSample");
        auto* panel = new QWidget(&window);
        Make<QPushButton>(panel, "btnGo", "Los");
        auto* fast = new QToolButton(panel);
        fast->setObjectName("sbFast");
        fast->setText("Schnell");
        Make<QLabel>(panel, "labName", "Name");
        Make<QCheckBox>(panel, "cbLog", "Protokoll");
        Make<QRadioButton>(panel, "rbOne", "Eins");
        group = new QGroupBox("Gruppe", panel);
        group->setObjectName("gbGroup");
        menu = new QMenu("Datei", &window);
        menu->setObjectName("mnuFile");
        menu->addAction("Oeffnen")->setObjectName("mnuOpen");
        // A dialog of the window has a table of its own.
        auto* dialog = new QDialog(&window);
        Make<QPushButton>(dialog, "btnInDialog", "Abbruch");
    }
    template <class T>
    T* Make(QWidget* parent, const char* name, const char* text) {
        auto* w = new T(QString(text), parent);
        w->setObjectName(name);
        return w;
    }
    QString Text(const char* name) { return FindControl(&window, name)->property("text").toString(); }

    QWidget window;
    QGroupBox* group = nullptr;
    QMenu* menu = nullptr;
};
}  // namespace

TEST_F(LanguageTest, EachRowKindSetsItsKindOfControl) {
    EXPECT_TRUE(ApplyButtonRow(&window, "btnGo", "Go"));
    EXPECT_TRUE(ApplyButtonRow(&window, "sbFast", "Fast"));
    EXPECT_TRUE(ApplyLabelRow(&window, "labName", "Name:"));
    EXPECT_TRUE(ApplyCheckBoxRow(&window, "cbLog", "Log"));
    EXPECT_TRUE(ApplyGroupBoxRow(&window, "gbGroup", "Group"));
    EXPECT_TRUE(ApplyMenuItemRow(&window, "mnuFile", "&File"));
    EXPECT_TRUE(ApplyMenuItemRow(&window, "mnuOpen", "&Open"));
    EXPECT_TRUE(ApplyHintRow(&window, "btnGo", "Starts it."));
    EXPECT_TRUE(ApplyTitleRow(&window, "SAMPLE"));
    EXPECT_EQ(Text("btnGo"), "Go");
    EXPECT_EQ(Text("sbFast"), "Fast");
    EXPECT_EQ(Text("labName"), "Name:");
    EXPECT_EQ(Text("cbLog"), "Log");
    EXPECT_EQ(group->title(), "Group");
    EXPECT_EQ(menu->title(), "&File");
    EXPECT_EQ(Text("mnuOpen"), "&Open");
    EXPECT_EQ(Control<QPushButton>(&window, "btnGo")->toolTip(), "Starts it.");
    EXPECT_EQ(window.windowTitle(), "SAMPLE");
}

TEST_F(LanguageTest, ARowForAMissingControlChangesNothing) {
    const LanguageRow rows[] = {{TextKind::Button, "btnNowhere", "X"}, {TextKind::Hint, "labNowhere", "Y"}};
    EXPECT_EQ(ApplyLanguageRows(&window, rows), 0);
    EXPECT_EQ(Text("btnGo"), "Los");
}

TEST_F(LanguageTest, ARowForAControlOfAnotherKindChangesNothing) {
    EXPECT_FALSE(ApplyButtonRow(&window, "labName", "Button?"));
    EXPECT_FALSE(ApplyButtonRow(&window, "cbLog", "Button?"));
    EXPECT_FALSE(ApplyButtonRow(&window, "rbOne", "Button?"));
    EXPECT_FALSE(ApplyLabelRow(&window, "btnGo", "Label?"));
    EXPECT_FALSE(ApplyCheckBoxRow(&window, "btnGo", "Check?"));
    EXPECT_FALSE(ApplyGroupBoxRow(&window, "labName", "Group?"));
    EXPECT_FALSE(ApplyMenuItemRow(&window, "btnGo", "Menu?"));
    EXPECT_EQ(Text("labName"), "Name");
    EXPECT_EQ(Text("cbLog"), "Protokoll");
    EXPECT_EQ(Text("rbOne"), "Eins");
    EXPECT_EQ(Text("btnGo"), "Los");
    EXPECT_EQ(group->title(), "Gruppe");
}

TEST_F(LanguageTest, RowsDoNotReachIntoTheWindowsDialogs) {
    EXPECT_FALSE(FindControl(&window, "btnInDialog"));
    EXPECT_FALSE(ApplyButtonRow(&window, "btnInDialog", "Cancel"));
}

TEST_F(LanguageTest, ApplyLanguageChoosesTheTableByWindowName) {
    RegisterLanguageTable("TformSample", {{TextKind::Button, "btnGo", "Go"}, {TextKind::Title, "", "SAMPLE"}});
    EXPECT_EQ(ApplyLanguage(&window), 2);
    EXPECT_EQ(Text("btnGo"), "Go");
    // A window without a table of its own gets the main window table, which names none of
    // these controls.
    QWidget other;
    other.setObjectName("TformOther");
    auto* start = Make<QPushButton>(&other, "btnStart", "Anfang");
    EXPECT_EQ(ApplyLanguage(&other), 1);
    EXPECT_EQ(start->text(), "START");
    RegisterLanguageTable("TformSample", {});
}
