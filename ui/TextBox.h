// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineEdit>

namespace kavrel {

// A text box of the layout. A plain QLineEdit tells an input method that it takes composed text
// whatever Qt::WA_InputMethodEnabled says; this one goes by the attribute, so the window can
// keep input methods out of it while a trial runs.
class TextBox : public QLineEdit {
public:
    TextBox(const QString& text, QWidget* parent) : QLineEdit(text, parent) {
        // Windows' edit control leaves 1 px between its frame and its text, Qt 2 px: the layout's
        // boxes are sized for the former, "正确次数" in bold 宋体 filling its 73 px to the pixel
        // where a bold face is made up as Windows makes it, one pixel wider a character.
        setTextMargins(-1, 0, -1, 0);
    }

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override {
        if (query == Qt::ImEnabled && !testAttribute(Qt::WA_InputMethodEnabled)) {
            return false;
        }
        return QLineEdit::inputMethodQuery(query);
    }
};

}  // namespace kavrel
