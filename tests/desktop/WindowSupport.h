#pragma once
// Driving windows in tests: controls found by object name, and modal dialogs answered from
// inside their own event loop.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "LanguageRows.h"

template <class T>
T* Control(QObject* window, const std::string& name) {
    return qobject_cast<T*>(FindControl(window, name));
}

inline void Click(QObject* window, const std::string& name) {
    auto* button = Control<QPushButton>(window, name);
    ASSERT_TRUE(button) << name;
    button->click();
}

inline void Trigger(QObject* window, const std::string& name) {
    auto* action = Control<QAction>(window, name);
    ASSERT_TRUE(action) << name;
    action->trigger();
}

inline void Key(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

// Calls `act` with the modal dialog named `dialogName` (or of that class) once it is open (inside its exec()).
// `act` returns true when it is done with the dialog. A dialog that never appears leaves the
// watcher idle; one that `act` never finishes is closed after many attempts, so a failing
// test cannot hang.
class ModalWatcher {
public:
    ModalWatcher(std::string dialogName, std::function<bool(QDialog&)> act)
        : name_(std::move(dialogName)), act_(std::move(act)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Check(); });
        timer_.start(0);
    }
    bool Done() const { return done_; }

private:
    void Check() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || (dialog->objectName().toStdString() != name_ && !dialog->inherits(name_.c_str()))) return;
        if (act_(*dialog)) {
            done_ = true;
            timer_.stop();
        } else if (++attempts_ > 1000) {
            ADD_FAILURE() << name_ << " was not finished";
            timer_.stop();
            dialog->reject();
        }
    }

    std::string name_;
    std::function<bool(QDialog&)> act_;
    QTimer timer_;
    bool done_ = false;
    int attempts_ = 0;
};
