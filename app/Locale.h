// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kavrel {

// Makes Chinese (China) the program's locale whatever the machine's, and has Qt's own words (a
// message box's buttons, a text box's menu) in Simplified Chinese like the rest of the window,
// from Qt's catalogue where it is installed. Call once the application object exists.
void UseChineseLocale();

}  // namespace kavrel
