#pragma once
// A timer of the station shown as a named component of its window ("pTimCAN", "timControl"),
// so tools and tests can see whether it runs and at which interval. The timer itself is a
// TimerPort owned elsewhere.

#include <QObject>
#include <functional>

class NamedTimer final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool active READ IsActive)
    Q_PROPERTY(int interval READ Interval)
public:
    NamedTimer(const char* name, std::function<bool()> active, std::function<int()> interval, QObject* parent);
    bool IsActive() const { return active_(); }
    int Interval() const { return interval_(); }

private:
    std::function<bool()> active_;
    std::function<int()> interval_;
};
