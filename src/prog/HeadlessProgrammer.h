#pragma once
// Programming without a window (quarzel-run): the programming logic installed for
// "BEF_Prog_AtBl", its status texts and progress written as lines to a stream (stderr).

#include <ostream>

#include "ProgrammingControl.h"

class HeadlessProgrammer final : public ProgrammingView {
public:
    explicit HeadlessProgrammer(std::ostream& out);
    ~HeadlessProgrammer() override;
    ProgrammingControl& Control() { return control_; }

    void RunStarting() override;
    void StatusChanged(const BootloaderStatus& status) override;

private:
    std::ostream& out_;
    ProgrammingControl control_;
    size_t printed_ = 0;  // texts of the run's log written so far
    int lastStep_ = -1;
    std::string lastError_;
};
