// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QGlyphRun>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRawFont>
#include <QSignalSpy>
#include <QTextLayout>
#include <QWindow>
#include <QtTest>
#include <algorithm>
#include <optional>

#include "ScriptedLetters.h"
#include "app/Fonts.h"
#include "app/HelpMessage.h"
#include "app/Locale.h"
#include "trial/Options.h"
#include "trial/Texts.h"
#include "ui/MainWindow.h"
#include "ui/StoredLayout.h"

using kavrel::MainWindow;
using kavrel::testing::ScriptedLetters;

namespace {

template <typename T = QWidget>
T* Find(const MainWindow& window, const char* name) {
    return window.clientArea()->findChild<T*>(QString::fromUtf8(name));
}

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Real key presses on the window, where the key preview sees them.
void Type(MainWindow& window, const char* keys) {
    for (; *keys != '\0'; ++keys) {
        QTest::keyClick(window.windowHandle(), *keys);
    }
}

// The phase as the user sees it: the instruction in Label1 and how many cells show.
QString Phase(const MainWindow& window) {
    const QString line = Find<QLabel>(window, "Label1")->text();
    const QString phase = line == Text(kavrel::texts::StartInstruction)    ? "start"
                          : line == Text(kavrel::texts::RecallInstruction) ? "recall"
                          : line == Text(kavrel::texts::CorrectVerdict)    ? "correct"
                                                                           : line;
    int shown = 0;
    for (int i = 0; i < window.letterRow().UpperBound(); ++i) {
        const QLabel* cell = window.letterRow().Cell(i);
        shown += cell != nullptr && cell->isVisible() ? 1 : 0;
    }
    return phase + "/" + QString::number(shown);
}

// The runs a one-line text is drawn in, after Qt's fallback to other faces.
QList<QGlyphRun> GlyphRuns(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    return layout.glyphRuns();
}

// Glyph 0 is the missing-glyph box of whichever face Qt fell back to.
bool DrawsEveryCharacter(const QString& text, const QFont& font) {
    const QList<QGlyphRun> runs = GlyphRuns(text, font);
    return !runs.isEmpty() && std::none_of(runs.begin(), runs.end(), [](const QGlyphRun& run) {
        return run.glyphIndexes().contains(0);
    });
}

QRect CellRect(int index, int top) {
    return {20 + 70 * index, top, 50, 50};
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

    // Each test gets a fresh window, shown and active, drawing its letters from letters_.
    std::optional<ScriptedLetters> letters_;
    std::optional<MainWindow> window_;

private slots:
    void initTestCase() {
        kavrel::InstallFontSubstitutes();
        kavrel::UseChineseLocale();
    }

    void init() {
        letters_.emplace();
        window_.emplace(*letters_);
        window_->show();
        QVERIFY(QTest::qWaitForWindowActive(&*window_));
    }

    void cleanup() {
        window_.reset();
        letters_.reset();
    }

    void startUpShowsTheStoredTextsAndTheDefaults() {
        MainWindow& window = *window_;

        QCOMPARE(window.windowTitle(), QStringLiteral(" Kavrel"));
        QCOMPARE(Find<QLabel>(window, "Label1")->text(),
                 QStringLiteral("点击\u201C开始\u201D\uFF0C记住显示的每个字母"));
        QCOMPARE(Find<QLabel>(window, "Label3")->text(), QString());
        QCOMPARE(Find<QPushButton>(window, "cmdStart")->text(), QStringLiteral("开\u0020\u0020始"));
        QCOMPARE(Find<QPushButton>(window, "cmdExit")->text(), QStringLiteral("退\u0020\u0020出"));
        QCOMPARE(Find<QLineEdit>(window, "Text4")->text(),
                 QStringLiteral("\uFF08初次练习时请先阅读帮助\uFF09"));
        QCOMPARE(Find<QLineEdit>(window, "dui")->text(), QString());
        QCOMPARE(Find<QLineEdit>(window, "cuo")->text(), QString());

        QVERIFY(!window.letterRow().Cell(0)->isVisible());
        QVERIFY(!window.correctRow().Cell(0)->isVisible());
        QCOMPARE(window.letterRow().UpperBound(), 1);
        QCOMPARE(window.correctRow().UpperBound(), 1);
        QVERIFY(!Find(window, "linCursor")->isVisible());
        QCOMPARE(window.trial().NextDue(), std::nullopt);
        QCOMPARE(window.trial().variables().LetterCount, 3);
        QCOMPARE(window.trial().variables().InputPos, 0);
        QCOMPARE(window.trial().form().Timer1.Interval(), kavrel::Milliseconds{500});
        for (int number = 1; number <= 9; ++number) {
            const auto* option =
                Find<QRadioButton>(window, qPrintable(QString("Option%1").arg(number)));
            QCOMPARE(option->isChecked(), number == 1 || number == 7);
        }
        QCOMPARE(QApplication::focusWidget(), Find(window, "cmdStart"));

        QCOMPARE(window.windowIcon().availableSizes(), QList<QSize>{QSize(16, 16)});
        const QList<QAction*> menu = window.menuBar()->actions();
        QCOMPARE(menu.size(), 1);
        QCOMPARE(menu[0]->text(), QStringLiteral("帮助"));
        QCOMPARE(menu[0]->objectName(), QStringLiteral("帮助"));
        QVERIFY(menu[0]->menu() == nullptr && menu[0]->shortcut().isEmpty());
    }

    void everyControlStandsWhereTheLayoutPutsItAndTheWindowKeepsItsSize() {
        MainWindow& window = *window_;
        QWidget* client = window.clientArea();
        QCOMPARE(client->size(), QSize(692, 361));
        QCOMPARE(client->y(), window.menuBar()->height());
        QCOMPARE(client->palette().color(QPalette::Window), QColor(128, 255, 128));

        for (const kavrel::ControlSpec& stored : kavrel::StoredControls) {
            const QWidget* widget = Find(window, stored.name);
            QVERIFY2(widget != nullptr, stored.name);
            QCOMPARE(widget->geometry(), stored.rect);
            if (stored.font.family != nullptr) {
                QCOMPARE(widget->font().pixelSize(), stored.font.pixelSize);
                QCOMPARE(widget->font().bold(), stored.font.bold);
            }
            if (stored.textColour) {
                QCOMPARE(widget->palette().color(QPalette::WindowText), QColor(*stored.textColour));
            }
        }

        // Siblings only: an option button lies inside its frame, not over it.
        const QList<QWidget*> controls = client->findChildren<QWidget*>();
        for (const QWidget* a : controls) {
            for (const QWidget* b : controls) {
                const QSet<QString> pair{a->objectName(), b->objectName()};
                if (a != b && a->parent() == b->parent() &&
                    a->geometry().intersects(b->geometry())) {
                    QCOMPARE(pair, (QSet<QString>{"lblLetter", "linCursor"}));
                }
            }
        }
        const QObjectList stack = client->children();
        QVERIFY(stack.indexOf(Find(window, "linCursor")) >
                stack.indexOf(window.letterRow().Cell(0)));

        const QRect counters = Find(window, "dui")->geometry() | Find(window, "cuo")->geometry();
        for (int i = 0; i < 8; ++i) {
            const QRect bar(22 + 70 * i, 110, Find(window, "linCursor")->width(), 30);
            QVERIFY(CellRect(i, 100).contains(bar));
            QVERIFY(CellRect(i, 100).right() < counters.left());
        }
        QVERIFY(CellRect(0, 220).top() > Find(window, "Label3")->geometry().bottom());
        QVERIFY(CellRect(0, 220).bottom() < Find(window, "cmdStart")->geometry().top());

        // Centred at the size the layout gave it, not at a default size before the layout ran.
        const QPoint offCentre =
            window.frameGeometry().center() - window.screen()->availableGeometry().center();
        QVERIFY2(std::abs(offCentre.x()) <= 1 && std::abs(offCentre.y()) <= 1,
                 qPrintable(QString("%1, %2 px off centre").arg(offCentre.x()).arg(offCentre.y())));

        const QSize size = window.size();
        QCOMPARE(window.minimumSize(), window.maximumSize());
        window.resize(size + QSize(100, 100));
        QApplication::processEvents();
        QCOMPARE(window.size(), size);
    }

    void enterAndSpaceOnTheFocusedStartPressItOnce_data() {
        QTest::addColumn<QKeyCombination>("key");
        QTest::newRow("Return") << QKeyCombination(Qt::Key_Return);
        QTest::newRow("keypad Enter") << QKeyCombination(Qt::KeypadModifier, Qt::Key_Enter);
        QTest::newRow("Space") << QKeyCombination(Qt::Key_Space);
    }

    void enterAndSpaceOnTheFocusedStartPressItOnce() {
        QFETCH(QKeyCombination, key);
        MainWindow& window = *window_;
        letters_->Append("K");
        auto* start = Find<QPushButton>(window, "cmdStart");
        QSignalSpy clicks(start, &QPushButton::clicked);
        QSignalSpy previewed(&window, &MainWindow::keyPreviewed);

        QTest::keyClick(window.windowHandle(), key.key(), key.keyboardModifiers());
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(previewed.size(), 1);
        QVERIFY(!start->isEnabled());
        QVERIFY(window.trial().form().Timer1.Enabled());
        // Parked where a stray Space cannot reach Exit.
        QCOMPARE(QApplication::focusWidget(), window.clientArea());
    }

    void aTextBoxTakesTypingWhileThePreviewSeesEveryKey() {
        MainWindow& window = *window_;
        const kavrel::TrialVariables before = window.trial().variables();
        auto* box = Find<QLineEdit>(window, "Text3");
        QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().bottomRight() - QPoint(2, 2));
        QCOMPARE(QApplication::focusWidget(), box);
        QSignalSpy previewed(&window, &MainWindow::keyPreviewed);

        Type(window, "kpbq");
        QTest::keyClick(window.windowHandle(), Qt::Key_Backspace);
        QCOMPARE(box->text(), QStringLiteral("Kavrel程序kpb"));
        QCOMPARE(previewed.size(), 5);
        QCOMPARE(previewed[0][0].value<char32_t>(), U'k');
        QCOMPARE(previewed[4][0].value<char32_t>(), U'\b');
        // Before the first trial there is no answer to fill.
        QVERIFY(window.trial().variables() == before);
    }

    void aTextBoxMenuSpeaksChinese() {
        const std::unique_ptr<QMenu> menu(
            Find<QLineEdit>(*window_, "Text3")->createStandardContextMenu());
        QStringList words;
        for (const QAction* action : menu->actions()) {
            words << action->text().remove('&');
        }
        for (const char* word : {"复制", "粘贴", "全选"}) {
            QVERIFY2(words.filter(Text(word)).size() == 1, qPrintable(words.join(", ")));
        }
    }

    void optionButtonsSetTheLetterCountOrTheDisplayTime() {
        MainWindow& window = *window_;
        const kavrel::Form form = window.trial().form();
        const kavrel::TrialVariables variables = window.trial().variables();
        QTest::mouseClick(Find(window, "Option1"), Qt::LeftButton);
        QVERIFY(window.trial().form() == form && window.trial().variables() == variables);

        for (int number = 1; number <= 9; ++number) {
            auto* option = Find<QRadioButton>(window, qPrintable(QString("Option%1").arg(number)));
            QTest::mouseClick(option, Qt::LeftButton);
            QVERIFY(option->isChecked());
            const kavrel::OptionButton& button = kavrel::OptionButtons[number - 1];
            QCOMPARE(button.setting == kavrel::OptionButton::Setting::LetterCount
                         ? window.trial().variables().LetterCount
                         : window.trial().form().Timer1.Interval().count(),
                     button.value);
        }
        QCOMPARE(window.trial().variables().LetterCount, 8);
        QCOMPARE(window.trial().NextDue(), std::nullopt);
    }

    void helpFromTheMenuShowsAModalInformationBoxAndLeavesTheTrialAlone() {
        MainWindow& window = *window_;
        connect(&window, &MainWindow::helpRequested, &window,
                [&window] { kavrel::ShowHelp(&window); });
        const kavrel::Form form = window.trial().form();
        const kavrel::TrialVariables variables = window.trial().variables();

        QString text, title, ok;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        bool modal = false;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
                    text = box->text();
                    title = box->windowTitle();
                    icon = box->icon();
                    buttons = box->standardButtons();
                    ok = box->button(QMessageBox::Ok)->text().remove('&');
                    modal = QApplication::activeModalWidget() == box;
                    box->accept();
                    closer.stop();
                }
            }
        });
        closer.start(10);
        QMenuBar* bar = window.menuBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(bar->actions()[0]).center());
        QTRY_VERIFY(!closer.isActive());

        QCOMPARE(text.size(), 121);
        QCOMPARE(text, QStringLiteral("本程序通过输入记忆的字母帮助你提高记忆力\u3002\r\n\r\n"
                                      "默认\uFF1A显示三个字母\uFF0C显示时间为0.5秒\u3002\r\n\r\n"
                                      "若要在训练过程时更改显示字母个数和时间\uFF0C请\uFF1A\r\n\r\n"
                                      "1\u3001输入一个错误的\uFF0C使程序停止运行\uFF0C"
                                      "重新设置后点击开始\uFF1B\r\n\r\n"
                                      "2\u3001退出程序\uFF0C然后重新打开\u3002"));
        QCOMPARE(title, QStringLiteral(" Kavrel"));
        QCOMPARE(icon, QMessageBox::Information);
        QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(ok, QStringLiteral("确定"));
        QVERIFY(modal);
        QVERIFY(window.trial().form() == form);
        QVERIFY(window.trial().variables() == variables);
        QVERIFY(Find(window, "cmdStart")->isEnabled());
    }

    void everyTextIsDrawnWithoutAMissingGlyph() {
        MainWindow& window = *window_;
        QList<std::pair<QString, QFont>> texts;
        for (const kavrel::ControlSpec& stored : kavrel::StoredControls) {
            texts.append({Text(stored.caption), Find(window, stored.name)->font()});
        }
        const QFont line = Find(window, "Label1")->font();
        for (const char* message :
             {kavrel::texts::StartInstruction, kavrel::texts::RecallInstruction,
              kavrel::texts::CorrectVerdict, kavrel::texts::WrongVerdict,
              kavrel::texts::CorrectSequenceHeading}) {
            texts.append({Text(message), line});
        }
        texts.append({"ABCDEFGHIJKLMNOPQRSTUVWXYZ", window.letterRow().Cell(0)->font()});
        texts.append({"0123456789", Find(window, "dui")->font()});
        texts.append({window.windowTitle(), QApplication::font()});
        texts.append({window.menuBar()->actions()[0]->text(), window.menuBar()->font()});
        for (const QString& helpLine : kavrel::HelpPrompt().split("\r\n", Qt::SkipEmptyParts)) {
            texts.append({helpLine, QApplication::font("QMessageBox")});
        }
        for (const auto& [text, font] : texts) {
            QVERIFY2(text.trimmed().isEmpty() || DrawsEveryCharacter(text, font), qPrintable(text));
        }
    }

    void eachFaceOfTheLayoutIsDrawnByItsSubstitute() {
        const char* faces[][3] = {
            {"cmdStart", "开始退出", "WenQuanYi Micro Hei"},  // the default font
            {"lblLetter", "KAVREL", "Liberation Serif"},
            {"Text1", "正确次数", "AR PL SungtiL GB"},
            {"Label1", "点击开始", "AR PL KaitiM GB"},
            {"Text3", "程序", "AR PL UKai CN"},
        };
        for (const auto& [control, sample, family] : faces) {
            const QList<QGlyphRun> runs = GlyphRuns(Text(sample), Find(*window_, control)->font());
            QVERIFY(!runs.isEmpty());
            for (const QGlyphRun& run : runs) {
                // fontconfig reports some families in lower case
                QCOMPARE(run.rawFont().familyName().toLower(), Text(family).toLower());
            }
        }
    }

    // The one test on the wall clock: it checks the order of the phases, not their timing.
    void aCorrectTrialRunsThroughAndChainsIntoTheNext() {
        MainWindow& window = *window_;
        letters_->Append("KPBX");
        QStringList phases;
        connect(&window, &MainWindow::formShown, [&] {
            if (phases.isEmpty() || phases.last() != Phase(window)) {
                phases << Phase(window);
            }
        });
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(Find(window, "cmdStart"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(Phase(window) == "recall/3", 10000);
        QVERIFY(clock.elapsed() >= 2000);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(window.letterRow().Cell(i)->geometry(), CellRect(i, 100));
            QCOMPARE(window.letterRow().Cell(i)->text(), QString());
        }

        QTest::keyClick(window.windowHandle(), Qt::Key_K);
        QCOMPARE(window.letterRow().Cell(0)->text(), QStringLiteral("K"));
        QCOMPARE(Find(window, "linCursor")->geometry(), QRect(92, 110, 2, 30));
        Type(window, "pb");
        QCOMPARE(Find<QLineEdit>(window, "dui")->text(), QStringLiteral("1"));
        QVERIFY(!Find(window, "cmdStart")->isEnabled());
        QVERIFY(!Find(window, "linCursor")->isVisible());
        QCOMPARE(window.letterRow().UpperBound(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(window.letterRow().Cell(0)->isVisible(), 5000);
        QCOMPARE(window.letterRow().Cell(0)->text(), QStringLiteral("X"));
        QCOMPARE(phases, (QStringList{"start/0", "start/1", "start/2", "start/3", "recall/3",
                                      "correct/0", "correct/1"}));
    }

    void aWrongTrialShowsTheCorrectRowInRedAndEnterStartsTheNext() {
        MainWindow& window = *window_;
        letters_->Append("KPBXZQ");
        QTest::mouseClick(Find(window, "Option3"), Qt::LeftButton);
        QTest::mouseClick(Find(window, "cmdStart"), Qt::LeftButton);
        QSignalSpy previewed(&window, &MainWindow::keyPreviewed);
        Type(window, "kp");
        QCOMPARE(previewed.size(), 2);
        QVERIFY(window.trial().variables().TypedLetters.empty());
        QTRY_VERIFY_WITH_TIMEOUT(Phase(window) == "recall/5", 10000);

        // The answer goes in through whichever control has the focus; the box keeps its typing.
        auto* box = Find<QLineEdit>(window, "Text4");
        box->setFocus();
        QWidget* cursor = Find(window, "linCursor");
        QCOMPARE(cursor->geometry(), QRect(22, 110, 2, 30));
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(window.windowHandle(), "kpbx"[i]);
            QCOMPARE(cursor->geometry(), QRect(22 + 70 * (i + 1), 110, 2, 30));
        }
        QTest::keyClick(window.windowHandle(), Qt::Key_Backspace);
        QCOMPARE(cursor->geometry(), QRect(232, 110, 2, 30));
        QCOMPARE(window.letterRow().Cell(3)->text(), QString());
        Type(window, "XA");
        QVERIFY(box->text().endsWith("kpbXA"));

        QCOMPARE(Find<QLabel>(window, "Label1")->text(), Text(kavrel::texts::WrongVerdict));
        QCOMPARE(Find<QLabel>(window, "Label3")->text(),
                 Text(kavrel::texts::CorrectSequenceHeading));
        QCOMPARE(Find<QLineEdit>(window, "cuo")->text(), QStringLiteral("1"));
        QVERIFY(!cursor->isVisible());
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(window.letterRow().Cell(i)->text(), QString("KPBXA"[i]));
            const QLabel* red = window.correctRow().Cell(i);
            QVERIFY(red->isVisible());
            QCOMPARE(red->geometry(), CellRect(i, 220));
            QCOMPARE(red->text(), QString("KPBXZ"[i]));
            QCOMPARE(red->palette().color(red->foregroundRole()), QColor(255, 0, 0));
        }
        auto* start = Find<QPushButton>(window, "cmdStart");
        QVERIFY(start->isEnabled());
        QCOMPARE(QApplication::focusWidget(), start);

        QSignalSpy clicks(start, &QPushButton::clicked);
        QTest::keyClick(window.windowHandle(), Qt::Key_Return);
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(window.correctRow().UpperBound(), 1);
        QCOMPARE(window.letterRow().UpperBound(), 1);
        QVERIFY(!window.correctRow().Cell(0)->isVisible());
        QCOMPARE(Find<QLabel>(window, "Label3")->text(), QString());
        QCOMPARE(window.trial().variables().TargetLetters, std::vector<std::string>{"Q"});
        QCOMPARE(Find<QLineEdit>(window, "cuo")->text(), QStringLiteral("1"));
    }

    void exitClosesTheWindowAndNothingRunsAfterwards() {
        MainWindow& window = *window_;
        letters_->Append("KPB");
        QTest::mouseClick(Find(window, "cmdStart"), Qt::LeftButton);
        QSignalSpy shown(&window, &MainWindow::formShown);
        QSignalSpy previewed(&window, &MainWindow::keyPreviewed);
        QTest::mouseClick(Find(window, "cmdExit"), Qt::LeftButton);
        QVERIFY(!window.isVisible());

        const kavrel::Form form = window.trial().form();
        QTest::keyClick(window.windowHandle(), Qt::Key_A);
        QTest::qWait(700);  // past the first letter's tick
        QVERIFY(window.trial().form() == form);
        QCOMPARE(window.trial().variables().ShowIndex, 0);
        QCOMPARE(shown.size(), 0);
        QCOMPARE(previewed.size(), 0);
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
