// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kavrel {

// The window is a fixed pixel layout and looks as designed in one look only: Qt's own Fusion
// style, the light colours it was drawn with, and one interface font with Simplified-Chinese
// shapes at 12 px. A desktop's style, colour scheme and font settings are set aside, also when
// its platform theme hands them over again later; only its scale factor still applies, to the
// whole window alike. Call once the application object exists, before any window is built.
void UseFixedLook();

}  // namespace kavrel
