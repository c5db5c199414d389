#include "ChannelNotices.h"

#include <QCoreApplication>
#include <QThread>

namespace {
template <typename F>
void OnAppThread(F fn) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
}
}  // namespace

void NotifyOperator(const std::string& text, const std::string& title) {
    OnAppThread([text, title] { CurrentOperator().ShowMessage(text, title); });
}

void NotifyCanStatus(const std::string& text, StatusColor color) {
    OnAppThread([text, color] { CurrentChannelStatus().ShowCanStatus(text, color); });
}

void NotifyBitRate(int kbit) {
    OnAppThread([kbit] { CurrentChannelStatus().ShowBitRate(kbit); });
}

void FailureNotice::Show(const std::string& text, const std::string& title) {
    NotifyCanStatus(text, StatusColor::Red);
    std::string key = title + '\n' + text;
    if (key == last_) return;
    last_ = std::move(key);
    NotifyOperator(text, title);
}
