// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace kavrel {

// The explanation of the exercise: nine lines, the even ones empty, joined with CR LF.
QString HelpPrompt();

// The modal information box with a single OK button, titled with the window's own title.
// It reads and changes nothing of the trial.
void ShowHelp(QWidget* window);

}  // namespace kavrel
