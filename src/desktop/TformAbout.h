#pragma once
// The about box: the program name and its version; "OK" closes it.

#include <QDialog>

class TformAbout final : public QDialog {
    Q_OBJECT
public:
    explicit TformAbout(QWidget* parent = nullptr);
};
