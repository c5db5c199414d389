#include "Labels.h"

size_t FindLabel(const std::vector<TestInstruction>& instructions, const std::string& key) {
    for (size_t i = 0; i < instructions.size(); ++i)
        if (instructions[i].command == "B:Marke" && instructions[i].param1 == key) return i;
    return 0;
}
