// A program for the "BEF_Execute_Ext" tests: with exactly one argument it exits with that
// argument's leading number ("hang" waits a minute); with any other argument count it exits
// with 100 + the count, so a test sees whether its argument arrived as one.

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

int main(int argc, char** argv) {
    if (argc != 2) return 100 + argc;
    if (std::strcmp(argv[1], "hang") == 0) {
        std::this_thread::sleep_for(std::chrono::seconds(60));
        return 0;
    }
    return std::atoi(argv[1]);
}
