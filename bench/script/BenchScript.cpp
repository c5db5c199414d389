// Expression evaluation speed: the operand parser, variables and labels as test steps use them.

#include <chrono>
#include <cstdio>

#include "Expressions.h"
#include "NamedValueList.h"
#include "TestInstruction.h"

int main() {
    for (const char* name : {"NodeId", "Baudr", "Timer", "TimerLong", "Pdo1Id", "Pdo2Id", "EMCId", "GuardId",
                             "SyncId", "VendorId", "ProdCode", "RevNr", "SerialNr", "ErrorCount"})
        ScriptVariables().Set(name, 5);
    auto& ins = CurrentTest().instructions;
    ins.resize(200);
    for (size_t i = 0; i < ins.size(); ++i) {
        ins[i].command = i % 10 == 5 ? "B:Marke" : "B:NMT_Start";
        ins[i].param1 = "Name:L" + std::to_string(i);
        ins[i].lineNumber = static_cast<uint32_t>(2 * i + 1);
    }
    const char* texts[] = {"Id:0x600+NodeId", "N:1+2*3", "DLC:8", "Value:0x12345678", "N:ErrorCount=0",
                           "Sub:SerialNr&0xFF", "Line:L105", "N:7/2"};
    constexpr int kRounds = 400000;
    int64_t sum = 0;
    const auto t0 = std::chrono::steady_clock::now();
    for (int r = 0; r < kRounds; ++r) {
        for (const char* t : texts) {
            int32_t v = 0;
            EvalExpression(t, v);
            sum += v;
        }
    }
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double calls = static_cast<double>(kRounds) * (sizeof texts / sizeof texts[0]);
    std::printf("eval_expression_calls_per_second: %.0f calls/s\n", calls / s);
    return sum == 42 ? 1 : 0;
}
