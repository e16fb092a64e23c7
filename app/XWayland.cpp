// SPDX-License-Identifier: GPL-3.0-or-later
#include "XWayland.h"

#include <QByteArray>
#include <QList>
#include <QtGlobal>

namespace kavrel {

void UseXWaylandUnderGnome() {
    // GNOME decorates no Wayland window: Qt then draws a title bar of its own, whose maximise
    // (a button, a double-click) the fixed-size window must not have, and the help box is not
    // placed over the window. An X window GNOME decorates and places as any other. Compositors
    // that decorate Wayland windows themselves (KDE Plasma, sway) keep Qt's choice, Wayland.
    if (qgetenv("XDG_SESSION_TYPE") != "wayland" ||
        !qgetenv("XDG_CURRENT_DESKTOP").split(':').contains("GNOME") ||
        qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        return;
    }
    // Wayland still, should XWayland fail to start; a -platform argument still wins over both.
    qputenv("QT_QPA_PLATFORM", "xcb;wayland");
}

}  // namespace kavrel
