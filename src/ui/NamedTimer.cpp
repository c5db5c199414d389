#include "NamedTimer.h"

NamedTimer::NamedTimer(const char* name, std::function<bool()> active, std::function<int()> interval, QObject* parent)
    : QObject(parent), active_(std::move(active)), interval_(std::move(interval)) {
    setObjectName(name);
}
