#pragma once
// The help window: the station's manual (docs/desktop.md) shown as formatted text.

#include <QDialog>
#include <string>

class QTextBrowser;

// Where the manual is: beside the program, in ../share/doc/quarzel, or in the source tree's
// docs folder. Empty when none of them holds it.
std::string FindManual();

class TformHelp final : public QDialog {
    Q_OBJECT
public:
    explicit TformHelp(QWidget* parent = nullptr);
    // Loads the manual at `path`; false when it cannot be read.
    bool Load(const std::string& path);

private:
    QTextBrowser* text_;
};
