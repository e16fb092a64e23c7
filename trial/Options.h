// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

namespace kavrel {

// The nine option buttons, Option1 to Option9: what each says and what it sets. Option1..Option6
// set the letters per trial, Option7..Option9 the display time of each letter in milliseconds.
struct OptionButton {
    enum class Setting { LetterCount, DisplayTime };
    const char* caption;
    Setting setting;
    int value;
};

inline constexpr std::array<OptionButton, 9> OptionButtons{{
    {"3", OptionButton::Setting::LetterCount, 3},
    {"4", OptionButton::Setting::LetterCount, 4},
    {"5", OptionButton::Setting::LetterCount, 5},
    {"6", OptionButton::Setting::LetterCount, 6},
    {"7", OptionButton::Setting::LetterCount, 7},
    {"8", OptionButton::Setting::LetterCount, 8},
    {"0.5秒", OptionButton::Setting::DisplayTime, 500},
    {"1秒", OptionButton::Setting::DisplayTime, 1000},
    {"1.5秒", OptionButton::Setting::DisplayTime, 1500},
}};

}  // namespace kavrel
