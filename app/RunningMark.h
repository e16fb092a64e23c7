// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kavrel {

// Windows: holds, until the process ends, a mutex named after the program's id, by which the
// installer and the uninstaller see a running Kavrel, from whatever folder it was started, and
// leave its files alone.
void HoldRunningMark();

}  // namespace kavrel
