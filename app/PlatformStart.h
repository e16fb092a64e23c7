// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kavrel {

// Qt meets a platform that cannot start by advising a reinstall and aborting with a core dump.
// From this call on, such a start exits with status 1 instead, after one line on standard error:
// where there is no display at all and the user named no platform, that there is none; otherwise
// which platform failed, followed by Qt's own words (among them the platforms there are). Qt's
// messages from before its platform is up wait until it is, or until such a failure.
void GuardPlatformStart(int argc, char* argv[]);

}  // namespace kavrel
