// SPDX-License-Identifier: GPL-3.0-or-later
#include "Narrator.h"

#include <QAccessible>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>

#include "StoredLayout.h"

namespace kavrel {

namespace {

// What assistive technology calls a control of the stored layout.
QString StoredAccessibleName(const char* control) {
    const ControlSpec& spec = StoredControl(control);
    return QString::fromUtf8(spec.accessibleName != nullptr ? spec.accessibleName : spec.caption);
}

}  // namespace

void Narrator::BeforeShowing(const Form& form) {
    QWidget* focused = window_.focusWidget();
    const int cell = widgets_.lblLetter.IndexOf(focused);
    const bool leaving =
        (focused == widgets_.cmdStart && !form.cmdStart.Enabled) ||
        (cell >= 0 && (!form.lblLetter.IsLoaded(cell) || !form.lblLetter[cell].Visible));
    if (leaving) {
        Tell(form, widgets_.Label1);
    }
}

void Narrator::AfterShowing(const Form& form) {
    if (form.cmdStart.FocusRequests != shownFocusRequests_) {
        shownFocusRequests_ = form.cmdStart.FocusRequests;
        Tell(form, widgets_.cmdStart);
    }
    QWidget* focused = window_.focusWidget();
    Tell(form, IsParked(focused) ? LatestStep(form) : focused);
}

void Narrator::AfterHelp(const Form& form, QWidget* control) {
    // The closed box hands the keyboard back to the window's focus, which can still be the menu
    // bar that opened it (it had nothing to give it back to when the window was not yet
    // active), or a step of the trial that has moved on meanwhile.
    const bool usable = control != widgets_.cmdStart || form.cmdStart.Enabled;
    if (control != nullptr && qobject_cast<QMenuBar*>(control) == nullptr && !IsParked(control) &&
        usable) {
        control->setFocus();
    } else {
        Tell(form, form.cmdStart.Enabled ? widgets_.cmdStart : LatestStep(form));
    }
}

bool Narrator::IsParked(const QWidget* focused) const {
    return focused == widgets_.Label1 || widgets_.lblLetter.IndexOf(focused) >= 0;
}

QWidget* Narrator::LatestStep(const Form& form) const {
    for (int i = form.lblLetter.UpperBound() - 1; i >= 0; --i) {
        if (form.lblLetter.IsLoaded(i) && form.lblLetter[i].Visible &&
            !form.lblLetter[i].Caption.empty()) {
            return widgets_.lblLetter.Cell(i);
        }
    }
    return widgets_.Label1;
}

QStringList Narrator::Readout(const Form& form) const {
    QStringList row;
    for (int i = 0; i < form.lblLetterWrong.UpperBound(); ++i) {
        if (form.lblLetterWrong.IsLoaded(i) && form.lblLetterWrong[i].Visible) {
            row << QString::fromStdString(form.lblLetterWrong[i].Caption);
        }
    }
    const auto count = [](const char* counter, const std::string& value) {
        return value.empty() ? QString()
                             : StoredAccessibleName(counter) + ' ' + QString::fromStdString(value);
    };
    return {QString::fromStdString(form.Label1), QString::fromStdString(form.Label3), row.join(' '),
            count("dui", form.dui), count("cuo", form.cuo)};
}

void Narrator::Tell(const Form& form, QWidget* target) {
    const bool moves = target != window_.focusWidget();
    const QStringList readout = Readout(form);
    QStringList news;
    for (qsizetype i = 0; i < readout.size(); ++i) {
        const bool saidByFocus = i == 0 && moves && target == widgets_.Label1;
        if (readout[i] != told_.value(i) && !readout[i].isEmpty() && !saidByFocus) {
            news << readout[i];
        }
    }
    told_ = readout;
    if (target == nullptr || (!moves && news.isEmpty())) {
        return;
    }

#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
    // This Qt has no announcement: the news goes with the focus, after the name of the object
    // that receives it (a screen reader says a label's name but not its description): Label1's
    // line, a cell's letter, Start's caption.
    if (renamed_ != nullptr) {
        renamed_->setAccessibleName({});
        renamed_ = nullptr;
    }
    if (moves && !news.isEmpty()) {
        renamed_ = target;
        const int cell = widgets_.lblLetter.IndexOf(target);
        const QString ownName = target == widgets_.Label1 ? QString::fromStdString(form.Label1)
                                : cell >= 0 ? QString::fromStdString(form.lblLetter[cell].Caption)
                                            : StoredAccessibleName("cmdStart");
        target->setAccessibleName(ownName + ' ' + news.join(' '));
    }
#endif
    if (moves) {
        target->setFocus();
    }
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    if (!news.isEmpty()) {
        QAccessibleAnnouncementEvent announcement(target, news.join(' '));
        QAccessible::updateAccessibility(&announcement);
    }
#endif
}

}  // namespace kavrel
