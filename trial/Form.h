// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "ControlArray.h"
#include "Timer.h"

namespace kavrel {

// The cursor bar: a line between two points, in window pixels.
struct Line {
    float X1 = 0;
    float Y1 = 0;
    float X2 = 0;
    float Y2 = 0;
    bool Visible = false;

    bool operator==(const Line&) const = default;
};

struct Button {
    bool Enabled = true;
    // Raised each time the trial hands the focus to the button; the window acts on a change.
    int FocusRequests = 0;

    bool operator==(const Button&) const = default;
};

// Everything of the window that the trial changes, as the stored layout has it before loading.
struct Form {
    std::string Label1 = "label1";
    std::string Label3;
    ControlArray lblLetter{LetterCell{"A", 16, 112, false}};
    ControlArray lblLetterWrong{LetterCell{"A", 16, 208, false}};
    Line linCursor{24, 120, 24, 160, false};
    std::string dui;
    std::string cuo;
    Button cmdStart;
    Timer Timer1{Milliseconds{500}};
    Timer Timer2{Milliseconds{500}};
    Timer tmrCursor{Milliseconds{500}};

    bool operator==(const Form&) const = default;
};

}  // namespace kavrel
