// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QGlyphRun>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRawFont>
#include <QSignalSpy>
#include <QStyleOption>
#include <QTextLayout>
#include <QWindow>
#include <QtTest>
#include <algorithm>
#include <optional>

#include "ManualClock.h"
#include "ScriptedLetters.h"
#include "app/Fonts.h"
#include "app/HelpMessage.h"
#include "app/Locale.h"
#include "app/Look.h"
#include "trial/Options.h"
#include "trial/Texts.h"
#include "ui/MainWindow.h"
#include "ui/StoredLayout.h"

using kavrel::MainWindow;
using kavrel::testing::ManualClock;
using kavrel::testing::ScriptedLetters;
using std::chrono::milliseconds;

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
    for (int i = 0; i < window.lblLetter().UpperBound(); ++i) {
        const QLabel* cell = window.lblLetter().Cell(i);
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

// The cells of the top row as the painted window shows them: "box" where a cell's box stands on
// the green, "bar" where the cursor's bar stands in it too, "-" where neither shows.
QString PaintedRow(const MainWindow& window, int cells) {
    const QImage client = window.clientArea()->grab().toImage();
    QString row;
    for (int i = 0; i < cells; ++i) {
        const QRect cell = CellRect(i, 100);
        const bool box =
            client.pixel(cell.right() - 2, cell.bottom() - 2) != kavrel::StoredWindow.background;
        const bool bar = qGray(client.pixel(22 + 70 * i, 125)) < 100;
        row += QString(i > 0 ? " " : "") + (bar ? "bar" : box ? "box" : "-");
    }
    return row;
}

// The text boxes that tell an input method they take composed text, as it asks before a key.
QStringList InputMethodTakers(const MainWindow& window) {
    QStringList takers;
    for (QLineEdit* box : window.clientArea()->findChildren<QLineEdit*>()) {
        QInputMethodQueryEvent query(Qt::ImEnabled);
        QApplication::sendEvent(box, &query);
        if (query.value(Qt::ImEnabled).toBool()) {
            takers << box->objectName();
        }
    }
    return takers;
}

// The layout as the design gives it, stated apart from the program's own table so that a slip in
// either fails: pixels of the client area or of the holding frame, fonts by face, points and
// weight, colours as RGB, the focus order, the selected buttons.
struct Designed {
    QString name;
    QString container;
    QRectF pixels;
    QString face;  // empty: the toolkit's default interface font, 9 pt Microsoft YaHei UI
    double points;
    bool bold;
    QColor text;        // what the control's text is drawn in
    QColor background;  // invalid where the control has no opaque background of its own
    bool takesFocus;
    bool selected;
};

// In focus order; labels and frames hold a place in it but never take the focus.
std::vector<Designed> DesignedLayout() {
    const QString client = "clientArea", times = "Times New Roman", fangSong = "仿宋_GB2312",
                  song = "宋体";
    const QColor black(0, 0, 0), white(255, 255, 255), purple(192, 0, 192), red(255, 0, 0),
        darkBlue(0, 0, 192), none;
    // clang-format off
    std::vector<Designed> layout{
        {"lblLetter",      client,   {16, 112, 50, 50},   times,    36,    false, purple,          white, false, false},
        {"cmdStart",       client,   {16, 304, 73, 25},   {},       9,     false, black,           none,  true,  false},
        {"Label1",         client,   {8, 72, 673, 19},    fangSong, 14.25, false, darkBlue,        none,  false, false},
        {"lblLetterWrong", client,   {16, 208, 50, 50},   times,    36,    false, red,             white, false, false},
        {"Label3",         client,   {8, 176, 673, 19},   fangSong, 14.25, false, darkBlue,        none,  false, false},
        {"cmdExit",        client,   {16, 336, 73, 25},   {},       9,     false, black,           none,  true,  false},
        {"Frame1",         client,   {96, 312, 185, 49},  {},       9,     false, black,           none,  false, false},
    };
    // Frame1's buttons: 28 x 16 2/3 px at a pitch of 28 2/3 px from 8 (430 twips from 120).
    for (int i = 0; i < 6; ++i) {
        layout.push_back({QString("Option%1").arg(i + 1), "Frame1",
                          QRectF((120 + 430 * i) / 15.0, 24, 28, 250 / 15.0), {}, 9, false, black, none,
                          true, i == 0});
    }
    layout.insert(layout.end(), {
        {"dui",            client,   {592, 232, 81, 37},  song,     26.25, false, black,           white, true,  false},
        {"cuo",            client,   {616, 312, 57, 37},  song,     26.25, false, black,           white, true,  false},
        {"Text1",          client,   {600, 200, 73, 25},  song,     12,    true,  black,           white, true,  false},
        {"Text2",          client,   {600, 280, 73, 25},  song,     12,    true,  black,           white, true,  false},
        {"Text3",          client,   {16, 8, 265, 43},    "隶书",   26.25, true,  QColor(0, 0, 255), white, true,  false},
        {"Frame2",         client,   {320, 312, 217, 49}, {},       9,     false, black,           none,  false, false},
        {"Option7",        "Frame2", {16, 16, 65, 25},    {},       9,     false, black,           none,  true,  true},
        {"Option8",        "Frame2", {88, 16, 49, 25},    {},       9,     false, black,           none,  true,  false},
        {"Option9",        "Frame2", {152, 16, 65, 25},   {},       9,     false, black,           none,  true,  false},
        {"Text4",          client,   {344, 32, 161, 18},  {},       9,     false, black,           white, true,  false},
        {"linCursor",      client,   {24, 120, 2, 40},    {},       9,     false, black,           black, false, false},
    });
    // clang-format on
    return layout;
}

// One line that says everything the design fixes about a control.
QString Describe(const QString& name, const QString& container, QRect rect, const QString& face,
                 int pixels, bool bold, QColor text, QColor background, bool takesFocus,
                 bool selected) {
    QString line;
    QDebug(&line).nospace() << name << " in " << container << " at " << rect << ", " << face << " "
                            << pixels << " px" << (bold ? " bold" : "") << ", " << text.name()
                            << " on " << (background.isValid() ? background.name() : "nothing")
                            << (takesFocus ? ", takes the focus" : ", never focused")
                            << (selected ? ", selected" : "");
    return line;
}

QString Describe(const Designed& designed) {
    // Points at 96 dpi.
    return Describe(designed.name, designed.container, designed.pixels.toRect(),
                    designed.face.isEmpty() ? "Microsoft YaHei UI" : designed.face,
                    qRound(designed.points * 96 / 72), designed.bold, designed.text,
                    designed.background, designed.takesFocus, designed.selected);
}

QString Describe(const QWidget& widget) {
    const QPalette& palette = widget.palette();
    const bool opaque = widget.autoFillBackground() || qobject_cast<const QLineEdit*>(&widget);
    const auto* option = qobject_cast<const QRadioButton*>(&widget);
    return Describe(widget.objectName(), widget.parentWidget()->objectName(), widget.geometry(),
                    widget.font().family(), widget.font().pixelSize(), widget.font().bold(),
                    palette.color(widget.foregroundRole()),
                    opaque ? palette.color(widget.backgroundRole()) : QColor(),
                    (widget.focusPolicy() & Qt::TabFocus) != 0,
                    option != nullptr && option->isChecked());
}

// The controls Tab reaches, in the order of the focus chain from Start.
QStringList FocusChain(const MainWindow& window) {
    QWidget* start = Find(window, "cmdStart");
    QStringList chain;
    QWidget* widget = start;
    do {
        if ((widget->focusPolicy() & Qt::TabFocus) && !widget->objectName().isEmpty()) {
            chain << widget->objectName();
        }
        widget = widget->nextInFocusChain();
    } while (widget != start);
    return chain;
}

// Every caption whose ink does not fit the room its control's style gives it: a button's or
// option button's text past its contents, a text box's past its text area (where it may have
// scrolled), a line's past its width, a frame's title reaching down onto its buttons.
QStringList ClippedCaptions(const MainWindow& window, const QStringList& lineTexts) {
    QStringList clipped;
    // The caption's ink when its text starts at x on the baseline.
    const auto ink = [](const QWidget* control, const QString& text, int x, int baseline) {
        return control->fontMetrics().tightBoundingRect(text).translated(x, baseline);
    };
    const auto check = [&clipped](const QWidget* control, const QString& text, QRect ink,
                                  QRect room) {
        if (!room.contains(ink)) {
            QDebug(&clipped.emplace_back())
                << control->objectName() << text << "inks" << ink << "in" << room;
        }
    };
    // Only the width counts for a one-line caption in a room of its own.
    const auto across = [](QRect ink, QRect room) {
        return QRect(ink.left(), room.top(), ink.width(), room.height());
    };
    const auto centred = [](const QWidget* control, const QString& text, QRect room) {
        return room.left() + (room.width() - control->fontMetrics().horizontalAdvance(text)) / 2;
    };
    for (QWidget* control : window.clientArea()->findChildren<QWidget*>()) {
        const QStyle* style = control->style();
        const QFontMetrics metrics = control->fontMetrics();
        if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            const bool radio = qobject_cast<const QRadioButton*>(button) != nullptr;
            const QRect room = style->subElementRect(
                radio ? QStyle::SE_RadioButtonContents : QStyle::SE_PushButtonContents, &option,
                button);
            const int x = radio ? room.left() : centred(button, option.text, room);
            check(button, option.text, across(ink(button, option.text, x, 0), room), room);
        } else if (auto* box = qobject_cast<QLineEdit*>(control)) {
            QStyleOptionFrame option;
            option.initFrom(box);
            option.lineWidth = style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box);
            const QRect room = style->subElementRect(QStyle::SE_LineEditContents, &option, box);
            // A text box too narrow for its text scrolls it to keep the cursor in view; where
            // the cursor stands after painting tells where the text starts.
            box->repaint();
            const int cursor = box->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
            const int x =
                cursor - metrics.horizontalAdvance(box->text().left(box->cursorPosition()));
            check(box, box->text(), across(ink(box, box->text(), x, 0), room), room);
        } else if (const auto* frame = qobject_cast<const QGroupBox*>(control)) {
            QStyleOptionGroupBox option;
            option.initFrom(frame);
            option.text = frame->title();
            option.lineWidth = 1;
            option.textAlignment = frame->alignment();
            option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
            const QRect title = style->subControlRect(QStyle::CC_GroupBox, &option,
                                                      QStyle::SC_GroupBoxLabel, frame);
            int buttonsTop = frame->height();
            for (const QWidget* button : frame->findChildren<QWidget*>()) {
                buttonsTop = std::min(buttonsTop, button->y());
            }
            const int baseline =
                title.top() + (title.height() - metrics.height()) / 2 + metrics.ascent();
            check(frame, option.text, ink(frame, option.text, title.left(), baseline),
                  QRect(0, 0, frame->width(), buttonsTop));
        } else if (const auto* label = qobject_cast<const QLabel*>(control)) {
            // The two lines show the system's messages, left-aligned; a letter cell one of A to
            // Z, centred.
            const QRect room = label->contentsRect();
            const QStringList texts =
                label->wordWrap()
                    ? lineTexts
                    : QString("ABCDEFGHIJKLMNOPQRSTUVWXYZ").split("", Qt::SkipEmptyParts);
            for (const QString& text : texts) {
                const int x = label->wordWrap() ? room.left() : centred(label, text, room);
                check(label, text, across(ink(label, text, x, 0), room), room);
            }
        }
    }
    return clipped;
}

// Run a second time as on a dark desktop with a large font in another style: what a platform
// theme hands every program, app-wide and per kind of control.
bool OnADarkDesktop() {
    return qEnvironmentVariable("KAVREL_TEST_DESKTOP") == "dark, 14 pt";
}

void HandOutTheDarkDesktop() {
    QFont font = QApplication::font();
    font.setPointSize(14);
    font.setItalic(true);
    const QPalette dark(QColor(53, 53, 53));
    QApplication::setStyle(QStringLiteral("windows"));
    QApplication::setFont(font);
    QApplication::setPalette(dark);
    for (const char* kind : {"QPushButton", "QRadioButton", "QGroupBox", "QLineEdit", "QMenuBar",
                             "QMessageBox", "QLabel"}) {
        QApplication::setFont(font, kind);
        QApplication::setPalette(dark, kind);
    }
}
}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

    // Each test gets a fresh window, shown and active, drawing its letters from letters_, on
    // the time of clock_.
    std::optional<ScriptedLetters> letters_;
    std::optional<ManualClock> clock_;
    std::optional<MainWindow> window_;

private slots:
    void initTestCase() {
        if (OnADarkDesktop()) {
            HandOutTheDarkDesktop();
        }
        kavrel::UseFixedLook();
        kavrel::InstallFontSubstitutes();
        kavrel::UseChineseLocale();
    }

    void init() {
        letters_.emplace();
        clock_.emplace();
        window_.emplace(*letters_, *clock_);
        window_->show();
        QVERIFY(QTest::qWaitForWindowActive(&*window_));
        if (OnADarkDesktop()) {
            // Once more with the window up, as qt6ct applies its settings once the event loop
            // runs.
            HandOutTheDarkDesktop();
            QCoreApplication::sendPostedEvents();
        }
    }

    void cleanup() {
        window_.reset();
        clock_.reset();
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

        QVERIFY(!window.lblLetter().Cell(0)->isVisible());
        QVERIFY(!window.lblLetterWrong().Cell(0)->isVisible());
        QCOMPARE(window.lblLetter().UpperBound(), 1);
        QCOMPARE(window.lblLetterWrong().UpperBound(), 1);
        QVERIFY(!Find(window, "linCursor")->isVisible());
        QCOMPARE(window.trial().NextDue(), std::nullopt);
        QCOMPARE(window.trial().variables().LetterCount, 3);
        QCOMPARE(window.trial().variables().InputPos, 0);
        QCOMPARE(window.trial().form().Timer1.Interval(), kavrel::Milliseconds{500});
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
        // Painted, not only set: a free spot right of the letter row.
        QCOMPARE(window.grab().toImage().pixelColor(client->mapTo(&window, QPoint(600, 100))),
                 QColor(128, 255, 128));

        const std::vector<Designed> layout = DesignedLayout();
        for (const Designed& designed : layout) {
            const QWidget* widget = Find(window, qPrintable(designed.name));
            QVERIFY2(widget != nullptr, qPrintable(designed.name));
            QCOMPARE(Describe(*widget), Describe(designed));
        }
        QStringList designedOrder;
        for (const Designed& designed : layout) {
            if (designed.takesFocus) {
                designedOrder << designed.name;
            }
        }
        QCOMPARE(FocusChain(window), designedOrder);

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
                stack.indexOf(window.lblLetter().Cell(0)));

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

    void everyCaptionFitsItsControl() {
        QStringList lineTexts;
        for (const char* message :
             {kavrel::texts::StartInstruction, kavrel::texts::RecallInstruction,
              kavrel::texts::CorrectVerdict, kavrel::texts::WrongVerdict,
              kavrel::texts::CorrectSequenceHeading}) {
            lineTexts << Text(message);
        }
        QCOMPARE(ClippedCaptions(*window_, lineTexts).join("; "), QString());
        QCOMPARE(window_->style()->name(), QStringLiteral("fusion"));
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
        // Parked on the instruction, where a stray Space cannot reach Exit and a screen reader
        // says what to do.
        QCOMPARE(QApplication::focusWidget(), Find(window, "Label1"));
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
            // As the user reads it: a number of letters, or a display time in seconds.
            const QString caption = option->text();
            if (caption.endsWith(QStringLiteral("秒"))) {
                QCOMPARE(window.trial().form().Timer1.Interval().count(),
                         qRound(caption.chopped(1).toDouble() * 1000));
            } else {
                QCOMPARE(window.trial().variables().LetterCount, caption.toInt());
            }
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
        texts.append({"ABCDEFGHIJKLMNOPQRSTUVWXYZ", window.lblLetter().Cell(0)->font()});
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
            {"cmdStart", "开始退出", kavrel::faces::Interface.standIn},  // the default font
            {"lblLetter", "KAVREL", kavrel::faces::TimesNewRoman.standIn},
            {"Text1", "正确次数", kavrel::faces::Song.standIn},
            {"Label1", "点击开始", kavrel::faces::FangSong.standIn},
            {"Text3", "程序", kavrel::faces::Li.standIn},
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

    void aCorrectTrialRunsThroughAndChainsIntoTheNext() {
        MainWindow& window = *window_;
        letters_->Append("KPBX");
        QStringList phases;
        connect(&window, &MainWindow::formShown, [&] {
            if (phases.isEmpty() || phases.last() != Phase(window)) {
                phases << Phase(window);
            }
        });
        QTest::mouseClick(Find(window, "cmdStart"), Qt::LeftButton);
        clock_->Advance(milliseconds{1999});
        QVERIFY(Phase(window) != "recall/3");
        clock_->Advance(milliseconds{1});
        QCOMPARE(Phase(window), QString("recall/3"));
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(window.lblLetter().Cell(i)->geometry(), CellRect(i, 100));
            QCOMPARE(window.lblLetter().Cell(i)->text(), QString());
        }

        QTest::keyClick(window.windowHandle(), Qt::Key_K);
        QCOMPARE(window.lblLetter().Cell(0)->text(), QStringLiteral("K"));
        QCOMPARE(Find(window, "linCursor")->geometry(), QRect(92, 110, 2, 30));
        Type(window, "pb");
        QCOMPARE(Find<QLineEdit>(window, "dui")->text(), QStringLiteral("1"));
        QVERIFY(!Find(window, "cmdStart")->isEnabled());
        QVERIFY(!Find(window, "linCursor")->isVisible());
        QCOMPARE(window.lblLetter().UpperBound(), 1);
        clock_->Advance(milliseconds{500});
        QVERIFY(window.lblLetter().Cell(0)->isVisible());
        QCOMPARE(window.lblLetter().Cell(0)->text(), QStringLiteral("X"));
        QCOMPARE(phases, (QStringList{"start/0", "start/1", "start/2", "start/3", "recall/3",
                                      "correct/0", "correct/1"}));
    }

    void aWrongTrialShowsTheCorrectRowInRedAndEnterStartsTheNext() {
        MainWindow& window = *window_;
        letters_->Append("KPBXZQRSTU");
        QTest::mouseClick(Find(window, "Option3"), Qt::LeftButton);
        const QStringList textBoxes = InputMethodTakers(window);
        QCOMPARE(textBoxes.size(), 6);
        QTest::mouseClick(Find(window, "cmdStart"), Qt::LeftButton);
        // From Start until the verdict every letter is the trial's, not an input method's.
        QCOMPARE(InputMethodTakers(window), QStringList());
        QSignalSpy previewed(&window, &MainWindow::keyPreviewed);
        Type(window, "kp");
        QCOMPARE(previewed.size(), 2);
        QVERIFY(window.trial().variables().TypedLetters.empty());
        clock_->Advance(milliseconds{3000});
        QCOMPARE(Phase(window), QString("recall/5"));

        // The answer goes in through whichever control has the focus; the box keeps its typing.
        auto* box = Find<QLineEdit>(window, "Text4");
        box->setFocus();
        QWidget* cursor = Find(window, "linCursor");
        QCOMPARE(cursor->geometry(), QRect(22, 110, 2, 30));
        QCOMPARE(PaintedRow(window, 6), QString("bar box box box box -"));
        const QStringList painted{"box bar box box box", "box box bar box box",
                                  "box box box bar box", "box box box box bar"};
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(window.windowHandle(), "kpbx"[i]);
            QCOMPARE(cursor->geometry(), QRect(22 + 70 * (i + 1), 110, 2, 30));
            QCOMPARE(PaintedRow(window, 5), painted[i]);
        }
        QTest::keyClick(window.windowHandle(), Qt::Key_Backspace);
        QCOMPARE(cursor->geometry(), QRect(232, 110, 2, 30));
        QCOMPARE(window.lblLetter().Cell(3)->text(), QString());
        Type(window, "XA");
        QVERIFY(box->text().endsWith("kpbXA"));

        QCOMPARE(Find<QLabel>(window, "Label1")->text(), Text(kavrel::texts::WrongVerdict));
        QCOMPARE(Find<QLabel>(window, "Label3")->text(),
                 Text(kavrel::texts::CorrectSequenceHeading));
        QCOMPARE(Find<QLineEdit>(window, "cuo")->text(), QStringLiteral("1"));
        QVERIFY(!cursor->isVisible());
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(window.lblLetter().Cell(i)->text(), QString("KPBXA"[i]));
            const QLabel* red = window.lblLetterWrong().Cell(i);
            QVERIFY(red->isVisible());
            QCOMPARE(red->geometry(), CellRect(i, 220));
            QCOMPARE(red->text(), QString("KPBXZ"[i]));
            QCOMPARE(red->palette().color(red->foregroundRole()), QColor(255, 0, 0));
        }
        auto* start = Find<QPushButton>(window, "cmdStart");
        QVERIFY(start->isEnabled());
        QCOMPARE(QApplication::focusWidget(), start);
        QCOMPARE(InputMethodTakers(window), textBoxes);

        QSignalSpy clicks(start, &QPushButton::clicked);
        QTest::keyClick(window.windowHandle(), Qt::Key_Return);
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(window.lblLetterWrong().UpperBound(), 1);
        QCOMPARE(window.lblLetter().UpperBound(), 1);
        QVERIFY(!window.lblLetterWrong().Cell(0)->isVisible());
        QCOMPARE(Find<QLabel>(window, "Label3")->text(), QString());
        QCOMPARE(window.trial().variables().TargetLetters, std::vector<std::string>{"Q"});
        QCOMPARE(Find<QLineEdit>(window, "cuo")->text(), QStringLiteral("1"));

        // A window can be active with no control focused: the key that completes the next wrong
        // answer then hands the focus to Start and goes on to nothing else.
        clock_->Advance(milliseconds{3000});
        QCOMPARE(Phase(window), QString("recall/5"));
        Type(window, "qrst");
        QApplication::focusWidget()->clearFocus();
        QCOMPARE(QApplication::focusWidget(), nullptr);
        Type(window, "x");
        QCOMPARE(Find<QLineEdit>(window, "cuo")->text(), QStringLiteral("2"));
        QCOMPARE(QApplication::focusWidget(), Find(window, "cmdStart"));
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
        clock_->Advance(milliseconds{700});  // past the first letter's tick
        QVERIFY(window.trial().form() == form);
        QCOMPARE(window.trial().variables().ShowIndex, 0);
        QCOMPARE(shown.size(), 0);
        QCOMPARE(previewed.size(), 0);
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
