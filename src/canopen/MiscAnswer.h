#pragma once
// The answer judgement shared by the NMT commands, the PDO requests and "Gen": on the tick
// after sending, the last received frame is judged against the instruction's expected fields.

#include "TestInstruction.h"

struct AnswerTexts {
    const char* noAnswer;    // appended when nothing arrived
    const char* unexpected;  // appended when an answer arrived although "None" was expected
};

// NMT texts.
inline constexpr AnswerTexts kNmtAnswerTexts{" !keine Antwort", " !unerwartete Antwort"};
// Texts of the miscellaneous family.
inline constexpr AnswerTexts kMiscAnswerTexts{" !no response", " !unexpected response"};

// Fills the row of a step whose answer did not come: `text` appended, frame columns cleared.
// Silence is an error unless the expected-identifier field is empty or "None".
void ReportNoAnswer(const TestInstruction& instruction, const char* text);

// Reads the answer and fills the protocol row: "_Res", direction "R", the frame, the remarks
// and the status. No answer is an error unless the expected-identifier field is empty or
// "None"; an empty field accepts any answer.
void JudgeOneAnswer(const TestInstruction& instruction, const AnswerTexts& texts);

// The continuations of the one-answer commands: judge, then finish.
bool NmtAnswerStep(TestInstruction& instruction);
bool MiscAnswerStep(TestInstruction& instruction);
