// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <array>

#include "CellRow.h"

class QAction;
class QLabel;
class QLineEdit;
class QMainWindow;
class QPushButton;
class QRadioButton;
class QWidget;

namespace kavrel {

// The controls of frmMain that the window drives, by the stored layout's names.
struct FormWidgets {
    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr;
    QWidget* linCursor = nullptr;
    QLineEdit* dui = nullptr;
    QLineEdit* cuo = nullptr;
    QPushButton* cmdStart = nullptr;
    QPushButton* cmdExit = nullptr;
    // Option1 to Option9.
    std::array<QRadioButton*, 9> options{};
    QList<QLineEdit*> textBoxes;
    QAction* help = nullptr;  // the menu item 帮助
    CellRow lblLetter{nullptr};
    CellRow lblLetterWrong{nullptr};
};

// Builds the stored layout into `window`: its client area, every control of the table in its
// place, the focus order and the menu item.
FormWidgets BuildForm(QMainWindow& window);

}  // namespace kavrel
