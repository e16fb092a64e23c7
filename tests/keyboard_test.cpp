// SPDX-License-Identifier: GPL-3.0-or-later
// Kavrel without a mouse, and what it tells assistive technology.
#include <QAccessible>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QRadioButton>
#include <QtTest>

#include "ManualClock.h"
#include "ScriptedLetters.h"
#include "app/Fonts.h"
#include "app/HelpMessage.h"
#include "ui/MainWindow.h"
#include "ui/StoredLayout.h"

using namespace kavrel;

namespace {

QString AccessibleName(QObject* object) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(object);
    return accessible != nullptr ? accessible->text(QAccessible::Name) : QString("(none)");
}

// What a screen reader says while it lives: the name of each object that receives the focus
// and, where Qt has them, the announcements. (Qt 6.4 hands no accessibility event to an update
// handler without a platform bridge, so the focus is followed through the application.)
class Listener {
public:
    Listener() {
        listening_ = this;
        QObject::connect(qApp, &QApplication::focusChanged, &context_,
                         [this](QWidget*, QWidget* now) {
                             const QString name = AccessibleName(now);
                             said_ << name;
                             if (name.isEmpty()) {
                                 nameless_ << now->objectName();
                             }
                         });
        QAccessible::installUpdateHandler(&Listener::Update);
    }
    ~Listener() {
        QAccessible::installUpdateHandler(nullptr);
        listening_ = nullptr;
    }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    QString Heard() const { return said_.join(' '); }
    // The objects that took the focus without a name to say.
    const QStringList& Nameless() const { return nameless_; }

private:
    static void Update([[maybe_unused]] QAccessibleEvent* event) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        if (event->type() == QAccessible::Announcement) {
            listening_->said_ << static_cast<QAccessibleAnnouncementEvent*>(event)->message();
        }
#endif
    }

    static inline Listener* listening_ = nullptr;
    QObject context_;
    QStringList said_;
    QStringList nameless_;
};

}  // namespace

class KeyboardTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InstallFontSubstitutes(); }

    void init() {
        letters_ = std::make_unique<testing::ScriptedLetters>("KPBXZ");
        clock_ = std::make_unique<testing::ManualClock>();
        window_ = std::make_unique<MainWindow>(*letters_, *clock_);
        connect(window_.get(), &MainWindow::helpRequested, window_.get(),
                [this] { ShowHelp(window_.get()); });
        window_->show();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }

    void cleanup() { window_.reset(); }

    // Option buttons take the focus once per group, on the selected one.
    void tabFollowsTheStoredFocusOrder() {
        const QStringList expected{"cmdExit", "Option1", "dui",     "cuo",   "Text1",
                                   "Text2",   "Text3",   "Option7", "Text4", "cmdStart"};
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("cmdStart"));
        QStringList visited;
        for (int i = 0; i < expected.size(); ++i) {
            QTest::keyClick(window_->windowHandle(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, expected);
    }

    void arrowKeysSelectTheOptionButtons() {
        auto* option1 = window_->findChild<QRadioButton*>("Option1");
        option1->setFocus();
        QTest::keyClick(window_->windowHandle(), Qt::Key_Right);
        QTest::keyClick(window_->windowHandle(), Qt::Key_Right);
        QVERIFY(window_->findChild<QRadioButton*>("Option3")->isChecked());
        QCOMPARE(window_->trial().variables().LetterCount, 5);

        window_->findChild<QRadioButton*>("Option7")->setFocus();
        QTest::keyClick(window_->windowHandle(), Qt::Key_Right);
        QCOMPARE(window_->trial().form().Timer1.Interval(), std::chrono::milliseconds{1000});
    }

    void keysHeldWithCtrlOrAltAreCommandsNotCharacters() {
        QSignalSpy previewed(window_.get(), &MainWindow::keyPreviewed);
        QTest::keyClick(window_->windowHandle(), Qt::Key_K, Qt::ControlModifier);
        QTest::keyClick(window_->windowHandle(), Qt::Key_K, Qt::AltModifier);
        QCOMPARE(previewed.size(), 0);
        QTest::keyClick(window_->windowHandle(), Qt::Key_K, Qt::ShiftModifier);
        QCOMPARE(previewed.size(), 1);
    }

    // Alt puts the focus on the menu bar, as Qt's own styles allow.
    void altThenEnterOpensHelp() {
        bool shown = false;
        QTimer::singleShot(0, this, [&] { CloseHelpWhenShown(shown, Qt::Key_Return); });
        QTest::keyClick(window_->windowHandle(), Qt::Key_Alt);
        QTest::keyClick(window_->windowHandle(), Qt::Key_Return);
        QTRY_VERIFY(shown);
    }

    void helpClosedFromTheKeyboardLeavesEnterOnStart_data() {
        QTest::addColumn<Qt::Key>("closingKey");
        QTest::newRow("Enter") << Qt::Key_Return;
        QTest::newRow("Esc") << Qt::Key_Escape;
    }

    void helpClosedFromTheKeyboardLeavesEnterOnStart() {
        QFETCH(Qt::Key, closingKey);
        bool shown = false;
        QTimer::singleShot(0, this, [&] { CloseHelpWhenShown(shown, closingKey); });
        QTest::keyClick(window_->windowHandle(), Qt::Key_Alt);
        QTest::keyClick(window_->windowHandle(), Qt::Key_Return);
        QTRY_VERIFY(shown);
        QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);

        QTRY_COMPARE(QApplication::focusWidget(), window_->findChild<QWidget*>("cmdStart"));
        QTest::keyClick(window_->windowHandle(), Qt::Key_Return);
        QVERIFY(window_->trial().form().Timer1.Enabled());
    }

    void everyControlHasAnAccessibleName() {
        QWidget* client = window_->clientArea();
        for (const ControlSpec& spec : StoredControls) {
            // Label3 is empty until a wrong answer gives it a heading to say.
            if (std::string_view(spec.name) != "Label3") {
                QVERIFY2(!AccessibleName(client->findChild<QWidget*>(spec.name)).isEmpty(),
                         spec.name);
            }
        }
        QCOMPARE(AccessibleName(client->findChild<QWidget*>("dui")), QString("正确次数"));
        QCOMPARE(AccessibleName(client->findChild<QWidget*>("cuo")), QString("错误次数"));
        QCOMPARE(AccessibleName(client->findChild<QWidget*>("Text1")), QString("正确次数"));
        QCOMPARE(AccessibleName(client->findChild<QWidget*>("linCursor")), QString("输入光标"));
        QCOMPARE(AccessibleName(client->findChild<QWidget*>("cmdStart")), QString("开  始"));
        QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(window_->menuBar());
        QCOMPARE(menu->child(0)->text(QAccessible::Name), QString("帮助"));
    }

    void letterCellsAnnounceTheirLetters() {
        window_->findChild<QWidget*>("cmdStart")->setFocus();
        QTest::keyClick(window_->windowHandle(), Qt::Key_Space);
        clock_->Advance(std::chrono::milliseconds{1500});
        QVERIFY(window_->trial().form().Timer2.Enabled());
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(AccessibleName(window_->lblLetter().Cell(i)), QString("KPB"[i]));
        }
    }

    // A right answer, then a wrong one with a letter taken back, as a screen reader hears them.
    void aScreenReaderHearsEachStepOfATrial() {
        letters_->Append("Q");
        Listener listener;
        QTest::keyClick(window_->windowHandle(), Qt::Key_Return);
        for (const char* typed : {"kpb", "x\bxzk"}) {
            clock_->Advance(std::chrono::milliseconds{2000});
            QVERIFY(window_->trial().form().tmrCursor.Enabled());
            for (const char* key = typed; *key != '\0'; ++key) {
                QTest::keyClick(window_->windowHandle(), *key);
            }
        }

        const QString heard = listener.Heard();
        QCOMPARE(heard, QStringLiteral(
                            "点击“开始”，记住显示的每个字母 K P B "
                            "凭记忆，依次输入刚才显示的字母 K P "
                            "输入正确，继续下一步测试 正确次数 1 X Z Q "
                            "凭记忆，依次输入刚才显示的字母 X 凭记忆，依次输入刚才显示的字母 X Z "
                            "开  始 输入错误，回车重新进行当前步测试 "
                            "正确的字母序列应为： X Z Q 错误次数 1"));
        QCOMPARE(listener.Nameless(), QStringList());
    }

private:
    void CloseHelpWhenShown(bool& shown, Qt::Key closingKey) {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text() == HelpPrompt();
            QTest::keyClick(box, closingKey);
            return;
        }
        QTimer::singleShot(10, this,
                           [this, &shown, closingKey] { CloseHelpWhenShown(shown, closingKey); });
    }

    std::unique_ptr<testing::ScriptedLetters> letters_;
    std::unique_ptr<testing::ManualClock> clock_;
    std::unique_ptr<MainWindow> window_;
};

QTEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"
