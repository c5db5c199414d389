#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "EditFieldChecks.h"
#include "LanguageRows.h"
#include "ScriptedOperator.h"
#include "SdoDialogFields.h"
#include "TformEdit.h"

namespace {
EditFieldSet TwoFields() {
    EditFieldSet fields;
    fields[0] = {true, false, "Object Index", "0x6000", 0};
    fields[1] = {true, true, "Comment", "first", 0};
    return fields;
}
}  // namespace

TEST(EditNumber, DecimalHexadecimalAndLeadingLetter) {
    EXPECT_EQ(ReadEditNumber("42"), 42u);
    EXPECT_EQ(ReadEditNumber(" 0x1A "), 0x1Au);
    EXPECT_EQ(ReadEditNumber("FF"), 0xFFu);
    EXPECT_EQ(ReadEditNumber("a0"), 0xA0u);
    EXPECT_EQ(ReadEditNumber("0xFFFFFFFF"), 0xFFFFFFFFu);
    EXPECT_EQ(ReadEditNumber("4294967295"), 0xFFFFFFFFu);
    EXPECT_EQ(ReadEditNumber("-1"), 0xFFFFFFFFu);
}

TEST(EditNumber, RefusesWhatIsNotAWholeFourByteNumber) {
    for (const char* bad : {"", "  ", "12abc", "0x", "0x1FFFFFFFF", "4294967296", "G1", "1 2", "-0x10", "-"})
        EXPECT_FALSE(ReadEditNumber(bad)) << bad;
}

TEST(EditFields, AllActiveFieldsPassThenTextsAndNumbersAreStored) {
    EditFieldSet fields = TwoFields();
    EXPECT_FALSE(AcceptEditFields(fields, {"0x6004", "any text", "ignored", "", "", ""}));
    EXPECT_EQ(fields[0].text, "0x6004");
    EXPECT_EQ(fields[0].value, 0x6004u);
    EXPECT_EQ(fields[1].text, "any text");
    // Inactive fields are neither checked nor stored.
    EXPECT_EQ(fields[2].text, "");
}

TEST(EditFields, FirstFailingFieldIsReportedWithItsCaptionAndNothingIsStored) {
    EditFieldSet fields = TwoFields();
    auto refusal = AcceptEditFields(fields, {"0x60zz", "", "", "", "", ""});
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->field, 0u);
    EXPECT_EQ(refusal->message, "No valid value was entered");
    EXPECT_EQ(refusal->title, "Object Index");
    EXPECT_EQ(fields[0].text, "0x6000");

    refusal = AcceptEditFields(fields, {"1", " ", "", "", "", ""});
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->field, 1u);
    EXPECT_EQ(refusal->message, "No value was entered");
    EXPECT_EQ(refusal->title, "Comment");
    EXPECT_EQ(fields[0].value, 0u);
}

class EditDialogTest : public ::testing::Test {
protected:
    template <class T>
    T* Child(const char* name) {
        return dialog.findChild<T*>(name);
    }
    ScriptedOperator op;
    TformEdit dialog;
};

TEST_F(EditDialogTest, ShowsActiveFieldsAndItsEnglishTexts) {
    EXPECT_EQ(dialog.objectName(), "TformEdit");
    EXPECT_EQ(dialog.windowTitle(), "EDIT");
    EXPECT_EQ(Child<QPushButton>("btnCancel")->text(), "Cancel");
    EXPECT_EQ(Child<QPushButton>("btnOk")->text(), "Ok");
    EditFieldSet fields = TwoFields();
    dialog.Begin(fields);
    EXPECT_EQ(Child<QLabel>("lab1")->text(), "Object Index");
    EXPECT_EQ(Child<QLineEdit>("edEdit1")->text(), "0x6000");
    EXPECT_FALSE(Child<QLineEdit>("edEdit1")->isHidden());
    EXPECT_FALSE(Child<QLineEdit>("edEdit2")->isHidden());
    EXPECT_TRUE(Child<QLineEdit>("edEdit3")->isHidden());
    EXPECT_TRUE(Child<QLabel>("lab6")->isHidden());
    dialog.reject();
}

TEST_F(EditDialogTest, OkKeepsTheDialogOpenOnAFailingFieldAndClosesWhenAllPass) {
    EditFieldSet fields = TwoFields();
    dialog.Begin(fields);
    Child<QLineEdit>("edEdit1")->setText("zz");
    Child<QPushButton>("btnOk")->click();
    ASSERT_EQ(op.Messages(), std::vector<std::string>{"Object Index: No valid value was entered"});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(fields[0].text, "0x6000");

    Child<QLineEdit>("edEdit1")->setText("0x1018");
    Child<QLineEdit>("edEdit2")->setText("");
    Child<QPushButton>("btnOk")->click();
    EXPECT_EQ(op.Messages().back(), "Comment: No value was entered");
    EXPECT_TRUE(dialog.isVisible());

    Child<QLineEdit>("edEdit2")->setText("identity");
    Child<QPushButton>("btnOk")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(fields[0].value, 0x1018u);
    EXPECT_EQ(fields[1].text, "identity");
}

TEST_F(EditDialogTest, CancelStoresNothing) {
    EditFieldSet fields = TwoFields();
    dialog.Begin(fields);
    Child<QLineEdit>("edEdit1")->setText("0x1000");
    Child<QPushButton>("btnCancel")->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(fields[0].text, "0x6000");
    EXPECT_TRUE(op.Messages().empty());
}

namespace {
// An operator whose edit dialog enters fixed texts.
class EditingOperator final : public OperatorPort {
public:
    EditingOperator() { SetOperatorPort(this); }
    ~EditingOperator() override { SetOperatorPort(nullptr); }
    void ShowMessage(const std::string&, const std::string&) override {}
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    std::optional<std::string> AskValue(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    void ShowNotice(const std::string&, const std::string&) override {}
    std::optional<std::string> ChooseOpenFile(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    bool EditFields(EditFieldSet& fields) override {
        seen = fields;
        if (!confirm) return false;
        for (size_t k = 0; k < fields.size(); ++k)
            if (fields[k].active) fields[k].text = "0x" + std::to_string(k + 1);
        return true;
    }
    bool confirm = true;
    EditFieldSet seen;
};
}  // namespace

TEST(SdoDialogFields, SdoBuildersAskThroughTheEditDialog) {
    EditingOperator op;
    TestInstruction record;
    ASSERT_TRUE(BuildSdoUploadInstruction(EditSdoDialogFields, record));
    EXPECT_TRUE(op.seen[0].active && op.seen[1].active && !op.seen[2].active);
    EXPECT_FALSE(op.seen[0].freeText);
    EXPECT_EQ(op.seen[0].caption, "Object Index");
    EXPECT_EQ(op.seen[1].caption, "Object Subindex");
    EXPECT_EQ(record.command, "B:SDO_UpInit");
    EXPECT_EQ(record.param1, "Index:0x1");
    EXPECT_EQ(record.param2, "Sub:0x2");

    op.confirm = false;
    TestInstruction untouched;
    EXPECT_FALSE(BuildSdoDownloadInstruction(EditSdoDialogFields, untouched));
    EXPECT_EQ(op.seen[3].caption, "Data length (1...4)");
    EXPECT_TRUE(untouched.command.empty());
}
