// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineEdit>

namespace kavrel {

// A text box of the layout. A plain QLineEdit tells an input method that it takes composed text
// whatever Qt::WA_InputMethodEnabled says; this one goes by the attribute, so the window can
// keep input methods out of it while a trial runs.
class TextBox : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override {
        if (query == Qt::ImEnabled && !testAttribute(Qt::WA_InputMethodEnabled)) {
            return false;
        }
        return QLineEdit::inputMethodQuery(query);
    }
};

}  // namespace kavrel
