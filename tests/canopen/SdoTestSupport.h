#pragma once
// Helpers of the SDO command tests: a stand-in SDO server for the answers the simulated
// encoder never gives, and short forms for running steps and reading the rows.

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "NmtLssFixture.h"
#include "StationHarness.h"

// Each frame the station sends is handed to a reply function (or answered from a queue) and
// the reply goes back at once. Use it on a harness made without the device
// (StationHarness({}, false)).

class ScriptedSdoServer {
public:
    using Reply = std::function<std::vector<BusFrame>(const BusFrame& request)>;

    explicit ScriptedSdoServer(VirtualBus& bus, int kbit = 500)
        : endpoint_(bus.shared_from_this()->CreateEndpoint("scripted")) {
        endpoint_->SetHandler([this](const BusFrame& f) {
            requests_.push_back(f);
            std::vector<BusFrame> out;
            if (reply_) {
                out = reply_(f);
            } else if (!queue_.empty()) {
                out = std::move(queue_.front());
                queue_.pop_front();
            }
            for (const BusFrame& a : out) endpoint_->Send(a);
        });
        endpoint_->Open(kbit);
    }
    ~ScriptedSdoServer() {
        endpoint_->SetHandler(nullptr);
        endpoint_->Close();
    }

    // The frames that answer the next request (none: that request stays unanswered).
    void Then(std::vector<BusFrame> frames) { queue_.push_back(std::move(frames)); }
    void Then(const BusFrame& frame) { Then(std::vector<BusFrame>{frame}); }
    void Silence() { Then(std::vector<BusFrame>{}); }
    // Answers every request through `reply` instead of the queue.
    void SetReply(Reply reply) { reply_ = std::move(reply); }
    const std::vector<BusFrame>& Requests() const { return requests_; }

private:
    std::shared_ptr<VirtualEndpoint> endpoint_;
    std::deque<std::vector<BusFrame>> queue_;
    Reply reply_;
    std::vector<BusFrame> requests_;
};

// An 8-byte data frame.
inline BusFrame Frame(uint32_t id, std::array<uint8_t, 8> data) {
    BusFrame f;
    f.id = id;
    f.len = 8;
    f.data = data;
    return f;
}
// An answer of node 1's SDO server.
inline BusFrame Answer(std::array<uint8_t, 8> data) { return Frame(0x581, data); }

// Loads the node-parameter block and `steps`, and runs them to the verdict.
inline void RunSteps(StationHarness& h, const std::string& steps) {
    ASSERT_TRUE(h.Load(Header() + steps));
    ASSERT_TRUE(h.Run());
    ASSERT_EQ(h.EndReason(), RunEnd::Finished);
}

// The "Time" cell of a row (0-based, as in StepRows).
inline std::string TimeOf(const StationHarness& h, size_t row) { return h.Rows().at(row)[COL_TIME]; }

// Command and status of every row, for whole-run comparisons.
inline std::vector<std::string> Outline(const StationHarness& h) {
    std::vector<std::string> out;
    for (const auto& r : StepRows(h)) out.push_back(r.command + " | " + r.status);
    return out;
}
