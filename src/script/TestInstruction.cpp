#include "TestInstruction.h"

LoadedTest& CurrentTest() {
    static LoadedTest test;
    return test;
}

void FreeTestFile() { CurrentTest() = LoadedTest{}; }
