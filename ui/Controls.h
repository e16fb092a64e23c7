// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include "StoredLayout.h"

class QLabel;

namespace kavrel {

// The stored font, or `inherited` where the layout stores none.
QFont FontOf(const FontSpec& spec, const QFont& inherited);

// Builds one control of the stored layout, named after it, inside `parent`.
QWidget* CreateControl(const ControlSpec& spec, QWidget* parent);

// A new element of a control array of letter cells: the look of element 0, hidden.
QLabel* CloneCell(const QLabel* element0);

}  // namespace kavrel
