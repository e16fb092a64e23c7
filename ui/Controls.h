// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include "StoredLayout.h"

class QLabel;

namespace kavrel {

// Builds one control of the stored layout, named after it, inside `parent`.
QWidget* CreateControl(const ControlSpec& spec, QWidget* parent);

// A new element of a control array of letter cells: the look of element 0, hidden.
QLabel* CloneCell(const QLabel* element0);

}  // namespace kavrel
