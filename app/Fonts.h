// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kavrel {

// The layout names Windows faces. Each is drawn where the machine has it, under either of its
// Windows names; where it does not (Linux, a Windows without the Chinese supplemental fonts or
// without Office, Wine), a free face of the same kind takes its place: on Linux from Debian's
// packages, on Windows from the fonts folder beside the program. Call once the application
// object exists.
void InstallFontSubstitutes();

}  // namespace kavrel
