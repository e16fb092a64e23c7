// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kavrel {

// In GNOME's Wayland session, has Qt open the window through XWayland, unless the user names a
// platform. To be called before the application object is built, which reads the choice.
void UseXWaylandUnderGnome();

}  // namespace kavrel
