#include "NamedValueList.h"

#include "ScriptLog.h"

NamedValueList::NamedValueList() { entries_.reserve(50); }

void NamedValueList::Set(const std::string& name, uint64_t value) {
    std::lock_guard lock(mutex_);
    for (auto& e : entries_) {
        if (e.first == name) {
            e.second = value;
            return;
        }
    }
    entries_.emplace_back(name, value);
}

std::optional<uint64_t> NamedValueList::Find(const std::string& name) const {
    std::lock_guard lock(mutex_);
    for (const auto& e : entries_)
        if (e.first == name) return e.second;
    return std::nullopt;
}

uint32_t NamedValueList::Get(const std::string& name) const {
    if (auto v = Find(name)) return static_cast<uint32_t>(*v);
    qCDebug(lcScript, "DynVars: WARNING!!! Value for %s is uninitialized.", name.c_str());
    return 0xFFFFFFFFu;
}

bool NamedValueList::Lookup(const std::string& name, uint32_t& low) const {
    auto v = Find(name);
    if (!v) return false;
    low = static_cast<uint32_t>(*v);
    return true;
}

void NamedValueList::Remove(const std::string& name) {
    std::lock_guard lock(mutex_);
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->first == name) {
            entries_.erase(it);
            return;
        }
    }
}

void NamedValueList::Clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

size_t NamedValueList::Size() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

std::vector<std::pair<std::string, uint64_t>> NamedValueList::Entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

NamedValueList& ScriptVariables() {
    static NamedValueList list;
    return list;
}

NamedValueList& LoopCounters() {
    static NamedValueList list;
    return list;
}
