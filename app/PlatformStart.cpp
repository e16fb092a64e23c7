// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlatformStart.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QRegularExpression>
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
// The platform the user asked for: -platform, else QT_QPA_PLATFORM; empty for Qt's choice.
QString named;

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

[[noreturn]] void FailToStart(const QString& qtWords) {
    if (named.isEmpty() && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fputs(
            "kavrel: cannot open the window: no display (set DISPLAY or WAYLAND_DISPLAY, or run it "
            "in a desktop session)\n",
            stderr);
        std::_Exit(1);
    }
    // Qt names the plugin it could not find or load; a platform that loaded and failed only
    // shows in what the user named.
    QString platform = named;
    static const QRegularExpression pluginName(QStringLiteral("Qt platform plugin \"([^\"]*)\""));
    for (const HeldMessage& message : held) {
        if (const QRegularExpressionMatch match = pluginName.match(message.text);
            match.hasMatch()) {
            platform = match.captured(1);
        }
    }
    std::fprintf(stderr, "kavrel: cannot open the window: Qt's platform \"%s\" did not start\n",
                 qUtf8Printable(platform));
    for (const HeldMessage& message : held) {
        qtHandler(message.type,
                  QMessageLogContext(nullptr, 0, nullptr, message.category.constData()),
                  message.text);
    }
    std::fprintf(stderr, "%s\n", qUtf8Printable(qtWords));
    std::_Exit(1);
}

void Handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    std::unique_lock lock(heldMutex);
    if (PlatformStarting()) {
        if (type == QtFatalMsg) {
            FailToStart(text);
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

void GuardPlatformStart(int argc, char* argv[]) {
    named = qEnvironmentVariable("QT_QPA_PLATFORM");
    for (int i = 1; i + 1 < argc; ++i) {
        if (qstrcmp(argv[i], "-platform") == 0 || qstrcmp(argv[i], "--platform") == 0) {
            named = QString::fromLocal8Bit(argv[i + 1]);
        }
    }
    qtHandler = qInstallMessageHandler(Handle);
    // Called once the application object is built, by which time its platform is up.
    qAddPreRoutine(ReleaseOnStart);
}

}  // namespace kavrel
