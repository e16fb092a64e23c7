// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Form.h"
#include "RandomSource.h"
#include "Timer.h"

namespace kavrel {

struct TrialVariables {
    int LetterCount = 0;
    int InputPos = 0;
    std::vector<std::string> TargetLetters;
    std::vector<std::string> TypedLetters;
    int ExtraLabelCount = 0;
    // Wide enough that no user can ever run them over.
    std::int64_t CorrectCount = 0;
    std::int64_t WrongCount = 0;
    // Letters of the running presentation shown so far; 0 whenever Timer1 is off.
    int ShowIndex = 0;
    // A letter count chosen while the running trial could not take it; it applies as soon as
    // the trial is judged.
    std::optional<int> PendingLetterCount;

    bool operator==(const TrialVariables&) const = default;
};

// The trial state of the main window and the handlers of the trial cycle. It knows nothing of
// widgets: it changes a Form, which the window shows, and its timers tick when time is advanced.
class Trial {
public:
    explicit Trial(RandomSource& random) : random_(random) {}

    void Form_Load();
    void cmdStart_Click();
    // Option1_Click .. Option9_Click, by the button's number.
    void Option_Click(int number);
    // Every character key typed in the window, whichever control has the focus.
    void Form_KeyPress(char32_t key);

    void Timer1_Timer();
    void Timer2_Timer();
    void tmrCursor_Timer();

    // Delivers every tick due up to `now`, in order, each at its own deadline; a timer held up
    // for a whole interval or more ticks once, at `now`, and keeps its beat from there.
    void AdvanceTo(Time now);
    // The deadline of the next tick, if any timer runs.
    std::optional<Time> NextDue() const;
    Time Now() const { return now_; }

    const Form& form() const { return form_; }
    const TrialVariables& variables() const { return vars_; }

    // Told of every load and unload in either row of cells (true for lblLetterWrong).
    void SetCellListener(std::function<void(bool wrongRow, int index, bool loaded)> listener);

private:
    bool LetterCountChangeIsSafe(int count) const;
    std::string RandomLetter();
    void PlaceCursor();
    void Evaluate();
    void ApplyPendingLetterCount();

    RandomSource& random_;
    Form form_;
    TrialVariables vars_;
    Time now_{};
};

}  // namespace kavrel
