// SPDX-License-Identifier: GPL-3.0-or-later
#include "HelpMessage.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

namespace kavrel {

QString HelpPrompt() {
    static const QStringList paragraphs{
        QStringLiteral("本程序通过输入记忆的字母帮助你提高记忆力。"),
        QStringLiteral("默认：显示三个字母，显示时间为0.5秒。"),
        QStringLiteral("若要在训练过程时更改显示字母个数和时间，请："),
        QStringLiteral("1、输入一个错误的，使程序停止运行，重新设置后点击开始；"),
        QStringLiteral("2、退出程序，然后重新打开。"),
    };
    return paragraphs.join(QStringLiteral("\r\n\r\n"));
}

void ShowHelp(QWidget* window) {
    QMessageBox box(QMessageBox::Information, window->windowTitle(), HelpPrompt(), QMessageBox::Ok,
                    window);
    // In Qt's words, which the program's catalogue gives in Chinese: a desktop's platform theme
    // words the button itself otherwise, in the desktop's language (KDE's says "OK").
    box.button(QMessageBox::Ok)->setText(QCoreApplication::translate("QPlatformTheme", "OK"));
    box.exec();
    // Without a window manager nobody hands the keyboard back to the window after the box.
    window->activateWindow();
}

}  // namespace kavrel
