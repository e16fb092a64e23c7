// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>

#include "CellRow.h"
#include "trial/Trial.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kavrel {

// frmMain: the stored layout as widgets, and the shell that turns Qt events into the trial's
// handlers and the trial's form into widget properties.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(RandomSource& random, QWidget* parent = nullptr);

    const Trial& trial() const { return trial_; }
    const CellRow& letterRow() const { return letterRow_; }
    const CellRow& correctRow() const { return correctRow_; }
    QWidget* clientArea() const { return centralWidget(); }

signals:
    // The receiver shows the help box and returns once it is closed.
    void helpRequested();
    // Every character key that the key preview handed to the trial, in order.
    void keyPreviewed(char32_t key);
    // The widgets show the trial's latest state.
    void formShown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildLayout();
    // Centres the window's frame on its screen.
    void Centre();
    void AskForHelp();
    void WireHandlers();
    void Dispatch(const std::function<void()>& handler);
    void Render();
    // During a trial the focus rests on what shows the trial's latest step, so that a screen
    // reader, which says the object that newly receives the focus, tells each letter, the
    // recall prompt and the verdict as they appear; what else changed (the verdict when Start
    // takes the focus, the correct row, the counts) is told along with it, in the window's words.
    void KeepFocusOnTheWindowsSide(const Form& form);
    bool IsParked(const QWidget* focused) const;
    // The newest letter of the top row, or else Label1.
    QWidget* LatestStep() const;
    // What the window says besides the top row, in reading order.
    QStringList Readout(const Form& form) const;
    // Gives `target` the focus, and tells what changed since last told.
    void Tell(const Form& form, QWidget* target);
    // Input methods stay out of the text boxes while a trial runs, so that every letter typed
    // there reaches the trial; outside a trial the boxes take Chinese input like any other.
    void KeepInputMethodsOutOfTheTrial(bool trialRuns);
    void ArmTickTimer();
    Time Now() const;

    Trial trial_;
    QElapsedTimer clock_;
    QTimer tickTimer_;
    bool unloaded_ = false;
    bool framed_ = false;

    QLabel* label1_ = nullptr;
    QLabel* label3_ = nullptr;
    QWidget* cursor_ = nullptr;
    QLineEdit* dui_ = nullptr;
    QLineEdit* cuo_ = nullptr;
    QPushButton* cmdStart_ = nullptr;
    CellRow letterRow_{nullptr};
    CellRow correctRow_{nullptr};
    QList<QLineEdit*> textBoxes_;
    // What the counters showed last: a counter box is rewritten only when its count changes,
    // so whatever the user typed into it stays until then.
    std::string shownDui_;
    std::string shownCuo_;
    int shownFocusRequests_ = 0;
    QStringList told_;
    // The object whose name carries the latest news where Qt cannot announce it.
    QPointer<QWidget> renamed_;
};

}  // namespace kavrel
