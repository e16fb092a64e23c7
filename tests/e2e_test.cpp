// SPDX-License-Identifier: GPL-3.0-or-later
// The window on a real X server, driven as a person would: real X key presses and mouse clicks
// from xdotool. Run through tests/xvfb-run.sh, which provides the private server.
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QThread>
#include <QtTest>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <numeric>
#include <optional>
#include <vector>

#include <signal.h>
#include <xcb/xcb.h>

#include "app/Fonts.h"
#include "app/HelpMessage.h"
#include "trial/Texts.h"
#include "ui/MainWindow.h"
#include "ui/SteadyClock.h"
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

// The test's own connection to the X server, to see what another client shows and to speak to
// it the way a window manager does.
class XConnection {
public:
    XConnection() : connection_(xcb_connect(nullptr, nullptr)) {}
    ~XConnection() { xcb_disconnect(connection_); }
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;

    bool Connected() const { return xcb_connection_has_error(connection_) == 0; }
    xcb_window_t Root() const {
        return xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    }

    xcb_atom_t Atom(const char* name) const {
        const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, std::strlen(name), name), nullptr));
        return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }

    // A property of 32-bit items: cardinals, atoms or window ids; empty where it is not set.
    std::vector<std::uint32_t> Property(xcb_window_t window, const char* name) const {
        const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            connection_,
            xcb_get_property(connection_, 0, window, Atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 64),
            nullptr));
        if (!reply || reply->format != 32) {
            return {};
        }
        const auto* items = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
        return {items, items + xcb_get_property_value_length(reply.get()) / 4};
    }

    // The window's inside, in screen coordinates.
    QRect Geometry(xcb_window_t window) const {
        const Reply<xcb_get_geometry_reply_t> size(
            xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr));
        const Reply<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
            connection_, xcb_translate_coordinates(connection_, window, Root(), 0, 0), nullptr));
        return size && origin ? QRect(origin->dst_x, origin->dst_y, size->width, size->height)
                              : QRect();
    }

    // What the screen shows of a part of the window, as the X server has it.
    QImage Grab(xcb_window_t window, QRect part) const {
        const Reply<xcb_get_image_reply_t> reply(
            xcb_get_image_reply(connection_,
                                xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window,
                                              part.x(), part.y(), part.width(), part.height(), ~0u),
                                nullptr));
        if (!reply || reply->depth != 24) {
            return {};
        }
        return QImage(xcb_get_image_data(reply.get()), part.width(), part.height(),
                      QImage::Format_RGB32)
            .copy();
    }

    // A client message about `window`, sent to `target` (the window itself, or the root for
    // the window manager).
    bool Send(xcb_window_t target, xcb_window_t window, const char* type,
              std::array<std::uint32_t, 5> data, std::uint32_t mask) const {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = Atom(type);
        std::copy(data.begin(), data.end(), event.data.data32);
        xcb_send_event(connection_, 0, target, mask, reinterpret_cast<const char*>(&event));
        // Waits for a reply: the server can drop a request whose connection closes right after.
        std::free(
            xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
        return Connected();
    }

private:
    template <typename T>
    struct FreeReply {
        void operator()(T* reply) const { std::free(reply); }
    };
    template <typename T>
    using Reply = std::unique_ptr<T, FreeReply<T>>;

    xcb_connection_t* connection_;
};

// The eight cells of the letter row as the screen shows them: which are on (their white box
// stands on the green window) and which hold ink (a letter, or the cursor).
struct LetterRow {
    std::array<bool, 8> on{};
    std::array<bool, 8> inked{};

    static constexpr QRect Area{20, 100, 540, 50};  // of the client area

    explicit LetterRow(const QImage& area) {
        for (int i = 0; i < 8 && !area.isNull(); ++i) {
            on[i] = qRed(area.pixel(70 * i + 2, 47)) > 200;
            for (int y = 0; y < 50 && !inked[i]; ++y) {
                for (int x = 70 * i; x < 70 * i + 50 && !inked[i]; ++x) {
                    inked[i] = qGreen(area.pixel(x, y)) < 200;
                }
            }
        }
    }

    // The recall: the first `count` cells on, emptied of their letters (the first may hold the
    // cursor).
    bool Blanked(int count) const {
        return std::all_of(on.begin(), on.begin() + count, [](bool b) { return b; }) &&
               std::none_of(inked.begin() + 1, inked.begin() + count, [](bool b) { return b; });
    }
};

// What a letter cell shows, as the green of each pixel: the purple of the letter row and the red
// of the correct row both lack green, so one letter leaves the same trace in either.
using Glyph = std::vector<int>;

Glyph GlyphIn(const QImage& row, int cell) {
    Glyph glyph;
    for (int y = 0; y < 50 && !row.isNull(); ++y) {
        for (int x = 70 * cell; x < 70 * cell + 50; ++x) {
            glyph.push_back(qGreen(row.pixel(x, y)));
        }
    }
    return glyph;
}

// Whether a part of the screen holds ink: a pixel with less green than the white of a cell or a
// box, and the window's own green.
bool Inked(const QImage& part) {
    for (int y = 0; y < part.height(); ++y) {
        for (int x = 0; x < part.width(); ++x) {
            if (qGreen(part.pixel(x, y)) < 200) {
                return true;
            }
        }
    }
    return false;
}

// The letters as the program draws them, learnt by typing each into the first cell and taking it
// back: whatever faces and renderer the program has, a shown letter then reads by its likeness.
using Alphabet = std::map<QChar, Glyph>;

QChar Read(const Alphabet& alphabet, const Glyph& glyph) {
    const auto distance = [&glyph](const Glyph& other) {
        long sum = 0;
        for (std::size_t i = 0; i < glyph.size() && i < other.size(); ++i) {
            sum += std::abs(glyph[i] - other[i]);
        }
        return sum;
    };
    const auto nearest = std::min_element(alphabet.begin(), alphabet.end(), [&](auto& a, auto& b) {
        return distance(a.second) < distance(b.second);
    });
    return nearest == alphabet.end() ? QChar() : nearest->first;
}

// Where a part of the screen holds black text: grey darker than a frame's, no colour of an icon
// or a focus frame.
QRect InkBounds(const QImage& image, QRect area) {
    QRect bounds;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (qGray(pixel.rgb()) < 160 && pixel.hsvSaturation() < 64) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds;
}

// The lines of text in a part of the screen, top to bottom, each as the bounds of its ink.
QList<QRect> TextLines(const QImage& image, QRect area) {
    QList<QRect> lines;
    int top = -1;
    for (int y = area.top(); y <= area.bottom() + 1; ++y) {
        const bool inked = y <= area.bottom() &&
                           InkBounds(image, QRect(area.left(), y, area.width(), 1)).isValid();
        if (inked && top < 0) {
            top = y;
        } else if (!inked && top >= 0) {
            lines << InkBounds(image, QRect(area.left(), top, area.width(), y - top));
            top = -1;
        }
    }
    return lines;
}

// A text as the free interface face draws it at a pixel size, cut to its ink.
QImage Drawn(const QString& text, int pixelSize) {
    QFont font(QString::fromUtf8(faces::Interface.standIn));
    font.setPixelSize(pixelSize);
    QImage image(pixelSize * (text.size() + 2), pixelSize * 3, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(pixelSize, pixelSize * 2, text);
    painter.end();
    return image.copy(InkBounds(image, image.rect()));
}

// How alike two pictures of text are, from 1 down: the correlation of their ink, both brought to
// half the size of the second, which evens out how two renderers place a glyph's edge.
double Likeness(const QImage& seen, const QImage& drawn) {
    const QSize size = drawn.size() / 2;
    const QImage a = seen.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage b = drawn.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    std::vector<double> inkA, inkB;
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            inkA.push_back(255 - qGray(a.pixel(x, y)));
            inkB.push_back(255 - qGray(b.pixel(x, y)));
        }
    }
    const double meanA = std::accumulate(inkA.begin(), inkA.end(), 0.0) / inkA.size();
    const double meanB = std::accumulate(inkB.begin(), inkB.end(), 0.0) / inkB.size();
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < inkA.size(); ++i) {
        ab += (inkA[i] - meanA) * (inkB[i] - meanB);
        aa += (inkA[i] - meanA) * (inkA[i] - meanA);
        bb += (inkB[i] - meanB) * (inkB[i] - meanB);
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

// Which of the texts a line of the screen shows: the one it is most like, if it is clearly like it.
QString ReadLine(const QImage& line, const QStringList& texts, int pixelSize) {
    QString best;
    double bestLikeness = 0.7;
    for (const QString& text : texts) {
        const double likeness = Likeness(line, Drawn(text, pixelSize));
        if (likeness > bestLikeness) {
            best = text;
            bestLikeness = likeness;
        }
    }
    return best;
}

}  // namespace

// The program the out-of-process cases start: this build's, or another given as a command line
// (the Windows build under Wine).
QString ProgramUnderTest() {
    return qEnvironmentVariable("KAVREL_E2E_PROGRAM", KAVREL_PROGRAM);
}

class EndToEndTest : public QObject {
    Q_OBJECT

    ClockSeededRandom random_;
    // The one test that plays in real time.
    SteadyClock clock_;
    std::unique_ptr<MainWindow> window_;
    int previewed_ = 0;
    XConnection x_;

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

    // Starts the program itself and returns its window's id once the window is on screen.
    // Without a window manager nobody gives the window the keyboard: `focus` does.
    std::optional<WId> StartProgram(QProcess& program, bool focus = true) {
        window_.reset();
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        QStringList command = QProcess::splitCommand(ProgramUnderTest());
        program.start(command.takeFirst(), command);
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
        return !focus || Focus(window) ? std::optional(window) : std::nullopt;
    }

    // Another window the program shows with its title: the help box.
    WId OtherWindow(const QProcess& program, WId window) {
        const std::optional<QString> found =
            Xdotool({"search", "--onlyvisible", "--pid", QString::number(program.processId()),
                     "--name", "^ Kavrel$"});
        for (const QString& id : found.value_or(QString()).split('\n')) {
            if (id.toULongLong() != window) {
                return id.toULongLong();
            }
        }
        return 0;
    }

    // Where the program's client area stands on the screen: it fills the window below the menu
    // bar.
    QPoint ClientOrigin(WId window) const {
        const QRect inside = x_.Geometry(window);
        return {inside.x(), inside.bottom() + 1 - StoredWindow.clientSize.height()};
    }
    bool ClickExit(WId window) {
        return ClickAt(ClientOrigin(window) + StoredRect("cmdExit").center());
    }
    // A part of the client area as the screen shows it.
    QImage GrabClient(WId window, QRect part) const {
        return x_.Grab(window,
                       part.translated(ClientOrigin(window) - x_.Geometry(window).topLeft()));
    }
    LetterRow ReadLetterRow(WId window) const {
        return LetterRow(GrabClient(window, LetterRow::Area));
    }
    // Whether a counter's box shows a number.
    bool Counts(WId window, const char* counter) const {
        return Inked(GrabClient(window, StoredRect(counter).adjusted(4, 4, -4, -4)));
    }
    // Whether the first cell holds a letter: ink right of the cursor's bar.
    bool FirstCellHoldsALetter(WId window) const {
        return Inked(GrabClient(window, QRect(26, 100, 44, 50)));
    }

    // Watches a presentation of `count` letters to the recall, and returns each cell as it stood
    // last before the row was blanked.
    std::vector<Glyph> WatchThePresentation(WId window, int count) const {
        std::vector<Glyph> shown(count);
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < Patience) {
            const QImage row = GrabClient(window, LetterRow::Area);
            const LetterRow state(row);
            if (state.Blanked(count)) {
                return shown;
            }
            for (int i = 0; i < count; ++i) {
                if (state.on[i] && state.inked[i]) {
                    shown[i] = GlyphIn(row, i);
                }
            }
            QThread::msleep(5);
        }
        return {};
    }

    // Each letter typed into the first cell, taken as it shows there, then taken back again.
    void LearnTheLetters(WId window, Alphabet& alphabet) {
        for (char letter = 'a'; letter <= 'z'; ++letter) {
            QVERIFY(Type(QString(QChar(letter))));
            Glyph glyph;
            QElapsedTimer clock;
            clock.start();
            // Held still over two looks: the whole letter, not a part of it half painted.
            while (clock.elapsed() < Patience) {
                const Glyph now = GlyphIn(GrabClient(window, LetterRow::Area), 0);
                if (FirstCellHoldsALetter(window) && now == glyph) {
                    break;
                }
                glyph = now;
                QThread::msleep(30);
            }
            alphabet[QChar(letter).toUpper()] = glyph;
            QVERIFY(Xdotool({"key", "BackSpace"}));
            QTRY_VERIFY_WITH_TIMEOUT(!FirstCellHoldsALetter(window), Patience);
        }
    }

    void ExpectNormalExit(QProcess& program) {
        QVERIFY(program.waitForFinished(Patience));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
    }

    // Whether the program under test is another build's: then the cases that drive a window in
    // this process, which is this build's own, have nothing to say about it.
    static bool OtherProgram() { return qEnvironmentVariableIsSet("KAVREL_E2E_PROGRAM"); }

private slots:
    void initTestCase() {
        QCOMPARE(QGuiApplication::platformName(), QString("xcb"));
        QVERIFY(x_.Connected());
        if (OtherProgram()) {
            return;
        }
        InstallFontSubstitutes();
        window_ = std::make_unique<MainWindow>(random_, clock_);
        connect(window_.get(), &MainWindow::helpRequested, window_.get(),
                [this] { ShowHelp(window_.get()); });
        connect(window_.get(), &MainWindow::keyPreviewed, this, [this] { ++previewed_; });
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        QVERIFY(Focus(window_->winId()));
        QTRY_VERIFY_WITH_TIMEOUT(window_->isActiveWindow(), Patience);
    }

    void init() {
        static const QSet<QByteArray> inThisProcess{
            "keysBeforeTheFirstTrialAreIgnored",
            "rightAnswerStartsTheNextTrial",
            "keysDuringThePresentationAreIgnored",
            "wrongAnswerShowsTheCorrectRowAndEnterStartsAgain",
            "countChangedMidTrial",
            "helpOpensAndCloses"};
        if (OtherProgram() && inThisProcess.contains(QTest::currentTestFunction())) {
            QSKIP("drives the window of this process, not the program under test");
        }
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
        QVERIFY(!window_->lblLetter().Cell(0)->isVisible());
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
        const QLabel* first = window_->lblLetter().Cell(0);
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
            const QLabel* cell = window_->lblLetterWrong().Cell(i);
            QVERIFY(cell != nullptr && cell->isVisible());
            QCOMPARE(cell->pos(), QPoint(20 + 70 * i, 220));
            QCOMPARE(cell->text().toStdString(), shown.TargetLetters[i]);
        }
        QVERIFY(!Presenting() && !Recalling());
        QTRY_VERIFY_WITH_TIMEOUT(Child<QPushButton>("cmdStart")->hasFocus(), Patience);

        QVERIFY(Xdotool({"key", "Return"}));
        QTRY_VERIFY_WITH_TIMEOUT(Presenting(), Patience);
        QVERIFY(!window_->lblLetterWrong().Cell(0)->isVisible());
        QCOMPARE(window_->lblLetterWrong().Cell(1), nullptr);
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
        QProcess program;
        const std::optional<WId> window = StartProgram(program);
        QVERIFY(window);
        QVERIFY(Xdotool({"key", "Return"}));
        QVERIFY(x_.Send(*window, *window, "WM_PROTOCOLS",
                        {x_.Atom("WM_DELETE_WINDOW"), XCB_CURRENT_TIME}, XCB_EVENT_MASK_NO_EVENT));
        ExpectNormalExit(program);
    }

    // The program played as a person plays it, knowing only what the screen shows: a right answer
    // counts and chains into the next row; a wrong one counts and shows the right row in red; a
    // close request during the recall ends the program.
    void aRightAndAWrongTrialAsTheScreenShowsThem() {
        QProcess program;
        const std::optional<WId> window = StartProgram(program);
        QVERIFY(window);
        QVERIFY(Xdotool({"key", "Return"}));
        const std::vector<Glyph> first = WatchThePresentation(*window, 3);
        QCOMPARE(first.size(), 3u);
        Alphabet alphabet;
        LearnTheLetters(*window, alphabet);
        if (QTest::currentTestFailed()) {
            return;
        }
        QString answer;
        for (const Glyph& glyph : first) {
            answer += Read(alphabet, glyph).toLower();
        }
        QVERIFY(!Counts(*window, "dui") && !Counts(*window, "cuo"));
        QVERIFY(Type(answer));
        QTRY_VERIFY_WITH_TIMEOUT(Counts(*window, "dui"), Patience);
        QVERIFY(!Counts(*window, "cuo"));

        const std::vector<Glyph> second = WatchThePresentation(*window, 3);
        QCOMPARE(second.size(), 3u);
        QString shown;
        QString wrong;
        for (const Glyph& glyph : second) {
            const QChar letter = Read(alphabet, glyph);
            shown += letter;
            wrong += QChar('a' + (letter.unicode() - 'A' + 1) % 26);
        }
        QVERIFY(Type(wrong));
        QTRY_VERIFY_WITH_TIMEOUT(Counts(*window, "cuo"), Patience);
        const QImage correctRow = GrabClient(*window, QRect(20, 220, 190, 50));
        QString correct;
        for (int i = 0; i < 3; ++i) {
            correct += Read(alphabet, GlyphIn(correctRow, i));
        }
        QCOMPARE(correct, shown);
        // In red: the darkest ink of its first letter has no blue, unlike the letter row's purple.
        QRgb darkest = qRgb(255, 255, 255);
        for (int y = 0; y < 50; ++y) {
            for (int x = 0; x < 50; ++x) {
                darkest = std::min(darkest, correctRow.pixel(x, y),
                                   [](QRgb a, QRgb b) { return qGreen(a) < qGreen(b); });
            }
        }
        QVERIFY(qRed(darkest) > 200 && qBlue(darkest) < 60);

        QVERIFY(Xdotool({"key", "Return"}));
        QVERIFY(WatchThePresentation(*window, 3).size() == 3u);
        QVERIFY(x_.Send(*window, *window, "WM_PROTOCOLS",
                        {x_.Atom("WM_DELETE_WINDOW"), XCB_CURRENT_TIME}, XCB_EVENT_MASK_NO_EVENT));
        ExpectNormalExit(program);
    }

    // Held up for 2 s after the second of eight letters, the program goes on with one letter at
    // a time, each on screen for its whole display time, then blanks the row for the recall.
    void aStoppedProgramGoesOnOneLetterAtATime() {
        QProcess program;
        const std::optional<WId> window = StartProgram(program);
        QVERIFY(window);
        QVERIFY(ClickAt(ClientOrigin(*window) + StoredRect("Frame1").topLeft() +
                        StoredRect("Option6").topLeft() + QPoint(6, 8)));
        QVERIFY(ClickAt(ClientOrigin(*window) + StoredRect("cmdStart").center()));

        QElapsedTimer clock;
        clock.start();
        std::array<qint64, 8> onset;
        onset.fill(-1);
        bool stopped = false;
        bool blanked = false;
        while (!blanked && clock.elapsed() < Patience) {
            const LetterRow row = ReadLetterRow(*window);
            for (int i = 0; i < 8; ++i) {
                if (onset[i] < 0 && row.on[i]) {
                    onset[i] = clock.elapsed();
                }
            }
            if (!stopped && onset[1] >= 0) {
                ::kill(static_cast<pid_t>(program.processId()), SIGSTOP);
                QThread::msleep(2000);
                ::kill(static_cast<pid_t>(program.processId()), SIGCONT);
                stopped = true;
            }
            blanked = row.Blanked(8);
            QThread::msleep(5);
        }
        QVERIFY(blanked);
        // Half the display time apart at least: letters replayed after the stall come together,
        // while a busy machine can paint one letter late by a tenth of a second or more.
        for (int i = 1; i < 8; ++i) {
            QVERIFY2(onset[i] - onset[i - 1] >= 250,
                     qPrintable(QString("letter %1 came %2 ms after letter %3")
                                    .arg(i)
                                    .arg(onset[i] - onset[i - 1])
                                    .arg(i - 1)));
        }
        QVERIFY(ClickExit(*window));
        ExpectNormalExit(program);
    }

    // At the display's scale (KAVREL_E2E_DPI, 96 unless given: Windows' 100 %), the window grows
    // as a whole, and the help box shows each paragraph of its prompt and its button's 确定 in
    // Chinese, as read off the screen: not boxes where a face is missing, not Qt's English.
    void theWindowAndItsHelpBoxAtTheDisplayScale() {
        const qreal scale = qEnvironmentVariable("KAVREL_E2E_DPI", "96").toInt() / 96.0;
        QProcess program;
        const std::optional<WId> window = StartProgram(program);
        QVERIFY(window);
        const QSize inside = x_.Geometry(*window).size();
        QCOMPARE(inside.width(), qRound(StoredWindow.clientSize.width() * scale));
        // The client area is the window's green below the menu bar, at its left edge.
        const auto client = [&] {
            const QImage edge = x_.Grab(*window, QRect(0, 0, 1, inside.height()));
            int rows = 0;
            while (rows < inside.height() &&
                   edge.pixel(0, inside.height() - 1 - rows) == StoredWindow.background) {
                ++rows;
            }
            return rows;
        };
        QTRY_COMPARE_WITH_TIMEOUT(client(), qRound(StoredWindow.clientSize.height() * scale),
                                  Patience);

        const QPoint origin = x_.Geometry(*window).topLeft();
        QVERIFY(ClickAt(origin + QPoint(qRound(12 * scale), (inside.height() - client()) / 2)));
        WId box = 0;
        QTRY_VERIFY_WITH_TIMEOUT((box = OtherWindow(program, *window)) != 0, Patience);
        const QRect boxArea(QPoint(), x_.Geometry(box).size());
        // Right of the information icon, once the whole box has been painted.
        const QRect textArea = boxArea.adjusted(qRound(60 * scale), 0, 0, 0);
        QImage shown;
        QTRY_COMPARE_WITH_TIMEOUT(TextLines(shown = x_.Grab(box, boxArea), textArea).size(), 6,
                                  Patience);
        const QList<QRect> lines = TextLines(shown, textArea);
        const int pixelSize = qRound(12 * scale);
        QStringList texts = HelpPrompt().split("\r\n\r\n");
        texts << "确定"
              << "OK";
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(ReadLine(shown.copy(lines[i]), texts, pixelSize), texts[i]);
        }
        // The button's caption, at the right of an icon where the platform gives its buttons one.
        QRect caption = lines[5];
        caption.setLeft(caption.right() + 1 - Drawn("确定", pixelSize).width());
        QCOMPARE(ReadLine(shown.copy(InkBounds(shown, caption)), texts, pixelSize),
                 QString("确定"));

        QVERIFY(Focus(box) && Xdotool({"key", "Return"}));
        QTRY_COMPARE_WITH_TIMEOUT(OtherWindow(program, *window), WId{0}, Patience);
        QVERIFY(x_.Send(*window, *window, "WM_PROTOCOLS",
                        {x_.Atom("WM_DELETE_WINDOW"), XCB_CURRENT_TIME}, XCB_EVENT_MASK_NO_EVENT));
        ExpectNormalExit(program);
    }

    // Under Debian's openbox, as on a desktop: the window manager frames the window, centres
    // nothing itself, and hands the window the keyboard.
    void underAWindowManager() {
        QProcess openbox;
        openbox.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        openbox.start("openbox", {"--sm-disable"});
        if (!openbox.waitForStarted(Patience)) {
            QSKIP("openbox is not installed (apt-get install openbox)");
        }
        const auto stopOpenbox = qScopeGuard([&openbox] {
            openbox.terminate();
            openbox.waitForFinished(Patience);
        });
        QTRY_VERIFY_WITH_TIMEOUT(!x_.Property(x_.Root(), "_NET_SUPPORTING_WM_CHECK").empty(),
                                 Patience);

        QProcess program;
        const std::optional<WId> window = StartProgram(program, false);
        QVERIFY(window);
        const auto frame = [&] {
            const std::vector<std::uint32_t> extents = x_.Property(*window, "_NET_FRAME_EXTENTS");
            return extents.size() != 4 ? QRect()
                                       : x_.Geometry(*window).marginsAdded(QMargins(
                                             extents[0], extents[2], extents[1], extents[3]));
        };
        const QPoint screenCentre = x_.Geometry(x_.Root()).center();
        // Another build is the Windows one, under Wine: it centres the frame Windows would draw,
        // whose title bar is not openbox's (Wine 8 makes it 26 px with the border, Wine 10
        // more, openbox 18 to 20), so openbox's frame can stand below the centre by up to half
        // of its own.
        const auto centred = [&] {
            const QPoint off = frame().center() - screenCentre;
            const int titleBar = x_.Geometry(*window).top() - frame().top();
            return frame().isValid() &&
                   (OtherProgram() ? std::abs(off.x()) <= 1 && std::abs(off.y()) <= titleBar / 2
                                   : off.manhattanLength() <= 1);
        };
        const auto where = [&] {
            QString text;
            QDebug(&text) << "frame" << frame() << "around" << x_.Geometry(*window);
            return text;
        };
        QTRY_VERIFY2_WITH_TIMEOUT(centred(), qPrintable(where()), Patience);
        QVERIFY(frame().height() > x_.Geometry(*window).height());  // the title bar stands above

        const std::vector<std::uint32_t> offered = x_.Property(*window, "_NET_WM_ALLOWED_ACTIONS");
        QVERIFY(std::count(offered.begin(), offered.end(), x_.Atom("_NET_WM_ACTION_CLOSE")));
        for (const char* action : {"_NET_WM_ACTION_RESIZE", "_NET_WM_ACTION_MAXIMIZE_HORZ",
                                   "_NET_WM_ACTION_MAXIMIZE_VERT"}) {
            QVERIFY2(!std::count(offered.begin(), offered.end(), x_.Atom(action)), action);
        }

        // The keyboard is the window's as soon as the window manager has activated it.
        QTRY_VERIFY_WITH_TIMEOUT(
            x_.Property(x_.Root(), "_NET_ACTIVE_WINDOW") ==
                std::vector<std::uint32_t>{static_cast<std::uint32_t>(*window)},
            Patience);
        QVERIFY(Xdotool({"key", "Return"}));
        QTRY_VERIFY_WITH_TIMEOUT(ReadLetterRow(*window).on[0], Patience);

        // The close button, the window menu and Alt+F4 all come down to this request.
        QVERIFY(x_.Send(x_.Root(), *window, "_NET_CLOSE_WINDOW", {XCB_CURRENT_TIME, 2},
                        XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY));
        ExpectNormalExit(program);
    }
};

QTEST_MAIN(EndToEndTest)
#include "e2e_test.moc"
