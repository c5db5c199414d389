#include "LabelColor.h"

#include <QLabel>

#include "MainWindowTexts.h"

void PaintLabel(QLabel* label, StatusColor color) {
    const Rgb rgb = StatusColorRgb(color);
    QPalette p = label->palette();
    p.setColor(QPalette::Window, QColor(rgb.r, rgb.g, rgb.b));
    p.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(p);
    label->setAutoFillBackground(true);
}
