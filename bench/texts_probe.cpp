// SPDX-License-Identifier: GPL-3.0-or-later
// The second floor: a plain Qt window with no logic that draws the texts Kavrel shows at start in
// the same faces, through the same substitutes, its first frame reported the same way. What
// Kavrel costs beyond it is Kavrel's own.
#include <QApplication>
#include <QPainter>
#include <QWidget>

#include "FirstFrame.h"
#include "app/Fonts.h"
#include "trial/Texts.h"
#include "ui/Controls.h"

namespace {

class Texts : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(kavrel::StoredWindow.background));
        painter.drawText(QRect(0, 0, width(), 20),
                         QString::fromUtf8(kavrel::StoredWindow.menuItem));
        for (const kavrel::ControlSpec& spec : kavrel::StoredControls) {
            QString text = QString::fromUtf8(spec.caption);
            if (text == "label1") {
                text = QString::fromUtf8(kavrel::texts::StartInstruction);
            }
            painter.setFont(kavrel::FontOf(spec.font, font()));
            painter.drawText(spec.rect.translated(0, 20), text);
        }
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    kavrel::InstallFontSubstitutes();
    Texts window;
    window.setWindowTitle(QString::fromUtf8(kavrel::StoredWindow.title));
    window.setFixedSize(692, 381);
    window.show();
    kavrel::bench::ReportFirstFrame(window);
    return QApplication::exec();
}
