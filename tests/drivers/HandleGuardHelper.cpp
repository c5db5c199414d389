// A second station process for the handle-guard tests: takes the guard of one PCAN handle,
// prints "locked", waits for a line (or the end of input), releases it and prints "released".
//   handle_guard_helper <lock folder> <handle> [wait ms, default 10000]

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "PeakHandleGuard.h"

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    SetPeakHandleGuardDirectory(argv[1]);
    const auto handle = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 0));
    PeakHandleGuard guard;
    const int waitMs = argc > 3 ? std::atoi(argv[3]) : 10000;
    if (!guard.Acquire(handle, nullptr, waitMs)) {
        std::puts("timeout");
        return 1;
    }
    std::puts("locked");
    std::fflush(stdout);
    std::string line;
    std::getline(std::cin, line);
    guard.Release();
    std::puts("released");
    std::fflush(stdout);
    return 0;
}
