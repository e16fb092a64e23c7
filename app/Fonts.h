// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kavrel {

// Maps the Windows faces the layout names to faces a Debian machine installs. Call once the
// application object exists.
void InstallFontSubstitutes();

}  // namespace kavrel
