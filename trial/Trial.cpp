// SPDX-License-Identifier: GPL-3.0-or-later
#include "Trial.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "Options.h"
#include "Texts.h"

namespace kavrel {

namespace {

constexpr int CellPitch = 70;
constexpr int FirstCellLeft = 20;
constexpr int LetterRowTop = 100;
constexpr int CorrectRowTop = 220;
constexpr float CursorInset = 2;
constexpr float CursorTop = 110;
constexpr float CursorBottom = 140;
constexpr char32_t Backspace = 8;

int CellLeft(int index) {
    return index * CellPitch + FirstCellLeft;
}

// Only the 26 letters of either case count; everything else, "中" and "é" included, does not.
std::optional<char> CapitalLetter(char32_t key) {
    if (key >= U'a' && key <= U'z') {
        return static_cast<char>(key - U'a' + U'A');
    }
    if (key >= U'A' && key <= U'Z') {
        return static_cast<char>(key);
    }
    return std::nullopt;
}

// The three timers with their tick handlers.
struct TimerTick {
    // A named member-pointer type: clang-format 14 and 19 space "Timer Form::*timer" differently.
    using FormTimer = Timer Form::*;
    FormTimer timer;
    void (Trial::*handler)();
};
constexpr TimerTick TimerTicks[] = {
    {&Form::Timer1, &Trial::Timer1_Timer},
    {&Form::Timer2, &Trial::Timer2_Timer},
    {&Form::tmrCursor, &Trial::tmrCursor_Timer},
};

// Only one timer runs in any phase of the cycle.
const TimerTick* Running(const Form& form) {
    for (const TimerTick& tick : TimerTicks) {
        if ((form.*tick.timer).Enabled()) {
            return &tick;
        }
    }
    return nullptr;
}

}  // namespace

void Trial::Form_Load() {
    vars_.LetterCount = 3;
    vars_.InputPos = 0;
    form_.Label1 = texts::StartInstruction;
}

void Trial::cmdStart_Click() {
    if (vars_.ExtraLabelCount > 0) {
        const int last = vars_.ExtraLabelCount;
        for (int i = 1; i <= last; ++i) {
            form_.lblLetterWrong.Unload(i);
            form_.lblLetter.Unload(i);
        }
        form_.lblLetterWrong[0].Visible = false;
    }
    form_.lblLetter[0].Visible = false;
    form_.Label3.clear();
    form_.Timer1.Enable(now_);
    vars_.TargetLetters.assign(1, std::string());
    vars_.TargetLetters.at(0) = RandomLetter();
    form_.lblLetter[0].Caption = vars_.TargetLetters.at(0);
    form_.cmdStart.Enabled = false;
}

void Trial::Option_Click(int number) {
    const OptionButton& button = OptionButtons.at(number - 1);
    if (button.setting == OptionButton::Setting::DisplayTime) {
        form_.Timer1.SetInterval(Milliseconds{button.value}, now_);
        return;
    }
    if (LetterCountChangeIsSafe(button.value)) {
        vars_.LetterCount = button.value;
    }
    // A count the running trial cannot take waits for its end; choosing the count in force
    // again cancels it.
    vars_.PendingLetterCount =
        button.value == vars_.LetterCount ? std::nullopt : std::optional<int>(button.value);
}

// A running trial can take a new count only while its presentation has shown fewer letters
// than the new count: then it shows, asks for and judges exactly that many.
bool Trial::LetterCountChangeIsSafe(int count) const {
    if (form_.Timer1.Enabled()) {
        return count > vars_.ShowIndex;
    }
    return !form_.Timer2.Enabled() && !form_.tmrCursor.Enabled();
}

std::string Trial::RandomLetter() {
    const double r = random_.Rnd();
    const int code = static_cast<int>(std::floor(r * 26)) + 'A';
    if (code < 'A' || code > 'Z') {
        throw std::logic_error("random source left [0, 1)");
    }
    return std::string(1, static_cast<char>(code));
}

void Trial::Timer1_Timer() {
    random_.Randomize();
    const int k = vars_.ShowIndex;
    if (k == 0) {
        LetterCell& first = form_.lblLetter[0];
        first.Left = FirstCellLeft;
        first.Top = LetterRowTop;
        first.Visible = true;
    } else {
        form_.lblLetter.Load(k);
        LetterCell& cell = form_.lblLetter[k];
        cell.Left = CellLeft(k);
        cell.Top = LetterRowTop;
        cell.Visible = true;
        vars_.TargetLetters.resize(k + 1);
        cell.Caption = RandomLetter();
        vars_.TargetLetters.at(k) = cell.Caption;
    }
    ++vars_.ShowIndex;
    if (vars_.ShowIndex >= vars_.LetterCount) {
        vars_.ShowIndex = 0;
        form_.Timer1.Disable();
        form_.Timer2.Enable(now_);
    }
}

void Trial::Timer2_Timer() {
    const int count = vars_.LetterCount;
    for (int i = 0; i < count; ++i) {
        form_.lblLetter[i].Caption.clear();
    }
    form_.linCursor.Y1 = CursorTop;
    form_.linCursor.Y2 = CursorBottom;
    form_.linCursor.X1 = FirstCellLeft + CursorInset;
    form_.linCursor.X2 = FirstCellLeft + CursorInset;
    form_.linCursor.Visible = true;
    form_.Timer2.Disable();
    form_.Label1 = texts::RecallInstruction;
    form_.tmrCursor.Enable(now_);
    vars_.TypedLetters.assign(count, std::string());
    vars_.InputPos = 0;
}

void Trial::tmrCursor_Timer() {
    form_.linCursor.Visible = !form_.linCursor.Visible;
}

void Trial::Form_KeyPress(char32_t key) {
    // Only the recall takes keys: before the first trial there is no answer to fill, and after
    // a wrong answer a second evaluation of the same trial would pile up its red row.
    if (!form_.tmrCursor.Enabled()) {
        return;
    }
    if (const std::optional<char> letter = CapitalLetter(key)) {
        form_.linCursor.X1 += CellPitch;
        form_.linCursor.X2 += CellPitch;
        vars_.TypedLetters.at(vars_.InputPos) = std::string(1, *letter);
        form_.lblLetter[vars_.InputPos].Caption = std::string(1, *letter);
        ++vars_.InputPos;
        if (vars_.InputPos >= vars_.LetterCount) {
            Evaluate();
        }
    }
    if (key == Backspace) {
        vars_.InputPos = std::max(vars_.InputPos - 1, 0);
        PlaceCursor();
        vars_.TypedLetters.at(vars_.InputPos).clear();
        form_.lblLetter[vars_.InputPos].Caption.clear();
    }
}

void Trial::PlaceCursor() {
    form_.linCursor.Y1 = CursorTop;
    form_.linCursor.Y2 = CursorBottom;
    form_.linCursor.X1 = static_cast<float>(CellLeft(vars_.InputPos)) + CursorInset;
    form_.linCursor.X2 = static_cast<float>(CellLeft(vars_.InputPos)) + CursorInset;
}

void Trial::Evaluate() {
    const int count = vars_.LetterCount;
    const bool correct = vars_.TargetLetters == vars_.TypedLetters;
    vars_.InputPos = 0;
    form_.linCursor.Visible = false;
    form_.Timer1.Disable();
    form_.Timer2.Disable();
    form_.tmrCursor.Disable();
    if (correct) {
        form_.Label1 = texts::CorrectVerdict;
        ++vars_.CorrectCount;
        form_.dui.clear();
        form_.dui = std::to_string(vars_.CorrectCount);
        for (int j = 1; j < count; ++j) {
            form_.lblLetter.Unload(j);
        }
        form_.lblLetter[0].Visible = false;
        vars_.ExtraLabelCount = 0;
        ApplyPendingLetterCount();
        cmdStart_Click();
        return;
    }
    form_.Label1 = texts::WrongVerdict;
    form_.Label3 = texts::CorrectSequenceHeading;
    ++vars_.WrongCount;
    form_.cuo.clear();
    form_.cuo = std::to_string(vars_.WrongCount);
    form_.cmdStart.Enabled = true;
    ++form_.cmdStart.FocusRequests;
    for (int j = 1; j < count; ++j) {
        form_.lblLetterWrong.Load(j);
    }
    for (int j = 0; j < count; ++j) {
        LetterCell& cell = form_.lblLetterWrong[j];
        cell.Left = CellLeft(j);
        cell.Top = CorrectRowTop;
        cell.Caption = vars_.TargetLetters.at(j);
        cell.Visible = true;
    }
    vars_.ExtraLabelCount = count - 1;
    ApplyPendingLetterCount();
}

void Trial::ApplyPendingLetterCount() {
    if (vars_.PendingLetterCount) {
        vars_.LetterCount = *vars_.PendingLetterCount;
        vars_.PendingLetterCount.reset();
    }
}

void Trial::AdvanceTo(Time now) {
    while (const TimerTick* running = Running(form_)) {
        Timer& timer = form_.*running->timer;
        if (timer.Due() > now) {
            break;
        }
        now_ = std::max(now_, timer.Tick(now));
        (this->*running->handler)();
    }
    now_ = std::max(now_, now);
}

std::optional<Time> Trial::NextDue() const {
    if (const TimerTick* running = Running(form_)) {
        return (form_.*running->timer).Due();
    }
    return std::nullopt;
}

void Trial::SetCellListener(std::function<void(bool wrongRow, int index, bool loaded)> listener) {
    form_.lblLetter.SetListener(
        [listener](int index, bool loaded) { listener(false, index, loaded); });
    form_.lblLetterWrong.SetListener(
        [listener](int index, bool loaded) { listener(true, index, loaded); });
}

}  // namespace kavrel
