#include "TraceList.h"

void TraceList::Clear() {
    lines_.clear();
    byKey_.clear();
    ++generation_;
    ++revision_;
}

void TraceList::Add(std::string text, std::string service) {
    lines_.push_back({std::move(text), std::move(service)});
    ++revision_;
}

void TraceList::Put(const std::string& key, std::string text, std::string service) {
    ++revision_;
    auto [it, added] = byKey_.try_emplace(key, lines_.size());
    if (added) {
        lines_.push_back({std::move(text), std::move(service)});
        return;
    }
    lines_[it->second] = {std::move(text), std::move(service)};
}

std::vector<std::string> TraceList::Texts() const {
    std::vector<std::string> out;
    out.reserve(lines_.size());
    for (const auto& l : lines_) out.push_back(l.text);
    return out;
}
