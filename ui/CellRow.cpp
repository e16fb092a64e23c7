// SPDX-License-Identifier: GPL-3.0-or-later
#include "CellRow.h"

#include <QLabel>
#include <algorithm>

#include "Controls.h"

namespace kavrel {

void CellRow::Show(const ControlArray& row) {
    const int bound = std::max(UpperBound(), row.UpperBound());
    cells_.resize(bound, nullptr);
    for (int i = 1; i < bound; ++i) {
        if (row.IsLoaded(i) && cells_[i] == nullptr) {
            cells_[i] = CloneCell(cells_[0]);
            cells_[i]->setProperty("index", i);
        } else if (!row.IsLoaded(i) && cells_[i] != nullptr) {
            delete cells_[i];
            cells_[i] = nullptr;
        }
    }
    while (cells_.size() > 1 && cells_.back() == nullptr) {
        cells_.pop_back();
    }
    for (int i = 0; i < UpperBound(); ++i) {
        if (QLabel* cell = cells_[i]) {
            const LetterCell& shown = row[i];
            cell->setText(QString::fromStdString(shown.Caption));
            cell->move(shown.Left, shown.Top);
            cell->setVisible(shown.Visible);
        }
    }
}

QLabel* CellRow::Cell(int index) const {
    return index >= 0 && index < UpperBound() ? cells_[index] : nullptr;
}

int CellRow::IndexOf(const QWidget* widget) const {
    const auto found = std::find(cells_.begin(), cells_.end(), widget);
    return widget != nullptr && found != cells_.end() ? static_cast<int>(found - cells_.begin())
                                                      : -1;
}

}  // namespace kavrel
