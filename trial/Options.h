// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

namespace kavrel {

// What each of the nine option buttons sets: Option1..Option6 the letters per trial,
// Option7..Option9 the display time of each letter in milliseconds.
struct OptionButton {
    enum class Setting { LetterCount, DisplayTime };
    Setting setting;
    int value;
};

inline constexpr std::array<OptionButton, 9> OptionButtons{{
    {OptionButton::Setting::LetterCount, 3},
    {OptionButton::Setting::LetterCount, 4},
    {OptionButton::Setting::LetterCount, 5},
    {OptionButton::Setting::LetterCount, 6},
    {OptionButton::Setting::LetterCount, 7},
    {OptionButton::Setting::LetterCount, 8},
    {OptionButton::Setting::DisplayTime, 500},
    {OptionButton::Setting::DisplayTime, 1000},
    {OptionButton::Setting::DisplayTime, 1500},
}};

}  // namespace kavrel
