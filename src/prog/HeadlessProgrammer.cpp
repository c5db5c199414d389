#include "HeadlessProgrammer.h"

HeadlessProgrammer::HeadlessProgrammer(std::ostream& out) : out_(out) {
    control_.SetView(this);
    SetBefProgrammer(&control_);
}

HeadlessProgrammer::~HeadlessProgrammer() {
    if (CurrentBefProgrammer() == &control_) SetBefProgrammer(nullptr);
    control_.SetView(nullptr);
}

void HeadlessProgrammer::StatusChanged(const BootloaderStatus& status) {
    // A line per new text and per tenth of the progress.
    const int step = status.progress / 10;
    if (status.text == lastText_ && step == lastStep_) return;
    if (status.text != lastText_) lastStep_ = -1;
    lastText_ = status.text;
    lastStep_ = step;
    out_ << "programming: " << status.text;
    if (status.progress > 0) out_ << "  " << status.progress << " %";
    if (status.code == BOOT_STATUS_ERROR) out_ << "  (error)";
    out_ << '\n' << std::flush;
}
