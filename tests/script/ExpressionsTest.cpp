#include <climits>

#include "Expressions.h"
#include "ScriptTestSupport.h"

using Expressions = ScriptTest;

namespace {
uint32_t Eval(const char* text, int32_t& v) { return EvalExpression(text, v); }
}  // namespace

TEST_F(Expressions, OperatorOrderNotPositionDecides) {
    int32_t v = 0;
    ASSERT_EQ(Eval("N:5+3", v), EXPR_OK);
    EXPECT_EQ(v, 8);
    ASSERT_EQ(Eval("N:2-5", v), EXPR_OK);
    EXPECT_EQ(v, -3);
    // "+" is looked for first: the right text "2*3" reads as the number 2.
    ASSERT_EQ(Eval("N:1+2*3", v), EXPR_OK);
    EXPECT_EQ(v, 3);
    // "*" comes before "-" in the list, wherever they stand.
    ASSERT_EQ(Eval("N:10-2*3", v), EXPR_OK);
    EXPECT_EQ(v, 30);  // left "N:10-2" is the operand 10 (reading stops at "-"), right "3"
    ASSERT_EQ(Eval("N:3=3", v), EXPR_OK);
    EXPECT_EQ(v, 1);
    ASSERT_EQ(Eval("N:3=4", v), EXPR_OK);
    EXPECT_EQ(v, 0);
    ASSERT_EQ(Eval("N:0-1>0", v), EXPR_OK);  // ">" before "-": left "N:0-1" reads 0
    EXPECT_EQ(v, 0);
    ASSERT_EQ(Eval("N:7/2", v), EXPR_OK);
    EXPECT_EQ(v, 3);
    ASSERT_EQ(Eval("N:0xF0&0x3C", v), EXPR_OK);
    EXPECT_EQ(v, 0x30);
    ASSERT_EQ(Eval("N:0xF0|0x0F", v), EXPR_OK);
    EXPECT_EQ(v, 0xFF);
    ASSERT_EQ(Eval("N:2<3", v), EXPR_OK);
    EXPECT_EQ(v, 1);
    ASSERT_EQ(Eval("Value : 0x10 * 2", v), EXPR_OK);  // blanks are dropped
    EXPECT_EQ(v, 0x20);
}

TEST_F(Expressions, EmptyAndSyntaxCodes) {
    int32_t v = 123;
    EXPECT_EQ(Eval("N:", v), EXPR_EMPTY);
    EXPECT_EQ(Eval("5", v), EXPR_SYNTAX);
    EXPECT_EQ(Eval("", v), EXPR_SYNTAX);
    EXPECT_EQ(Eval("N:+3", v), EXPR_EMPTY);  // the left side's code is returned as it is
    EXPECT_EQ(Eval("N:5+", v), EXPR_SYNTAX);
    EXPECT_EQ(Eval("N:5+Unknown", v), EXPR_SYNTAX);
    EXPECT_EQ(Eval("N:0xZZ", v), EXPR_SYNTAX);
    EXPECT_EQ(v, 123);
}

TEST_F(Expressions, DivisionByZeroAndOverflowAreSyntaxErrors) {
    int32_t v = 0;
    EXPECT_EQ(Eval("N:5/0", v), EXPR_SYNTAX);
    ScriptVariables().Set("Min", 0x80000000u);
    ScriptVariables().Set("MinusOne", 0xFFFFFFFFu);
    EXPECT_EQ(Eval("N:Min/MinusOne", v), EXPR_SYNTAX);
    // Sums and products wrap at 32 bits instead of overflowing.
    ScriptVariables().Set("Max", 0x7FFFFFFFu);
    ASSERT_EQ(Eval("N:Max+1", v), EXPR_OK);
    EXPECT_EQ(v, INT32_MIN);
    ASSERT_EQ(Eval("N:Max*Max", v), EXPR_OK);
    EXPECT_EQ(v, 1);
}

TEST_F(Expressions, VariablesAndLabels) {
    int32_t v = 0;
    ScriptVariables().Set("NodeId", 5);
    ASSERT_EQ(Eval("N:0x600+NodeId", v), EXPR_OK);
    EXPECT_EQ(v, 0x605);
    ASSERT_EQ(EvalOperand("Id:NodeId", v), EXPR_OK);
    EXPECT_EQ(v, 5);

    CurrentTest().instructions = {Ins("B:Marke", "Name:First", 2), Ins("B:NMT_Start", "", 4),
                                  Ins("B:Marke", "Name:Loop", 6)};
    ASSERT_EQ(EvalOperand("Line:Loop", v), EXPR_OK);
    EXPECT_EQ(v, 6);  // the label's line number
    EXPECT_EQ(EvalOperand("Line:First", v), EXPR_SYNTAX);  // a label on the first instruction
    EXPECT_EQ(EvalOperand("Line:Nowhere", v), EXPR_SYNTAX);
    // A variable of the same name wins over the label.
    ScriptVariables().Set("Loop", 99);
    ASSERT_EQ(EvalOperand("Line:Loop", v), EXPR_OK);
    EXPECT_EQ(v, 99);
}
