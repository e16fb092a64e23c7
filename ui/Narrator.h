// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QStringList>

#include "FormBuilder.h"
#include "trial/Form.h"

class QWidget;

namespace kavrel {

// Tells a screen reader the trial's latest step. During a trial the focus rests on what shows
// it, so that a screen reader, which says the object that newly receives the focus, tells each
// letter, the recall prompt and the verdict as they appear; what else changed (the verdict when
// Start takes the focus, the correct row, the counts) is told along with it, in the window's
// words. Without a screen reader nothing is said.
class Narrator {
public:
    Narrator(QWidget& window, const FormWidgets& widgets) : window_(window), widgets_(widgets) {}

    // Before the widgets show `form`: a focused control that it disables, hides or deletes would
    // hand the focus on to the next one in the tab order, Exit, where a stray Space during the
    // recall would end the program. The focus goes to Label1 instead.
    void BeforeShowing(const Form& form);
    // Once they show it: Start takes the focus when the trial hands it over; a focus resting on
    // the trial's side moves on to its latest step; news is told.
    void AfterShowing(const Form& form);
    // The help box is closed: the keyboard goes back to `control`, which had it when the box was
    // asked for, where it still can, else to Start or the trial's latest step.
    void AfterHelp(const Form& form, QWidget* control);

private:
    bool IsParked(const QWidget* focused) const;
    // The newest letter of the top row, or else Label1.
    QWidget* LatestStep(const Form& form) const;
    // What the window says besides the top row, in reading order.
    QStringList Readout(const Form& form) const;
    // Gives `target` the focus, and tells what changed since last told.
    void Tell(const Form& form, QWidget* target);

    QWidget& window_;
    const FormWidgets& widgets_;
    int shownFocusRequests_ = 0;
    QStringList told_;
    // The object whose name carries the latest news where Qt cannot announce it.
    QPointer<QWidget> renamed_;
};

}  // namespace kavrel
