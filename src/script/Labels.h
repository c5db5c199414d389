#pragma once
// Jump labels: "B:Marke" instructions whose parameter 1 is "Name:" + label.

#include <cstddef>
#include <vector>

#include "TestInstruction.h"

// Index of the first "B:Marke" instruction whose parameter 1 equals `key` ("Name:" + label);
// 0 when there is none, so a label on the very first instruction is never found.
size_t FindLabel(const std::vector<TestInstruction>& instructions, const std::string& key);
