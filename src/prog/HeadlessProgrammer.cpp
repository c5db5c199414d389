#include "HeadlessProgrammer.h"

HeadlessProgrammer::HeadlessProgrammer(std::ostream& out) : out_(out) {
    control_.SetView(this);
    SetBefProgrammer(&control_);
}

HeadlessProgrammer::~HeadlessProgrammer() {
    if (CurrentBefProgrammer() == &control_) SetBefProgrammer(nullptr);
    control_.SetView(nullptr);
}

void HeadlessProgrammer::RunStarting() {
    printed_ = 0;
    lastStep_ = -1;
    lastError_.clear();
}

void HeadlessProgrammer::StatusChanged(const BootloaderStatus& status) {
    // Every status text of the run (none is lost between two polls), and the progress per tenth.
    const std::vector<std::string> log = control_.Bootloader().TextLog();
    for (; printed_ < log.size(); ++printed_) {
        out_ << "programming: " << log[printed_] << '\n';
        lastStep_ = -1;
    }
    const int step = status.progress / 10;
    if (status.busy && status.progress > 0 && step != lastStep_) {
        out_ << "programming: " << status.text << "  " << status.progress << " %\n";
        lastStep_ = step;
    }
    if (!status.busy && status.code == BOOT_STATUS_ERROR && status.text != lastError_) {
        out_ << "programming: " << status.text << "  (error)\n";
        lastError_ = status.text;
    }
    out_ << std::flush;
}
