// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

#include "trial/ControlArray.h"

class QLabel;
class QWidget;

namespace kavrel {

// The widgets of one row of letter cells, kept in step with the trial's control array:
// element 0 comes from the layout, the others are created and destroyed as they are loaded.
class CellRow {
public:
    explicit CellRow(QLabel* element0) : cells_{element0} {}

    void Show(const ControlArray& row);
    // The widget of a loaded element, or nullptr.
    QLabel* Cell(int index) const;
    // The element whose widget `widget` is, or -1.
    int IndexOf(const QWidget* widget) const;
    // One past the highest element with a widget.
    int UpperBound() const { return static_cast<int>(cells_.size()); }

private:
    std::vector<QLabel*> cells_;
};

}  // namespace kavrel
