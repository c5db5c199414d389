#pragma once
// Status colours on labels: the background of a status colour with black text.

#include "Ports.h"

class QLabel;

void PaintLabel(QLabel* label, StatusColor color);
