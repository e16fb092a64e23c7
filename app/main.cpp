#include <QApplication>

#include "app/Fonts.h"
#include "app/HelpMessage.h"
#include "trial/RandomSource.h"
#include "ui/MainWindow.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // Ties the window to its launcher entry and icon where the desktop asks for it.
    QGuiApplication::setDesktopFileName("io.github.kavrel.Kavrel");
    kavrel::InstallFontSubstitutes();

    kavrel::ClockSeededRandom random;
    kavrel::MainWindow frmMain(random);
    QObject::connect(&frmMain, &kavrel::MainWindow::helpRequested, &frmMain,
                     [&frmMain] { kavrel::ShowHelp(&frmMain); });
    frmMain.show();
    return QApplication::exec();
}
