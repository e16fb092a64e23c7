// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <tuple>

#include "StoredLayout.h"

namespace kavrel {

namespace {

// The character codes a key event carries, with the control keys the trial tells apart named
// explicitly: some platforms send no text for them. A key held with Ctrl, Alt or Meta is a
// command, not a character.
std::u32string CharacterCodes(const QKeyEvent& key) {
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        return {};
    }
    switch (key.key()) {
        case Qt::Key_Backspace:
            return U"\b";
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return U"\r";
        case Qt::Key_Escape:
            return U"\x1b";
        default:
            break;
    }
    const QList<uint> codes = key.text().toUcs4();
    return std::u32string(codes.begin(), codes.end());
}

}  // namespace

MainWindow::MainWindow(RandomSource& random, Clock& clock, QWidget* parent)
    : QMainWindow(parent), trial_(random), clock_(clock), narrator_(*this, widgets_) {
    setObjectName("frmMain");
    setWindowTitle(QString::fromUtf8(StoredWindow.title));
    setWindowIcon(QIcon(":/kavrel/kavrel-16.png"));
    // The layout does not follow another size: no maximizing, no resizing, and where the
    // platform draws the frame (Windows), a fixed one that offers no edge to drag.
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    widgets_ = BuildForm(*this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    WireHandlers();

    trial_.Form_Load();
    Render();
    widgets_.cmdStart->setFocus();

    // Keys are previewed where the platform delivers them to the window, once per key press,
    // before any control sees them.
    create();
    windowHandle()->installEventFilter(this);

    // The layout gives the window its size only when asked: centre it at that size.
    adjustSize();
    Centre();
}

MainWindow::~MainWindow() {
    clock_.WakeAt(std::nullopt, {});
}

// The window's own frame margins, not the widget's copy of them: that copy can be taken while
// the window manager is still framing the window, and then stays wrong.
void MainWindow::Centre() {
    const QRect screenArea = screen()->availableGeometry();
    QRect frame = geometry().marginsAdded(windowHandle()->frameMargins());
    frame.moveCenter(screenArea.center());
    // A window larger than the screen keeps its title bar on it, where it can be dragged.
    windowHandle()->setFramePosition(
        {std::max(frame.left(), screenArea.left()), std::max(frame.top(), screenArea.top())});
}

void MainWindow::AskForHelp() {
    const QPointer<QWidget> control = focusWidget();
    emit helpRequested();
    narrator_.AfterHelp(trial_.form(), control);
}

void MainWindow::WireHandlers() {
    connect(widgets_.cmdStart, &QPushButton::clicked, this,
            [this] { Dispatch([this] { trial_.cmdStart_Click(); }); });
    connect(widgets_.cmdExit, &QPushButton::clicked, this, &MainWindow::close);
    for (std::size_t i = 0; i < widgets_.options.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        connect(widgets_.options[i], &QRadioButton::clicked, this,
                [this, number] { Dispatch([this, number] { trial_.Option_Click(number); }); });
    }
    // Queued: the menu bar gives the keyboard back to the control it took it from only after
    // the key that triggered the item.
    connect(widgets_.help, &QAction::triggered, this, &MainWindow::AskForHelp,
            Qt::QueuedConnection);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == windowHandle() && event->type() == QEvent::Expose && !framed_) {
        // A window manager frames the window only once it is mapped: centre the frame now that
        // its size is known.
        framed_ = true;
        Centre();
    }
    if (watched == windowHandle() && event->type() == QEvent::KeyPress) {
        auto& key = static_cast<QKeyEvent&>(*event);
        // The focus can rest on a letter cell that the key's handler deletes.
        const QPointer<QWidget> focused = QApplication::focusWidget();
        for (char32_t code : CharacterCodes(key)) {
            emit keyPreviewed(code);
            Dispatch([this, code] { trial_.Form_KeyPress(code); });
        }
        // A key can move the focus (a typed letter to its cell, the key that completes a wrong
        // answer to Start); the control that had the focus when the key was typed still gets
        // it, as it would without the preview.
        if (focused != nullptr && QApplication::focusWidget() != focused) {
            QKeyEvent copy(key.type(), key.key(), key.modifiers(), key.text(), key.isAutoRepeat(),
                           key.count());
            QApplication::sendEvent(focused, &copy);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closing unloads the window in any phase: nothing ticks or takes a key after this.
    unloaded_ = true;
    clock_.WakeAt(std::nullopt, {});
    windowHandle()->removeEventFilter(this);
    event->accept();
}

void MainWindow::Dispatch(const std::function<void()>& handler) {
    if (unloaded_) {
        return;
    }
    trial_.AdvanceTo(clock_.Now());
    handler();
    Render();
}

void MainWindow::Render() {
    const Form& form = trial_.form();
    widgets_.Label1->setText(QString::fromStdString(form.Label1));
    widgets_.Label3->setText(QString::fromStdString(form.Label3));
    narrator_.BeforeShowing(form);
    widgets_.lblLetter.Show(form.lblLetter);
    widgets_.lblLetterWrong.Show(form.lblLetterWrong);

    const Line& line = form.linCursor;
    widgets_.linCursor->setGeometry(
        static_cast<int>(std::lround(line.X1)), static_cast<int>(std::lround(line.Y1)),
        StoredControl("linCursor").rect.width(), static_cast<int>(std::lround(line.Y2 - line.Y1)));
    widgets_.linCursor->setVisible(line.Visible);
    widgets_.linCursor->raise();

    for (auto [box, text, shown] : {std::tuple{widgets_.dui, &form.dui, &shownDui_},
                                    std::tuple{widgets_.cuo, &form.cuo, &shownCuo_}}) {
        if (*text != *shown) {
            box->setText(QString::fromStdString(*text));
            *shown = *text;
        }
    }

    widgets_.cmdStart->setEnabled(form.cmdStart.Enabled);
    KeepInputMethodsOutOfTheTrial(!form.cmdStart.Enabled);
    narrator_.AfterShowing(form);

    clock_.WakeAt(trial_.NextDue(), [this] { Dispatch([] {}); });
    emit formShown();
}

void MainWindow::KeepInputMethodsOutOfTheTrial(bool trialRuns) {
    if (trialRuns == inputMethodsKeptOut_) {
        return;
    }
    inputMethodsKeptOut_ = trialRuns;
    for (QLineEdit* box : widgets_.textBoxes) {
        box->setAttribute(Qt::WA_InputMethodEnabled, !trialRuns);
    }
}

}  // namespace kavrel
