#pragma once
// The message rule of the remote-control pipe: bytes are collected until a carriage return;
// each poll takes at most 80 bytes and acknowledges at most one message; 1023 bytes without a
// carriage return are discarded unanswered.

#include <string>
#include <string_view>

class ControlMessages {
public:
    static constexpr size_t kMaxBytesPerPoll = 80;
    // Holding this many bytes (or more) without a carriage return is an overflow.
    static constexpr size_t kOverflowBytes = 1023;

    enum class Result {
        Collected,    // no complete message yet
        Acknowledge,  // a message is complete: answer "OK\r"
        Overflow,     // discarded, together with the new bytes
    };

    // Takes the bytes read by one poll (at most kMaxBytesPerPoll are used). On Acknowledge
    // `message` receives the collected text up to and including the carriage return; bytes
    // behind it are dropped with the buffer.
    Result Take(std::string_view bytes, std::string& message);
    // Forgets a partial message (the client has gone).
    void Clear() { buffer_.clear(); }
    size_t Count() const { return buffer_.size(); }

private:
    std::string buffer_;
};

// The acknowledgement written for each complete message.
inline constexpr std::string_view kControlAck = "OK\r";
