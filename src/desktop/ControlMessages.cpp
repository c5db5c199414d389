#include "ControlMessages.h"

ControlMessages::Result ControlMessages::Take(std::string_view bytes, std::string& message) {
    bytes = bytes.substr(0, kMaxBytesPerPoll);
    if (bytes.empty()) return Result::Collected;
    if (buffer_.size() + bytes.size() >= kOverflowBytes) {
        buffer_.clear();
        return Result::Overflow;
    }
    buffer_.append(bytes);
    const size_t cr = buffer_.find('\r');
    if (cr == std::string::npos) return Result::Collected;
    message = buffer_.substr(0, cr + 1);
    buffer_.clear();
    return Result::Acknowledge;
}
