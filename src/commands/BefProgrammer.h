#pragma once
// The programming window as "BEF_Prog_AtBl" drives it. The programming code installs it at
// start (the desktop's window, or the headless runner's stand-in); without one the command
// fails. The command's wait for the bootloader client is split for the event loop: a poll
// timer asks PollBootloader() until the client has ended or the time limit has passed.

#include <string>

enum class ProgrammerState { Running, Succeeded, Failed };

class BefProgrammer {
public:
    virtual ~BefProgrammer() = default;
    virtual void Show() = 0;
    // The window's settings as the test file gives them: the CRIS text, "Blank Check", and
    // "Bauteil löschen" with its erase choice (0 "Komplett", 1 "Block 0 (Programm)", 2 and 3
    // the blocks 1 and 2).
    virtual void SetScriptOptions(const std::string& cris, bool blankCheck, bool eraseDevice, int eraseChoice) = 0;
    virtual bool OpenHexFile(const std::string& path) = 0;
    virtual bool btnProgramClick() = 0;
    virtual ProgrammerState PollBootloader() = 0;
    virtual void Close() = 0;
};

BefProgrammer* CurrentBefProgrammer();
void SetBefProgrammer(BefProgrammer* programmer);

inline constexpr int kProgPollMs = 100;
// Longest wait for the bootloader client (the largest flash at a low bit rate fits in it).
inline constexpr int kProgWaitLimitMs = 600000;

// Ends the wait without resuming the runner (STOP, START).
void StopProgrammingWait();
bool ProgrammingWaitActive();
