#include "AnswerCheck.h"
#include "Expressions.h"
#include "ScriptTestSupport.h"

using AnswerChecks = ScriptTest;

namespace {
tagOPEN_Message Frame(uint32_t id, std::vector<uint8_t> data) {
    tagOPEN_Message m;
    m.id = id;
    m.dlc = static_cast<uint32_t>(data.size());
    for (size_t i = 0; i < data.size() && i < 8; ++i) m.data[i] = data[i];
    return m;
}

TestInstruction Expect(std::string id, std::string len, std::string data) {
    TestInstruction i;
    i.command = "B:Gen";
    i.expectedId = std::move(id);
    i.expectedLen = std::move(len);
    i.expectedData = std::move(data);
    return i;
}
}  // namespace

TEST_F(AnswerChecks, CaptureAssemblesBytesIntoAVariable) {
    const auto rx = Frame(0x185, {0x10, 0x20, 0x30, 0x40});
    ASSERT_EQ(CaptureAnswer("Pos:Y0:IY1:IY2:IY3:I", rx), EXPR_OK);
    EXPECT_EQ(ScriptVariables().Get("Pos"), 0x40302010u);

    // Byte positions choose the place; X and M contribute nothing.
    ASSERT_EQ(CaptureAnswer("Swap:Y1:IY0:IYX:IY2:M", rx), EXPR_OK);
    EXPECT_EQ(ScriptVariables().Get("Swap"), 0x1020u);

    // Digits 8 and 9 are outside a 64-bit value: nothing, and no undefined shift.
    ASSERT_EQ(CaptureAnswer("Far:Y8:IY9:IY7:IY0:I", rx), EXPR_OK);
    EXPECT_EQ(*ScriptVariables().Find("Far"), 0x3000000000000040ull);

    // A template longer than the received data is fine; a shorter one is not.
    ASSERT_EQ(CaptureAnswer("Two:Y0:IY1:I", Frame(1, {1, 2})), EXPR_OK);
    EXPECT_EQ(ScriptVariables().Get("Two"), 0x0201u);
    EXPECT_EQ(CaptureAnswer("Short:Y0:IY1:I", rx), EXPR_SYNTAX);
    EXPECT_FALSE(ScriptVariables().Find("Short"));
    EXPECT_EQ(CaptureAnswer("Bad:Y0:IZ1:I", Frame(1, {1, 2})), EXPR_SYNTAX);
    EXPECT_EQ(CaptureAnswer("Y0:I", rx), EXPR_SYNTAX);  // no name
    EXPECT_EQ(CaptureAnswer("NoColon", rx), EXPR_SYNTAX);
}

TEST_F(AnswerChecks, CheckAnswerComparesIdLengthThenData) {
    const auto rx = Frame(0x185, {1, 2, 3, 4});
    EXPECT_EQ(CheckAnswer(Expect("Id:0x185", "DLC:4", "D:0x04030201"), rx), ANSWER_MATCH);
    EXPECT_EQ(CheckAnswer(Expect("Id:0x186", "DLC:3", "D:0"), rx), ANSWER_WRONG_ID);
    EXPECT_EQ(CheckAnswer(Expect("Id:0x185", "DLC:3", "D:0"), rx), ANSWER_WRONG_LENGTH);
    EXPECT_EQ(CheckAnswer(Expect("Id:0x185", "DLC:4", "D:0x04030200"), rx), ANSWER_WRONG_DATA);
    // Empty fields accept anything; a data field without ":" accepts any data.
    EXPECT_EQ(CheckAnswer(Expect("Id:", "DLC:", "D:"), rx), ANSWER_MATCH);
    EXPECT_EQ(CheckAnswer(Expect("Id:0x185", "DLC:", "any"), rx), ANSWER_MATCH);
    // Empty slots are don't-care bytes; bytes above the length are compared too.
    EXPECT_EQ(CheckAnswer(Expect("Id:0x185", "DLC:4", "D:Y0:Y1:2Y2:Y3:4Y4:0Y5:0Y6:0Y7:0"), rx), ANSWER_MATCH);
    EXPECT_EQ(CheckAnswer(Expect("Id:0x185", "DLC:4", "D:Y0:Y1:2Y2:Y3:4Y4:1Y5:Y6:Y7:"), rx), ANSWER_WRONG_DATA);
    EXPECT_EQ(CheckAnswer(Expect("Id:0x185", "DLC:4", "D:Y0:1Y1:2"), rx), ANSWER_SYNTAX);
    EXPECT_EQ(CheckAnswer(Expect("0x185", "DLC:4", ""), rx), ANSWER_SYNTAX);
    // A capture compares identifier and length only.
    EXPECT_EQ(CheckAnswer(Expect("Id:0x185", "DLC:4", "&V:Y0:IY1:IY2:IY3:I"), rx), ANSWER_MATCH);
    EXPECT_EQ(ScriptVariables().Get("V"), 0x04030201u);
    EXPECT_EQ(CheckAnswer(Expect("Id:0x185", "DLC:5", "&W:Y0:IY1:IY2:IY3:I"), rx), ANSWER_WRONG_LENGTH);
    // A capture template too short for the received data is a syntax error.
    EXPECT_EQ(CheckAnswer(Expect("Id:0x185", "DLC:4", "&W:Y0:I"), rx), ANSWER_SYNTAX);
}

TEST_F(AnswerChecks, ReportCheckTextsAndNone) {
    ProtocolLine& line = CurrentRun().protocolLine;
    line.commandText = "Gen_Res";
    ReportCheck(CheckAnswer(Expect("None", "", ""), Frame(1, {})));
    EXPECT_EQ(line.commandText, "Gen_Res   !Syntaxfehler");
    EXPECT_EQ(line.status, STATUS_ERR_SYN);

    const struct {
        uint32_t code;
        const char* text;
        uint32_t status;
    } cases[] = {{ANSWER_MATCH, "", STATUS_OK},
                 {ANSWER_WRONG_ID, "   !falscher Identifier", STATUS_ERR_ANS},
                 {ANSWER_WRONG_LENGTH, "   !falscher Datenlaenge", STATUS_ERR_ANS},
                 {ANSWER_WRONG_DATA, "   !falsche Daten", STATUS_ERR_ANS},
                 {ANSWER_SYNTAX, "   !Syntaxfehler", STATUS_ERR_SYN}};
    for (const auto& c : cases) {
        line.commandText = "X";
        line.status = 0x7777;
        ReportCheck(c.code);
        EXPECT_EQ(line.commandText, std::string("X") + c.text);
        EXPECT_EQ(line.status, c.status);
    }
}
