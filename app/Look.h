// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kavrel {

// The window is a fixed pixel layout and looks as designed in one look only: Qt's own Fusion
// style, the light colours it was drawn with, and one interface font with Simplified-Chinese
// shapes at 12 px. A desktop's style, colour scheme and font settings are set aside, also when
// its platform theme hands them over again later; only its scale factor still applies, to the
// whole window alike. Call once the application object exists, before any window is built.
void UseFixedLook();

// Windows in its dark app mode: the title bar stays light over the light window, as Windows
// draws it for a program that has no dark look, where Qt would darken it. A platform the user
// names keeps Qt's choice. Call before the application object is built, which reads it.
void KeepTheTitleBarLight();

}  // namespace kavrel
