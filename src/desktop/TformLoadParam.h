#pragma once
// The parameter-load window: lists the node parameters read from the device, each as loaded
// (with its value and object) or not found. It binds to the station's ParameterLoad and shows
// itself whenever a load starts (menu "Parameter laden", "BEF_LoadPara", the node connect).

#include <QDialog>

class QListWidget;
class QPushButton;

class TformLoadParam final : public QDialog {
    Q_OBJECT
public:
    explicit TformLoadParam(QWidget* parent = nullptr);
    ~TformLoadParam() override;

    // Shows the window and starts a load.
    void Present();
    // Redraws the list from the load's results.
    void Refresh();

    void btnLoadClick();
    void btnCloseClick();

private:
    QListWidget* lbParams_ = nullptr;
    QPushButton* btnLoad_ = nullptr;
};
