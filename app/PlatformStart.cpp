// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlatformStart.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace kavrel {

namespace {

struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};

QtMessageHandler qtHandler;
// The platform may start a thread of its own that reports while it starts.
std::mutex heldMutex;
std::vector<HeldMessage> held;
// Set for good: once the application object is gone its platform name is empty again.
bool platformUp = false;

void ReleaseHeld() {
    platformUp = true;
    for (const HeldMessage& message : held) {
        qtHandler(message.type,
                  QMessageLogContext(nullptr, 0, nullptr, message.category.constData()),
                  message.text);
    }
    held.clear();
}

// Before the application object exists, Qt 6.8 names the platform it is going to try (and warns
// of a locale that is not UTF-8 then); only with the object is the name that of a platform up.
bool PlatformStarting() {
    return !platformUp &&
           (QCoreApplication::instance() == nullptr || QGuiApplication::platformName().isEmpty());
}

void Handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    std::unique_lock lock(heldMutex);
    if (PlatformStarting()) {
        if (type == QtFatalMsg) {
            std::fputs(
                "kavrel: cannot open the window: no display (set DISPLAY or WAYLAND_DISPLAY, or "
                "run it in a desktop session)\n",
                stderr);
            std::_Exit(1);
        }
        held.push_back({type, context.category, text});
        return;
    }
    ReleaseHeld();
    lock.unlock();
    qtHandler(type, context, text);
}

void ReleaseOnStart() {
    const std::lock_guard lock(heldMutex);
    ReleaseHeld();
}

}  // namespace

void GuardPlatformStart() {
    qtHandler = qInstallMessageHandler(Handle);
    // Called once the application object is built, by which time its platform is up.
    qAddPreRoutine(ReleaseOnStart);
}

}  // namespace kavrel
