// The operator dialogs on their own and through the desktop operator port.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTextBrowser>

#include "DesktopOperator.h"
#include "DesktopSupport.h"
#include "Dispatcher.h"
#include "InteractiveInput.h"
#include "ScriptedOperator.h"
#include "TempDir.h"
#include "TformAbout.h"
#include "TformEdit.h"
#include "TformHelp.h"
#include "TformInterAct.h"
#include "TformMemo.h"
#include "TformSerNrShow.h"
#include "WindowSupport.h"

namespace {
Interaction Prepared(const std::string& command, const std::string& param3 = "") {
    TestInstruction instruction;
    instruction.command = command;
    instruction.param3 = param3;
    Interaction interaction;
    interaction.Activate(instruction);
    return interaction;
}
}  // namespace

TEST(InteractionDialog, ProposesTheNextSerialNumber) {
    ScriptVariables().Clear();
    ScriptVariables().Set("Serial number", 41);
    Interaction interaction = Prepared("&Serial number");
    TformInterAct dialog;
    dialog.Begin(interaction);
    EXPECT_EQ(dialog.windowTitle(), "INTERAKTION");
    EXPECT_EQ(Control<QLabel>(&dialog, "lbAnfrageText")->text(), "Serial number");
    EXPECT_EQ(Control<QLineEdit>(&dialog, "edNumbr")->text(), "42");
    EXPECT_EQ(Control<QPushButton>(&dialog, "btnCancel")->text(), "abbrechen");
    Key(Control<QLineEdit>(&dialog, "edNumbr"), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(interaction.Outcome(), static_cast<uint32_t>(INTERACTIVE_VALUE_SET));
    EXPECT_EQ(interaction.Value(), 42);
    ScriptVariables().Clear();
}

TEST(InteractionDialog, EscapeAndTheCancelButtonCancel) {
    ScriptedOperator op;
    Interaction first = Prepared("&X");
    TformInterAct dialog;
    dialog.Begin(first);
    Key(Control<QLineEdit>(&dialog, "edNumbr"), Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(first.Outcome(), static_cast<uint32_t>(INTERACTIVE_CANCELLED));

    Interaction second = Prepared("&X");
    dialog.Begin(second);
    Click(&dialog, "btnCancel");
    EXPECT_EQ(second.Outcome(), static_cast<uint32_t>(INTERACTIVE_CANCELLED));
    EXPECT_TRUE(op.calls.empty());
}

TEST(InteractionDialog, RefusedInputKeepsTheDialogOpen) {
    ScriptedOperator op;
    Interaction interaction = Prepared("&X", "Value:Y0:MY1:0Y2:0Y3:0Y4:0Y5:0Y6:0Y7:0");
    TformInterAct dialog;
    dialog.Begin(interaction);
    auto* field = Control<QLineEdit>(&dialog, "edNumbr");
    field->setText("  ");
    Click(&dialog, "btnOK");
    field->setText("(");
    Click(&dialog, "btnOK");
    field->setText("7");
    Click(&dialog, "btnOK");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(op.Messages(), (std::vector<std::string>{
                                 "INTERAKTIVE EINGABE: No value was specified",
                                 "INTERAKTIVE EINGABE: No number was specified",
                                 "INTERAKTIVE EINGABE: Syntax error in command string of test file\nContinue with CANCEL"}));
    EXPECT_EQ(interaction.Outcome(), 0u);
    dialog.reject();
}

TEST(NoticeDialog, ShowsTheTextWithBothLineBreaks) {
    TformMemo memo;
    memo.Begin("WICHTIGE MITTEILUNG", "Zeile 1\rZeile 2\nZeile 3\r\nEnde");
    EXPECT_EQ(memo.windowTitle(), "WICHTIGE MITTEILUNG");
    EXPECT_EQ(memo.findChild<QPlainTextEdit*>("memEvident")->toPlainText(), "Zeile 1\nZeile 2\nZeile 3\nEnde");
    EXPECT_TRUE(memo.findChild<QPlainTextEdit*>("memEvident")->isReadOnly());
    Click(&memo, "btnMemoWeiter");
    EXPECT_FALSE(memo.isVisible());
}

TEST(SerialNumberDialog, ShowsTheNumberInDecimal) {
    TformSerNrShow dialog;
    dialog.Begin(1234567);
    EXPECT_EQ(Control<QLabel>(&dialog, "labSerNr")->text(), "1234567");
    EXPECT_EQ(Control<QLabel>(&dialog, "Label1")->text(), "Seriennummer");
    Click(&dialog, "btnOK");
    EXPECT_FALSE(dialog.isVisible());
}

TEST(AboutBox, NamesProgramAndVersion) {
    TformAbout about;
    EXPECT_EQ(Control<QLabel>(&about, "labProductName")->text(), "Quarzel");
    EXPECT_EQ(Control<QLabel>(&about, "labVersion")->text(), "Version 2.45.0");
}

TEST(HelpWindow, ShowsTheManual) {
    const std::string manual = FindManual();
    ASSERT_FALSE(manual.empty());
    TformHelp help;
    ASSERT_TRUE(help.Load(manual));
    EXPECT_TRUE(help.findChild<QTextBrowser*>("memHelp")->toPlainText().contains("START"));
    EXPECT_FALSE(help.Load("/nonexistent/manual.md"));
}

class DesktopOperatorTest : public ::testing::Test {
protected:
    QWidget parent;
    TformEdit edit{&parent};
    TformSerNrShow serial{&parent};
    DesktopOperator desk{&parent, edit, serial};
};

TEST_F(DesktopOperatorTest, MessagesShowCarriageReturnsAndLineFeedsAsLineBreaks) {
    QString shown, title;
    ModalWatcher watcher("QMessageBox", [&](QDialog& d) {
        shown = static_cast<QMessageBox&>(d).text();
        title = d.windowTitle();
        d.accept();
        return true;
    });
    desk.ShowMessage("Base file\rcould not\nbe loaded\r\n", "INITIALISIERUNG");
    EXPECT_EQ(shown, "Base file\ncould not\nbe loaded\n");
    EXPECT_EQ(title, "INITIALISIERUNG");
}

TEST_F(DesktopOperatorTest, YesNoQuestion) {
    ModalWatcher yes("QMessageBox", [&](QDialog& d) {
        static_cast<QMessageBox&>(d).button(QMessageBox::Yes)->click();
        return true;
    });
    EXPECT_TRUE(desk.AskYesNo("Go on?", "INITIALISIERUNG"));
    ModalWatcher no("QMessageBox", [&](QDialog& d) {
        static_cast<QMessageBox&>(d).button(QMessageBox::No)->click();
        return true;
    });
    EXPECT_FALSE(desk.AskYesNo("Go on?", "INITIALISIERUNG"));
}

TEST_F(DesktopOperatorTest, EditFieldsUseTheEditDialog) {
    ScriptedOperator op;  // the dialog's own refusal messages
    EditFieldSet fields;
    fields[0] = {true, false, "Object Index", "0x6000", 0};
    fields[1] = {true, false, "Object Subindex", "0", 0};
    ModalWatcher watcher("TformEdit", [&](QDialog& d) {
        Control<QLineEdit>(&d, "edEdit2")->setText("x");
        Click(&d, "btnOk");
        Control<QLineEdit>(&d, "edEdit2")->setText("2");
        Click(&d, "btnOk");
        return true;
    });
    ASSERT_TRUE(desk.EditFields(fields));
    EXPECT_EQ(op.Messages(), std::vector<std::string>{"Object Subindex: No valid value was entered"});
    EXPECT_EQ(fields[0].value, 0x6000u);
    EXPECT_EQ(fields[1].value, 2u);

    ModalWatcher cancel("TformEdit", [&](QDialog& d) {
        Click(&d, "btnCancel");
        return true;
    });
    EXPECT_FALSE(desk.EditFields(fields));
}

TEST_F(DesktopOperatorTest, NoticeOfATestFileIsShownBeforeLoadingEvenWhenNotText) {
    ResetDesktopState();
    const QString startDir = QDir::currentPath();
    TempDir dir;
    const std::string test = dir.File("probe.v2.tst");
    ASSERT_TRUE(WriteBytes(test, TestFileText({"B:Marke,Name:A"})));
    const std::string notice = std::string("Achtung\r\x01\x02") + std::string(1, '\0') + "Binaer\n";
    ASSERT_TRUE(WriteBytes(dir.File("probe.txt"), notice));
    SetOperatorPort(&desk);
    QString shown;
    ModalWatcher watcher("TformMemo", [&](QDialog& d) {
        shown = d.findChild<QPlainTextEdit*>("memEvident")->toPlainText();
        Click(&d, "btnMemoWeiter");
        return true;
    });
    EXPECT_TRUE(OpenTestFile(test, true));
    SetOperatorPort(nullptr);
    EXPECT_TRUE(watcher.Done());
    EXPECT_EQ(shown, QString::fromUtf8("Achtung\n\uFFFD\uFFFD\uFFFDBinaer\n"));
    ResetDesktopState();
    QDir::setCurrent(startDir);
}

TEST_F(DesktopOperatorTest, SerialNumberDialog) {
    QString shown;
    ModalWatcher watcher("TformSerNrShow", [&](QDialog& d) {
        shown = Control<QLabel>(&d, "labSerNr")->text();
        Click(&d, "btnOK");
        return true;
    });
    desk.ShowSerialNumber(815);
    EXPECT_EQ(shown, "815");
}
