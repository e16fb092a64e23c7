// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>
#include <functional>
#include <string>

#include "Clock.h"
#include "FormBuilder.h"
#include "Narrator.h"
#include "trial/Trial.h"

namespace kavrel {

// frmMain: the shell that turns Qt events into the trial's handlers, on the time its clock
// gives, and the trial's form into widget properties.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    MainWindow(RandomSource& random, Clock& clock, QWidget* parent = nullptr);
    // The clock may outlive the window: it is asked for no more wake-ups.
    ~MainWindow() override;

    const Trial& trial() const { return trial_; }
    const CellRow& lblLetter() const { return widgets_.lblLetter; }
    const CellRow& lblLetterWrong() const { return widgets_.lblLetterWrong; }
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
    // Centres the window's frame on its screen.
    void Centre();
    void AskForHelp();
    void WireHandlers();
    void Dispatch(const std::function<void()>& handler);
    void Render();
    // Input methods stay out of the text boxes while a trial runs, so that every letter typed
    // there reaches the trial; outside a trial the boxes take Chinese input like any other.
    void KeepInputMethodsOutOfTheTrial(bool trialRuns);

    Trial trial_;
    Clock& clock_;
    FormWidgets widgets_;
    Narrator narrator_;
    bool unloaded_ = false;
    bool framed_ = false;
    // What the window last showed of what the user can also change: a counter box is rewritten
    // only when its count changes, so whatever the user typed into it stays until then.
    std::string shownDui_;
    std::string shownCuo_;
    bool inputMethodsKeptOut_ = false;
};

}  // namespace kavrel
