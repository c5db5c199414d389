#include "LanguageRows.h"

#include <QObject>
#include <QVariant>
#include <map>
#include <mutex>


namespace {
// Dialogs and other top-level windows below a window have tables of their own.
bool IsOtherWindow(const QObject* object) {
    return object->inherits("QDialog") || object->inherits("QMainWindow");
}

QObject* FindIn(QObject* parent, const QString& name) {
    for (QObject* child : parent->children()) {
        if (IsOtherWindow(child)) continue;
        if (child->objectName() == name) return child;
    }
    for (QObject* child : parent->children()) {
        if (IsOtherWindow(child)) continue;
        if (QObject* found = FindIn(child, name)) return found;
    }
    return nullptr;
}

bool IsOfKind(const QObject* control, TextKind kind) {
    switch (kind) {
        case TextKind::Button:
            return control->inherits("QAbstractButton") && !control->inherits("QCheckBox") &&
                   !control->inherits("QRadioButton");
        case TextKind::Label: return control->inherits("QLabel");
        case TextKind::CheckBox: return control->inherits("QCheckBox");
        case TextKind::GroupBox: return control->inherits("QGroupBox");
        case TextKind::MenuItem: return control->inherits("QAction") || control->inherits("QMenu");
        case TextKind::Hint: return control->inherits("QWidget") || control->inherits("QAction");
        case TextKind::Title: return false;
    }
    return false;
}

const char* TextProperty(const QObject* control, TextKind kind) {
    switch (kind) {
        case TextKind::GroupBox: return "title";
        case TextKind::MenuItem: return control->inherits("QMenu") ? "title" : "text";
        case TextKind::Hint: return "toolTip";
        default: return "text";
    }
}

bool ApplyRow(QObject* window, TextKind kind, const std::string& component, const std::string& text) {
    if (!window) return false;
    if (kind == TextKind::Title) return window->setProperty("windowTitle", QString::fromStdString(text));
    QObject* control = FindControl(window, component);
    if (!control || !IsOfKind(control, kind)) return false;
    return control->setProperty(TextProperty(control, kind), QString::fromStdString(text));
}

struct TableRegistry {
    std::mutex mutex;
    std::map<std::string, std::vector<LanguageRow>> tables;
};

TableRegistry& Registry() {
    static TableRegistry registry;
    return registry;
}
}  // namespace

QObject* FindControl(QObject* window, const std::string& name) {
    if (!window || name.empty()) return nullptr;
    return FindIn(window, QString::fromStdString(name));
}

bool ApplyButtonRow(QObject* window, const std::string& component, const std::string& text) {
    return ApplyRow(window, TextKind::Button, component, text);
}
bool ApplyLabelRow(QObject* window, const std::string& component, const std::string& text) {
    return ApplyRow(window, TextKind::Label, component, text);
}
bool ApplyCheckBoxRow(QObject* window, const std::string& component, const std::string& text) {
    return ApplyRow(window, TextKind::CheckBox, component, text);
}
bool ApplyGroupBoxRow(QObject* window, const std::string& component, const std::string& text) {
    return ApplyRow(window, TextKind::GroupBox, component, text);
}
bool ApplyMenuItemRow(QObject* window, const std::string& component, const std::string& text) {
    return ApplyRow(window, TextKind::MenuItem, component, text);
}
bool ApplyHintRow(QObject* window, const std::string& component, const std::string& text) {
    return ApplyRow(window, TextKind::Hint, component, text);
}
bool ApplyTitleRow(QObject* window, const std::string& text) { return ApplyRow(window, TextKind::Title, "", text); }

int ApplyLanguageRows(QObject* window, std::span<const LanguageRow> rows) {
    int changed = 0;
    for (const LanguageRow& row : rows)
        if (ApplyRow(window, row.kind, row.component ? row.component : "", row.text ? row.text : "")) ++changed;
    return changed;
}

void RegisterLanguageTable(const std::string& windowName, std::vector<LanguageRow> rows) {
    TableRegistry& r = Registry();
    std::lock_guard lock(r.mutex);
    r.tables[windowName] = std::move(rows);
}

int ApplyLanguage(QObject* window) {
    if (!window) return 0;
    std::vector<LanguageRow> rows;
    {
        TableRegistry& r = Registry();
        std::lock_guard lock(r.mutex);
        auto it = r.tables.find(window->objectName().toStdString());
        if (it != r.tables.end()) rows = it->second;
    }
    if (rows.empty()) {
        TableRegistry& r = Registry();
        std::lock_guard lock(r.mutex);
        auto it = r.tables.find(std::string());
        if (it != r.tables.end()) rows = it->second;
    }
    return ApplyLanguageRows(window, rows);
}
