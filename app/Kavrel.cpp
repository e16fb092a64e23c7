// SPDX-License-Identifier: GPL-3.0-or-later
#include "Kavrel.h"

#include <QApplication>
#include <QIcon>

#include "Fonts.h"
#include "HelpMessage.h"
#include "Locale.h"
#include "Look.h"
#include "XWayland.h"
#include "trial/RandomSource.h"
#include "ui/MainWindow.h"
#include "ui/SteadyClock.h"

namespace kavrel {

int RunKavrel(int argc, char* argv[], const std::function<void(QWidget& window)>& shown) {
    UseXWaylandUnderGnome();
    KeepTheTitleBarLight();
    QApplication application(argc, argv);
    // Ties the window to its launcher entry and icon where the desktop asks for it.
    QGuiApplication::setDesktopFileName(QStringLiteral(KAVREL_APP_ID));
    UseFixedLook();
    InstallFontSubstitutes();
    UseChineseLocale();

    ClockSeededRandom random;
    SteadyClock clock;
    MainWindow frmMain(random, clock);
#ifdef Q_OS_WIN
    // Windows then shows the program file's own icon, in the size each place asks for (title
    // bar, taskbar, Alt+Tab), instead of the 16 px picture enlarged.
    frmMain.setWindowIcon(QIcon());
#endif
    QObject::connect(&frmMain, &MainWindow::helpRequested, &frmMain,
                     [&frmMain] { ShowHelp(&frmMain); });
    frmMain.show();
    if (shown) {
        shown(frmMain);
    }
    return QApplication::exec();
}

}  // namespace kavrel
