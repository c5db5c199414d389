#pragma once
// The English texts applied to the windows when they are created. A table row names a control
// by its object name, the kind of text and the text; a row changes nothing when the window has
// no control of that name or the control is not of the row's kind. Works on any QObject tree
// (controls are recognised by their Qt class), so it needs no widgets itself.

#include <span>
#include <string>
#include <vector>

class QObject;

enum class TextKind {
    Button,    // caption of a push or tool button (not a check box or radio button)
    Label,     // caption of a label
    CheckBox,  // caption of a check box
    GroupBox,  // title of a group box
    MenuItem,  // caption of a menu entry or of a menu
    Hint,      // tool tip of any control
    Title,     // the window's own caption (the component name is ignored)
};

struct LanguageRow {
    TextKind kind;
    const char* component;
    const char* text;
};

// The control named `name` inside `window` (the window itself excluded), not looking into other
// windows (dialogs) that are its children. Null when there is none.
QObject* FindControl(QObject* window, const std::string& name);

// The row helpers: each sets the text when the named control is of its kind, and returns
// whether it did.
bool ApplyButtonRow(QObject* window, const std::string& component, const std::string& text);
bool ApplyLabelRow(QObject* window, const std::string& component, const std::string& text);
bool ApplyCheckBoxRow(QObject* window, const std::string& component, const std::string& text);
bool ApplyGroupBoxRow(QObject* window, const std::string& component, const std::string& text);
bool ApplyMenuItemRow(QObject* window, const std::string& component, const std::string& text);
bool ApplyHintRow(QObject* window, const std::string& component, const std::string& text);
bool ApplyTitleRow(QObject* window, const std::string& text);

// Applies `rows` in order; returns how many changed a control.
int ApplyLanguageRows(QObject* window, std::span<const LanguageRow> rows);

// Windows of other parts register their table under their window's object name ("TFormTrace",
// "TFormKontup", ...). Registering a name again replaces its table.
void RegisterLanguageTable(const std::string& windowName, std::vector<LanguageRow> rows);
// Applies the table of `window`, chosen by its object name; a window without a table of its own
// gets the default table, registered under the empty name (the main window's). Returns how many
// rows changed a control.
int ApplyLanguage(QObject* window);
