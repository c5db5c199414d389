#pragma once
// Creates a widget with its object name, the name tests and language tables find it by.

#include <QLineEdit>
#include <QString>
#include <string>
#include <utility>

template <typename W, typename... Args>
W* Named(const std::string& name, Args&&... args) {
    auto* w = new W(std::forward<Args>(args)...);
    w->setObjectName(QString::fromStdString(name));
    return w;
}

// A narrow edit field for a short value.
inline QLineEdit* NamedEdit(const std::string& name, QWidget* parent, int width) {
    auto* e = Named<QLineEdit>(name, parent);
    e->setMaximumWidth(width);
    return e;
}
