#pragma once
// A list of named 64-bit values. Two process-wide instances exist: the script variables that
// test files read and capture into, and the loop counters of the jump commands. Names are
// compared exactly (case-sensitive) and are unique within a list. Safe to use from several
// threads (the channel layer reads variables such as "Baudr" from worker threads).

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class NamedValueList {
public:
    NamedValueList();

    // Replaces the value of an existing entry, else appends a new one.
    void Set(const std::string& name, uint64_t value);
    // The whole 64-bit value, or nullopt.
    std::optional<uint64_t> Find(const std::string& name) const;
    // The low half of the value; a missing name yields 0xFFFFFFFF (and a debug trace).
    uint32_t Get(const std::string& name) const;
    // Whether the name exists; if so `low` receives the low half.
    bool Lookup(const std::string& name, uint32_t& low) const;
    void Remove(const std::string& name);
    void Clear();
    size_t Size() const;
    // A copy of all entries in insertion order.
    std::vector<std::pair<std::string, uint64_t>> Entries() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::pair<std::string, uint64_t>> entries_;
};

// The script variables (NodeId, Baudr, Timer, ... and every captured name).
NamedValueList& ScriptVariables();
// The loop counters of "BEF_GoTo" and "BEF_GoTo_Marke"; emptied at each START.
NamedValueList& LoopCounters();
