// The test-file loader and everything that reads instruction fields: node parameters, blocks,
// fields, expressions, data lists, frames from parameters, byte layouts, answer checks and
// captures, and the label commands.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "AnswerCheck.h"
#include "DataLists.h"
#include "Dispatcher.h"
#include "Expressions.h"
#include "LabelCommands.h"
#include "NamedValueList.h"
#include "SilentOperator.h"
#include "TestFileLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SilentOperator silent;
    static bool once = [] {
        SetOperatorPort(&silent);
        RegisterLabelCommands();
        return true;
    }();
    (void)once;
    ScriptVariables().Clear();
    LoopCounters().Clear();
    CurrentRun() = ScriptRun{};

    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    LoadedTest test;
    std::string error;
    ParseTestFile(bytes, "/nonexistent-folder/fuzz.tst", test, error, false);
    if (test.instructions.empty()) {
        // No command area: still feed the lines through the field helpers.
        auto built = BuildInstructions(test.lines);
        if (built) test.instructions = std::move(*built);
    }
    CurrentTest() = std::move(test);

    // A received frame made of the input's first bytes.
    tagOPEN_Message rx;
    rx.id = size > 0 ? data[0] * 8u : 0;
    rx.dlc = size > 1 ? data[1] % 16u : 0;  // lengths above 8 must be safe too
    for (size_t i = 0; i < 8 && i + 2 < size; ++i) rx.data[i] = data[i + 2];

    const auto& instructions = CurrentTest().instructions;
    for (size_t i = 0; i < instructions.size() && i < 200; ++i) {
        TestInstruction ins = instructions[i];
        int32_t v = 0;
        for (const std::string* f : {&ins.param1, &ins.param2, &ins.param3, &ins.param4, &ins.expectedId,
                                     &ins.expectedLen, &ins.expectedData})
            EvalExpression(*f, v);
        std::array<uint8_t, 8> bytesOut{};
        uint8_t empty = 0;
        ParseDataList(ins.param3, bytesOut, empty);
        tagOPEN_Message msg;
        BuildMessageFromParams(ins, msg);
        std::string layout = ins.param3;
        ExpandByteLayout(layout, ins.param4);
        CheckAnswer(ins, rx);
        if (!ins.expectedData.empty()) CaptureAnswer(std::string_view(ins.expectedData).substr(1), rx);
        CurrentRun().protocolLine = ProtocolLine{};
        ReportCheck(CheckAnswer(ins, rx));
        // Label commands run on any instruction: the jumps they request stay in range.
        CurrentRun().jumpTarget = 0;
        CmdGoToMarke(ins);
        if (CurrentRun().jumpTarget >= instructions.size()) __builtin_trap();
        CmdMarke(ins);
    }
    FreeTestFile();
    return 0;
}
