// SPDX-License-Identifier: GPL-3.0-or-later
// The window on a real X server, driven as a person would: real X key presses and mouse clicks
// from xdotool. Run through tests/xvfb-run.sh, which provides the private server.
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <cstdlib>
#include <cstring>
#include <optional>

#ifdef KAVREL_HAVE_XCB
#include <xcb/xcb.h>
#endif

#include "app/Fonts.h"
#include "app/HelpMessage.h"
#include "trial/Texts.h"
#include "ui/MainWindow.h"
#include "ui/StoredLayout.h"

using namespace kavrel;

namespace {

// Generous: the sanitizer build on a loaded machine is many times slower than a plain run.
constexpr int Patience = 20000;

// Runs xdotool to its end; its output, or nothing when it failed.
std::optional<QString> Xdotool(const QStringList& arguments) {
    QProcess xdotool;
    xdotool.start("xdotool", arguments);
    if (!xdotool.waitForFinished(Patience) || xdotool.exitStatus() != QProcess::NormalExit ||
        xdotool.exitCode() != 0) {
        qWarning() << "xdotool" << arguments << "failed:" << xdotool.readAllStandardError();
        xdotool.kill();
        xdotool.waitForFinished();
        return std::nullopt;
    }
    return QString::fromUtf8(xdotool.readAllStandardOutput()).trimmed();
}

bool Focus(WId window) {
    return Xdotool({"windowfocus", "--sync", QString::number(window)}).has_value();
}

bool Type(const QString& text) {
    return Xdotool({"type", "--delay", "40", text}).has_value();
}

// No --sync: it waits for the pointer to move, which it never does when it is there already;
// the server handles the move before the click anyway.
bool ClickAt(QPoint global) {
    return Xdotool({"mousemove", QString::number(global.x()), QString::number(global.y()), "click",
                    "1"})
        .has_value();
}

// The letters of the trial in lower case, each moved on by `shift` places in the alphabet.
QString Answer(const TrialVariables& variables, int shift = 0) {
    QString answer;
    for (const std::string& letter : variables.TargetLetters) {
        answer += QLatin1Char(static_cast<char>('a' + (letter.at(0) - 'A' + shift) % 26));
    }
    return answer;
}

QRect StoredRect(const char* name) {
    for (const ControlSpec& spec : StoredControls) {
        if (std::strcmp(spec.name, name) == 0) {
            return spec.rect;
        }
    }
    return {};
}

// Asks the window to close the way a window manager does: WM_DELETE_WINDOW.
bool SendDeleteWindow([[maybe_unused]] WId window) {
#ifdef KAVREL_HAVE_XCB
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const auto atom = [connection](const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
        const xcb_atom_t found = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
        return found;
    };
    bool sent = false;
    if (xcb_connection_has_error(connection) == 0) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = static_cast<xcb_window_t>(window);
        event.type = atom("WM_PROTOCOLS");
        event.data.data32[0] = atom("WM_DELETE_WINDOW");
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(connection, 0, event.window, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&event));
        // Waits for a reply: the server can drop a request whose connection closes right after.
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
        sent = xcb_connection_has_error(connection) == 0;
    }
    xcb_disconnect(connection);
    return sent;
#else
    return false;
#endif
}

}  // namespace

class EndToEndTest : public QObject {
    Q_OBJECT

    ClockSeededRandom random_;
    std::unique_ptr<MainWindow> window_;
    int previewed_ = 0;

    const Trial& trial() const { return window_->trial(); }
    bool Presenting() const { return trial().form().Timer1.Enabled(); }
    bool Recalling() const { return trial().form().tmrCursor.Enabled(); }
    template <typename T>
    T* Child(const char* name) const {
        return window_->findChild<T*>(name);
    }
    QString Dui() const { return Child<QLineEdit>("dui")->text(); }
    bool ClickOption(const char* name) {
        // On the round indicator at the left, which is part of the button in every style.
        QRadioButton* option = Child<QRadioButton>(name);
        return ClickAt(option->mapToGlobal(QPoint(6, option->height() / 2)));
    }

    // Starts the program itself, gives its window the input focus (there is no window manager
    // to do it) and returns the window's id.
    std::optional<WId> StartProgram(QProcess& program) {
        window_.reset();
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(KAVREL_PROGRAM, QStringList{});
        if (!program.waitForStarted(Patience)) {
            return std::nullopt;
        }
        const std::optional<QString> found =
            Xdotool({"search", "--sync", "--onlyvisible", "--pid",
                     QString::number(program.processId()), "--name", "^ Kavrel$"});
        if (!found) {
            return std::nullopt;
        }
        const WId window = found->section('\n', 0, 0).toULongLong();
        return Focus(window) ? std::optional(window) : std::nullopt;
    }

    // Clicks the Exit button of the program's window, found from the window's geometry: the
    // client area fills the window below the menu bar.
    bool ClickExit(WId window) {
        const std::optional<QString> shell =
            Xdotool({"getwindowgeometry", "--shell", QString::number(window)});
        if (!shell) {
            return false;
        }
        QMap<QString, int> geometry;
        for (const QString& line : shell->split('\n')) {
            geometry[line.section('=', 0, 0)] = line.section('=', 1).toInt();
        }
        const QPoint client(geometry["X"],
                            geometry["Y"] + geometry["HEIGHT"] - StoredWindow.clientSize.height());
        return ClickAt(client + StoredRect("cmdExit").center());
    }

    void ExpectNormalExit(QProcess& program) {
        QVERIFY(program.waitForFinished(Patience));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
    }

private slots:
    void initTestCase() {
        QCOMPARE(QGuiApplication::platformName(), QString("xcb"));
        InstallFontSubstitutes();
        window_ = std::make_unique<MainWindow>(random_);
        connect(window_.get(), &MainWindow::helpRequested, window_.get(),
                [this] { ShowHelp(window_.get()); });
        connect(window_.get(), &MainWindow::keyPreviewed, this, [this] { ++previewed_; });
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        QVERIFY(Focus(window_->winId()));
        QTRY_VERIFY_WITH_TIMEOUT(window_->isActiveWindow(), Patience);
    }

    void keysBeforeTheFirstTrialAreIgnored() {
        const TrialVariables before = trial().variables();
        QVERIFY(Type("abz"));
        // No Space: the focused Start button would take it as a click.
        QVERIFY(Xdotool({"key", "BackSpace", "Escape", "5"}));
        QTRY_COMPARE_WITH_TIMEOUT(previewed_, 6, Patience);
        QCOMPARE(trial().variables(), before);
        QVERIFY(!Presenting() && !Recalling());
        QVERIFY(Child<QPushButton>("cmdStart")->isEnabled());
        QVERIFY(!window_->letterRow().Cell(0)->isVisible());
    }

    void rightAnswerStartsTheNextTrial() {
        QVERIFY(Xdotool({"key", "Return"}));
        QTRY_VERIFY_WITH_TIMEOUT(Presenting(), Patience);
        QTRY_VERIFY_WITH_TIMEOUT(Recalling(), Patience);
        QCOMPARE(trial().variables().TargetLetters.size(), 3u);
        // A slower display for the next trial, chosen while this one waits for its answer.
        QVERIFY(ClickOption("Option9"));
        QTRY_COMPARE_WITH_TIMEOUT(trial().form().Timer1.Interval(), Milliseconds{1500}, Patience);
        QVERIFY(Type(Answer(trial().variables())));
        QTRY_VERIFY_WITH_TIMEOUT(Dui() == "1" && Presenting(), Patience);
        QCOMPARE(trial().variables().CorrectCount, 1);
    }

    void keysDuringThePresentationAreIgnored() {
        QTRY_VERIFY_WITH_TIMEOUT(trial().variables().ShowIndex >= 1, Patience);
        const int previewed = previewed_;
        QVERIFY(Type("qwe"));
        QTRY_COMPARE_WITH_TIMEOUT(previewed_, previewed + 3, Patience);
        QVERIFY(Presenting());
        QCOMPARE(trial().variables().InputPos, 0);
        const QLabel* first = window_->letterRow().Cell(0);
        QVERIFY(first->isVisible());
        QCOMPARE(first->text().toStdString(), trial().variables().TargetLetters.at(0));
        // A quicker display, mid-presentation; still slow enough that the count change of the
        // next trial surely lands while its letters appear.
        QVERIFY(ClickOption("Option8"));
        QTRY_COMPARE_WITH_TIMEOUT(trial().form().Timer1.Interval(), Milliseconds{1000}, Patience);
    }

    void wrongAnswerShowsTheCorrectRowAndEnterStartsAgain() {
        QTRY_VERIFY_WITH_TIMEOUT(Recalling(), Patience);
        const TrialVariables shown = trial().variables();
        QVERIFY(Type(Answer(shown, 1)));
        QTRY_COMPARE_WITH_TIMEOUT(Child<QLineEdit>("cuo")->text(), QString("1"), Patience);
        QCOMPARE(Child<QLabel>("Label1")->text(), QString::fromUtf8(texts::WrongVerdict));
        for (int i = 0; i < 3; ++i) {
            const QLabel* cell = window_->correctRow().Cell(i);
            QVERIFY(cell != nullptr && cell->isVisible());
            QCOMPARE(cell->pos(), QPoint(20 + 70 * i, 220));
            QCOMPARE(cell->text().toStdString(), shown.TargetLetters[i]);
        }
        QVERIFY(!Presenting() && !Recalling());
        QTRY_VERIFY_WITH_TIMEOUT(Child<QPushButton>("cmdStart")->hasFocus(), Patience);

        QVERIFY(Xdotool({"key", "Return"}));
        QTRY_VERIFY_WITH_TIMEOUT(Presenting(), Patience);
        QVERIFY(!window_->correctRow().Cell(0)->isVisible());
        QCOMPARE(window_->correctRow().Cell(1), nullptr);
        QCOMPARE(Dui(), QString("1"));
    }

    void countChangedMidTrial() {
        // Four letters while the three-letter presentation runs: this trial shows four.
        QVERIFY(ClickOption("Option2"));
        QTRY_COMPARE_WITH_TIMEOUT(trial().variables().LetterCount, 4, Patience);
        QTRY_VERIFY_WITH_TIMEOUT(Recalling(), Patience);
        QCOMPARE(trial().variables().TargetLetters.size(), 4u);
        // Three during the recall: too late for this trial, it waits for the next.
        QVERIFY(ClickOption("Option1"));
        QTRY_VERIFY_WITH_TIMEOUT(trial().variables().PendingLetterCount == 3, Patience);
        QVERIFY(ClickOption("Option7"));
        QTRY_COMPARE_WITH_TIMEOUT(trial().form().Timer1.Interval(), Milliseconds{500}, Patience);
        QVERIFY(Type(Answer(trial().variables())));
        QTRY_COMPARE_WITH_TIMEOUT(Dui(), QString("2"), Patience);
        QCOMPARE(trial().variables().LetterCount, 3);
        QTRY_VERIFY_WITH_TIMEOUT(Recalling(), Patience);
        QCOMPARE(trial().variables().TargetLetters.size(), 3u);
    }

    void helpOpensAndCloses() {
        const TrialVariables before = trial().variables();
        QString title;
        QString text;
        bool closedByKey = false;
        // The box runs its own event loop, so it is closed from a timer inside that loop.
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || box->windowHandle() == nullptr ||
                !box->windowHandle()->isExposed()) {
                return;
            }
            closer.stop();
            title = box->windowTitle();
            text = box->text();
            closedByKey = Focus(box->winId()) && Xdotool({"key", "Return"});
            if (!closedByKey) {
                box->reject();
            }
        });
        closer.start(100);
        const QMenuBar* bar = window_->menuBar();
        QAction* help = window_->findChild<QAction*>(QString::fromUtf8(StoredWindow.menuItem));
        QVERIFY(ClickAt(bar->mapToGlobal(bar->actionGeometry(help).center())));
        QTRY_VERIFY_WITH_TIMEOUT(!title.isEmpty(), Patience);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeModalWidget(), nullptr, Patience);
        QVERIFY(closedByKey);
        QCOMPARE(title, window_->windowTitle());
        QCOMPARE(text, HelpPrompt());
        QCOMPARE(trial().variables(), before);

        // Type only once the X server has the window focused again after the box.
        QVERIFY(Focus(window_->winId()));
        QVERIFY(Type(Answer(trial().variables())));
        QTRY_COMPARE_WITH_TIMEOUT(Dui(), QString("3"), Patience);
    }

    void exitDuringThePresentation() {
        QProcess program;
        const std::optional<WId> window = StartProgram(program);
        QVERIFY(window);
        // The X server delivers both in order: the click lands right after the trial starts.
        QVERIFY(Xdotool({"key", "Return"}));
        QVERIFY(ClickExit(*window));
        ExpectNormalExit(program);
    }

    void exitDuringTheRecall() {
        QProcess program;
        const std::optional<WId> window = StartProgram(program);
        QVERIFY(window);
        QVERIFY(Xdotool({"key", "Return"}));
        // Another process's phase cannot be watched: three letters and the pause take 2 s, and
        // the recall then waits for as long as it takes.
        QTest::qWait(3000);
        QVERIFY(Type("k"));
        QVERIFY(ClickExit(*window));
        ExpectNormalExit(program);
    }

    void closingThroughTheXServer() {
#ifndef KAVREL_HAVE_XCB
        QSKIP("built without libxcb: nothing here can send WM_DELETE_WINDOW");
#endif
        QProcess program;
        const std::optional<WId> window = StartProgram(program);
        QVERIFY(window);
        QVERIFY(Xdotool({"key", "Return"}));
        QVERIFY(SendDeleteWindow(*window));
        ExpectNormalExit(program);
    }
};

QTEST_MAIN(EndToEndTest)
#include "e2e_test.moc"
