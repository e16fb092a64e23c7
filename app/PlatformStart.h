// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kavrel {

// Qt meets a platform that cannot start, with no display to open the window on, by advising a
// reinstall and aborting with a core dump. From this call on, such a start prints one line on
// standard error and exits with status 1 instead. Qt's messages from before its platform is up
// wait until it is, and are dropped with the failed start.
void GuardPlatformStart();

}  // namespace kavrel
