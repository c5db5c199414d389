#pragma once
// Messages and status-label updates raised by the drivers. They may come from any thread (a
// write from the bootloader thread re-opens the channel); they reach the operator and the main
// window on the application's thread: queued when raised elsewhere, so the raising thread
// never waits for the window.

#include <string>

#include "Ports.h"

void NotifyOperator(const std::string& text, const std::string& title);
void NotifyCanStatus(const std::string& text, StatusColor color);
void NotifyBitRate(int kbit);

// A failure message that is shown once while the same failure repeats (a write loop that
// keeps re-opening a lost channel must not pile up message boxes); the status label still
// gets the text every time. Clear() after a success shows the next failure again.
class FailureNotice {
public:
    void Show(const std::string& text, const std::string& title);
    void Clear() { last_.clear(); }

private:
    std::string last_;
};
