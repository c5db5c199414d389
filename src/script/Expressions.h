#pragma once
// Operands and one-operation expressions of test-file parameters ('tag:value').

#include <cstdint>
#include <string_view>

// Expression result codes.
enum : uint32_t {
    EXPR_OK = 0,
    EXPR_SYNTAX = 0x4000,
    EXPR_EMPTY = 0x6000,  // the operand is empty: "not given" or "any value" to the caller
};

// 'tag:operand' -> value. Blanks are dropped; the tag before the first ":" only documents the
// value. The operand is a number (it begins with a digit), a script variable (its low 32 bits)
// or a label name (the line number of its "B:Marke" instruction in the loaded test).
uint32_t EvalOperand(std::string_view text, int32_t& value);

// At most one operation on two operands, signed 32-bit: + * & | > < / = - . The operator is the
// first of that list (in that order) that occurs in the text, at its first occurrence; the left
// side is evaluated as an operand with its tag, the right side as an operand without one.
// Division by zero and an overflowing quotient are EXPR_SYNTAX, as is an empty right side.
uint32_t EvalExpression(std::string_view text, int32_t& value);
