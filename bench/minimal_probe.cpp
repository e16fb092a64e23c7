// SPDX-License-Identifier: GPL-3.0-or-later
// The floor: an empty Qt window of Kavrel's size, its first frame reported the same way.
#include <QApplication>
#include <QWidget>

#include "FirstFrame.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QWidget window;
    window.setFixedSize(692, 381);
    window.show();
    kavrel::bench::ReportFirstFrame(window);
    return QApplication::exec();
}
