#pragma once
// The trace window's list: text lines, each with the CANopen service of its frame. Scrolling
// mode appends; fixed-position mode keeps one line per key and finds it through a map, so many
// identifiers never make the receive tick search all lines.

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

struct TraceLine {
    std::string text;
    std::string service;  // CANopen service of the line's frame; empty for other lines
};

class TraceList {
public:
    void Clear();
    void Add(std::string text, std::string service = {});
    // Replaces the line kept under `key`, or adds the line and keeps it under `key`.
    void Put(const std::string& key, std::string text, std::string service = {});

    size_t Size() const { return lines_.size(); }
    const TraceLine& At(size_t i) const { return lines_[i]; }
    const std::vector<TraceLine>& Lines() const { return lines_; }
    std::vector<std::string> Texts() const;

    // Counts changes, so a view can tell whether to redraw: `Generation` moves on every clear,
    // `Revision` on every change.
    uint64_t Generation() const { return generation_; }
    uint64_t Revision() const { return revision_; }

private:
    std::vector<TraceLine> lines_;
    std::unordered_map<std::string, size_t> byKey_;
    uint64_t generation_ = 0;
    uint64_t revision_ = 0;
};
