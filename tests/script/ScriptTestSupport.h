#pragma once
// Resets the process-wide script state around a test.

#include <gtest/gtest.h>

#include "NamedValueList.h"
#include "ScriptRun.h"
#include "TestInstruction.h"

class ScriptTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        ScriptVariables().Clear();
        LoopCounters().Clear();
        FreeTestFile();
        CurrentRun() = ScriptRun{};
    }
    static TestInstruction Ins(std::string command, std::string p1 = "", uint32_t line = 0) {
        TestInstruction i;
        i.command = std::move(command);
        i.param1 = std::move(p1);
        i.lineNumber = line;
        return i;
    }
};
