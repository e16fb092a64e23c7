// SPDX-License-Identifier: GPL-3.0-or-later
// A whole session in the window, as a user at the keyboard has it: right and wrong answers in
// turn, the help box, and Exit. The sanitizer preset runs it with LeakSanitizer on.
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include "ManualClock.h"
#include "ScriptedLetters.h"
#include "app/Fonts.h"
#include "app/HelpMessage.h"
#include "ui/MainWindow.h"

using namespace kavrel;

class SessionTest : public QObject {
    Q_OBJECT

private slots:
    void twentyTrialsHelpAndExit() {
        InstallFontSubstitutes();
        const int trials = 20;
        testing::ScriptedLetters letters;
        // One trial more than the session answers: the last Start begins it.
        for (int t = 0; t <= trials; ++t) {
            letters.Append("KPB");
        }
        testing::ManualClock clock;
        MainWindow window(letters, clock);
        connect(&window, &MainWindow::helpRequested, &window, [&window] { ShowHelp(&window); });
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        QTimer::singleShot(0, &window, [] {
            QTRY_VERIFY(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()));
            QApplication::activeModalWidget()->close();
        });
        emit window.helpRequested();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        QTest::keyClick(window.windowHandle(), Qt::Key_Return);
        for (int t = 0; t < trials; ++t) {
            // Three letters of 0.5 s each, then the half second before the recall.
            clock.Advance(std::chrono::milliseconds{2000});
            QVERIFY(window.trial().form().tmrCursor.Enabled());
            const bool right = t % 2 == 0;
            for (char key : std::string(right ? "kpb" : "kpx")) {
                QTest::keyClick(window.windowHandle(), key);
            }
            if (!right) {
                QCOMPARE(window.focusWidget()->objectName(), QString("cmdStart"));
                QTest::keyClick(window.windowHandle(), Qt::Key_Return);
            }
        }
        QCOMPARE(window.trial().variables().CorrectCount, trials / 2);
        QCOMPARE(window.trial().variables().WrongCount, trials / 2);

        window.findChild<QPushButton*>("cmdExit")->click();
        QVERIFY(!window.isVisible());
    }
};

QTEST_MAIN(SessionTest)
#include "session_test.moc"
