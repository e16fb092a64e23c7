// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainWindow.h"

#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <map>

#include "Controls.h"
#include "trial/Options.h"

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

MainWindow::MainWindow(RandomSource& random, QWidget* parent)
    : QMainWindow(parent), trial_(random) {
    setObjectName("frmMain");
    setWindowTitle(QString::fromUtf8(StoredWindow.title));
    setWindowIcon(QIcon(":/kavrel/kavrel-16.png"));
    // The layout does not follow another size: no maximizing, no resizing, and where the
    // platform draws the frame (Windows), a fixed one that offers no edge to drag.
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    BuildLayout();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    WireHandlers();

    tickTimer_.setTimerType(Qt::PreciseTimer);
    tickTimer_.setSingleShot(true);
    connect(&tickTimer_, &QTimer::timeout, this, [this] {
        if (const std::optional<Time> due = trial_.NextDue(); due && *due > Now()) {
            ArmTickTimer();  // woke early on purpose: wait out the rest
            return;
        }
        Dispatch([] {});
    });
    clock_.start();

    trial_.Form_Load();
    Render();
    cmdStart_->setFocus();

    // Keys are previewed where the platform delivers them to the window, once per key press,
    // before any control sees them.
    create();
    windowHandle()->installEventFilter(this);

    // The layout gives the window its size only when asked: centre it at that size.
    adjustSize();
    Centre();
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

void MainWindow::BuildLayout() {
    auto* client = new QWidget(this);
    client->setObjectName("clientArea");
    client->setFixedSize(StoredWindow.clientSize);
    client->setAutoFillBackground(true);
    QPalette palette = client->palette();
    palette.setColor(QPalette::Window, QColor(StoredWindow.background));
    client->setPalette(palette);
    setCentralWidget(client);

    std::map<std::string, QWidget*> containers;
    std::vector<std::pair<int, QWidget*>> focusOrder;
    for (const ControlSpec& spec : StoredControls) {
        QWidget* parent = spec.container != nullptr ? containers.at(spec.container) : client;
        QWidget* widget = CreateControl(spec, parent);
        containers[spec.name] = widget;
        if (spec.tabIndex >= 0 && widget->focusPolicy() != Qt::NoFocus) {
            focusOrder.emplace_back(spec.tabIndex, widget);
        }
    }
    std::sort(focusOrder.begin(), focusOrder.end());
    for (std::size_t i = 1; i < focusOrder.size(); ++i) {
        setTabOrder(focusOrder[i - 1].second, focusOrder[i].second);
    }

    label1_ = client->findChild<QLabel*>("Label1");
    label3_ = client->findChild<QLabel*>("Label3");
    cursor_ = client->findChild<QWidget*>("linCursor");
    dui_ = client->findChild<QLineEdit*>("dui");
    cuo_ = client->findChild<QLineEdit*>("cuo");
    cmdStart_ = client->findChild<QPushButton*>("cmdStart");
    textBoxes_ = client->findChildren<QLineEdit*>();
    letterRow_ = CellRow(client->findChild<QLabel*>("lblLetter"));
    correctRow_ = CellRow(client->findChild<QLabel*>("lblLetterWrong"));

    QAction* help = menuBar()->addAction(QString::fromUtf8(StoredWindow.menuItem));
    help->setObjectName(QString::fromUtf8(StoredWindow.menuItem));
    // Queued: the menu bar gives the keyboard back to the control it took it from only after
    // the key that triggered the item.
    connect(help, &QAction::triggered, this, &MainWindow::AskForHelp, Qt::QueuedConnection);
}

void MainWindow::AskForHelp() {
    const QPointer<QWidget> control = focusWidget();
    emit helpRequested();
    // The closed box hands the keyboard back to the window's focus, which can still be the
    // menu bar that opened it (it had nothing to give it back to when the window was not yet
    // active), or a step of the trial that has moved on meanwhile.
    if (control != nullptr && control != menuBar() && !IsParked(control) && control->isEnabled()) {
        control->setFocus();
    } else {
        Tell(trial_.form(), cmdStart_->isEnabled() ? cmdStart_ : LatestStep());
    }
}

void MainWindow::WireHandlers() {
    connect(cmdStart_, &QPushButton::clicked, this,
            [this] { Dispatch([this] { trial_.cmdStart_Click(); }); });
    connect(centralWidget()->findChild<QPushButton*>("cmdExit"), &QPushButton::clicked, this,
            &MainWindow::close);
    for (int number = 1; number <= static_cast<int>(OptionButtons.size()); ++number) {
        auto* option = centralWidget()->findChild<QRadioButton*>(QString("Option%1").arg(number));
        connect(option, &QRadioButton::clicked, this,
                [this, number] { Dispatch([this, number] { trial_.Option_Click(number); }); });
    }
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
    // Closing ends the program in any phase: nothing ticks or takes a key after this.
    unloaded_ = true;
    tickTimer_.stop();
    windowHandle()->removeEventFilter(this);
    event->accept();
}

void MainWindow::Dispatch(const std::function<void()>& handler) {
    if (unloaded_) {
        return;
    }
    trial_.AdvanceTo(Now());
    handler();
    Render();
}

void MainWindow::Render() {
    const Form& form = trial_.form();
    label1_->setText(QString::fromStdString(form.Label1));
    label3_->setText(QString::fromStdString(form.Label3));
    KeepFocusOnTheWindowsSide(form);
    letterRow_.Show(form.lblLetter);
    correctRow_.Show(form.lblLetterWrong);

    const Line& line = form.linCursor;
    cursor_->setGeometry(static_cast<int>(std::lround(line.X1)),
                         static_cast<int>(std::lround(line.Y1)), cursor_->width(),
                         static_cast<int>(std::lround(line.Y2 - line.Y1)));
    cursor_->setVisible(line.Visible);
    cursor_->raise();

    for (auto [box, text, shown] :
         {std::tuple{dui_, &form.dui, &shownDui_}, std::tuple{cuo_, &form.cuo, &shownCuo_}}) {
        if (*text != *shown) {
            box->setText(QString::fromStdString(*text));
            *shown = *text;
        }
    }

    cmdStart_->setEnabled(form.cmdStart.Enabled);
    KeepInputMethodsOutOfTheTrial(!form.cmdStart.Enabled);
    if (form.cmdStart.FocusRequests != shownFocusRequests_) {
        shownFocusRequests_ = form.cmdStart.FocusRequests;
        Tell(form, cmdStart_);
    }
    QWidget* focused = focusWidget();
    Tell(form, IsParked(focused) ? LatestStep() : focused);

    ArmTickTimer();
    emit formShown();
}

void MainWindow::KeepFocusOnTheWindowsSide(const Form& form) {
    QWidget* focused = focusWidget();
    const int cell = letterRow_.IndexOf(focused);
    const bool leaving =
        (focused == cmdStart_ && !form.cmdStart.Enabled) ||
        (cell >= 0 && (!form.lblLetter.IsLoaded(cell) || !form.lblLetter[cell].Visible));
    // A focused control that is disabled, hidden or deleted hands the focus on to the next one
    // in the tab order: Exit, where a stray Space during the recall would end the program.
    if (leaving) {
        Tell(form, label1_);
    }
}

bool MainWindow::IsParked(const QWidget* focused) const {
    return focused == label1_ || letterRow_.IndexOf(focused) >= 0;
}

QWidget* MainWindow::LatestStep() const {
    for (int i = letterRow_.UpperBound() - 1; i >= 0; --i) {
        QLabel* cell = letterRow_.Cell(i);
        if (cell != nullptr && !cell->isHidden() && !cell->text().isEmpty()) {
            return cell;
        }
    }
    return label1_;
}

QStringList MainWindow::Readout(const Form& form) const {
    QStringList row;
    for (int i = 0; i < form.lblLetterWrong.UpperBound(); ++i) {
        if (form.lblLetterWrong.IsLoaded(i) && form.lblLetterWrong[i].Visible) {
            row << QString::fromStdString(form.lblLetterWrong[i].Caption);
        }
    }
    const auto count = [](const QLineEdit* counter, const std::string& value) {
        return value.empty() ? QString()
                             : counter->accessibleName() + ' ' + QString::fromStdString(value);
    };
    return {QString::fromStdString(form.Label1), QString::fromStdString(form.Label3), row.join(' '),
            count(dui_, form.dui), count(cuo_, form.cuo)};
}

void MainWindow::Tell(const Form& form, QWidget* target) {
    const bool moves = target != focusWidget();
    const QStringList readout = Readout(form);
    QStringList news;
    for (qsizetype i = 0; i < readout.size(); ++i) {
        const bool saidByFocus = i == 0 && moves && target == label1_;
        if (readout[i] != told_.value(i) && !readout[i].isEmpty() && !saidByFocus) {
            news << readout[i];
        }
    }
    told_ = readout;
    if (target == nullptr || (!moves && news.isEmpty())) {
        return;
    }

#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
    // This Qt has no announcement: the news goes with the focus, after the name of the object
    // that receives it (a screen reader says a label's name but not its description).
    if (renamed_ != nullptr) {
        renamed_->setAccessibleName({});
        renamed_ = nullptr;
    }
    if (moves && !news.isEmpty()) {
        renamed_ = target;
        const QString ownName =
            QAccessible::queryAccessibleInterface(target)->text(QAccessible::Name);
        target->setAccessibleName(ownName + ' ' + news.join(' '));
    }
#endif
    if (moves) {
        target->setFocus();
    }
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    if (!news.isEmpty()) {
        QAccessibleAnnouncementEvent announcement(target, news.join(' '));
        QAccessible::updateAccessibility(&announcement);
    }
#endif
}

void MainWindow::KeepInputMethodsOutOfTheTrial(bool trialRuns) {
    for (QLineEdit* box : textBoxes_) {
        if (box->testAttribute(Qt::WA_InputMethodEnabled) == trialRuns) {
            box->setAttribute(Qt::WA_InputMethodEnabled, !trialRuns);
        }
    }
}

void MainWindow::ArmTickTimer() {
    const std::optional<Time> due = trial_.NextDue();
    if (!due) {
        tickTimer_.stop();
        return;
    }
    // Linux lets a wait run late by a thousandth of its length. Waking up earlier than that and
    // waiting out the rest in ever shorter steps, the last millisecond in the event loop, puts
    // every tick on its deadline.
    const Time remaining = *due - Now();
    const Time early = std::max<Time>(remaining / 500, std::chrono::milliseconds{1});
    const auto wait = std::chrono::floor<std::chrono::milliseconds>(remaining - early);
    tickTimer_.start(std::max(wait, std::chrono::milliseconds{0}));
}

Time MainWindow::Now() const {
    return Time{clock_.nsecsElapsed()};
}

}  // namespace kavrel
