#pragma once

// What the main window's parts share about its controls: a control's background colour.

#include <QtGlobal>

class QWidget;

namespace wincalcontrols {

// Gives `widget` the background `value`, red in the lowest byte.
void setBackground(QWidget *widget, quint32 value);

} // namespace wincalcontrols
