#include "PtyConverter.h"

PtyConverter::PtyConverter(ConverterSwitches switches, LogFn log) : device_(switches), log_(std::move(log)) {}
PtyConverter::~PtyConverter() = default;

bool PtyConverter::Start(std::string& error) {
    error = "pseudo-terminals are not available on this system";
    return false;
}
void PtyConverter::Stop() {}
void PtyConverter::Serve() {}
void PtyConverter::SetSwitches(const ConverterSwitches& switches) { device_.Switches() = switches; }
ConverterState PtyConverter::State() const { return device_.State(); }
std::vector<std::string> PtyConverter::Requests() const { return device_.Requests(); }
bool PtyConverter::WaitForRequests(size_t, int) const { return false; }
