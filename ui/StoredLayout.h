// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QRect>
#include <QSize>
#include <array>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "Faces.h"
#include "trial/Options.h"

namespace kavrel {

enum class ControlKind { LetterCell, Label, TextBox, Button, Frame, OptionButton, Line };

struct FontSpec {
    const char* family = nullptr;  // nullptr: the toolkit's default interface font
    int pixelSize = 0;             // points at 96 dpi: 12 pt = 16 px, 26.25 pt = 35 px
    bool bold = false;
};

// One control of the main window as stored: positions in window pixels, relative to the
// container (a frame) or to the client area below the menu bar.
struct ControlSpec {
    const char* name;
    ControlKind kind;
    const char* caption;
    QRect rect;
    FontSpec font = {};
    std::optional<QRgb> textColour = std::nullopt;
    const char* container = nullptr;
    bool visible = true;
    bool selected = false;
    int tabIndex = -1;  // -1: holds no place in the focus order
    // What assistive technology announces where the caption does not say it.
    const char* accessibleName = nullptr;
};

struct WindowSpec {
    const char* title;
    QSize clientSize;
    QRgb background;
    const char* menuItem;
};

inline constexpr WindowSpec StoredWindow{" Kavrel", {692, 361}, qRgb(128, 255, 128), "帮助"};

// The faces by the names the layout gives them (dist/faces.tsv); the application maps each to the
// machine's.
constexpr FontSpec LetterFont{faces::TimesNewRoman.name, 48};
constexpr FontSpec LineFont{faces::FangSong.name, 19};
constexpr FontSpec CounterCaptionFont{faces::Song.name, 16, true};
constexpr FontSpec CounterFont{faces::Song.name, 35};

// Stacking follows the table: later rows lie above earlier ones, so linCursor, after
// lblLetter(0), is drawn over that opaque cell. The option buttons of Frame1 are stored at a
// pitch of 28 2/3 px and 16 2/3 px high; rounded to whole pixels they touch without overlapping.
// clang-format off
inline constexpr std::array<ControlSpec, 24> StoredControls{{
    // name            kind                       caption                        rect                   font                         text colour        container  visible selected tab
    {"lblLetter",      ControlKind::LetterCell,   "A",                           {16, 112, 50, 50},     LetterFont,                  qRgb(192, 0, 192), nullptr,   false,  false,   0},
    {"lblLetterWrong", ControlKind::LetterCell,   "A",                           {16, 208, 50, 50},     LetterFont,                  qRgb(255, 0, 0),   nullptr,   false,  false,   3},
    {"Label1",         ControlKind::Label,        "label1",                      {8, 72, 673, 19},      LineFont,                    qRgb(0, 0, 192),   nullptr,   true,   false,   2},
    {"Label3",         ControlKind::Label,        "",                            {8, 176, 673, 19},     LineFont,                    qRgb(0, 0, 192),   nullptr,   true,   false,   4},
    {"linCursor",      ControlKind::Line,         "",                            {24, 120, 2, 40},      {},                          std::nullopt,      nullptr,   false,  false,  -1, "输入光标"},
    {"Text3",          ControlKind::TextBox,      "Kavrel程序",                  {16, 8, 265, 43},      {faces::Li.name, 35, true},  qRgb(0, 0, 255),   nullptr,   true,   false,  17},
    {"Text4",          ControlKind::TextBox,      "（初次练习时请先阅读帮助）",  {344, 32, 161, 18},    {},                          std::nullopt,      nullptr,   true,   false,  22},
    {"Text1",          ControlKind::TextBox,      "正确次数",                    {600, 200, 73, 25},    CounterCaptionFont,          std::nullopt,      nullptr,   true,   false,  15},
    {"dui",            ControlKind::TextBox,      "",                            {592, 232, 81, 37},    CounterFont,                 std::nullopt,      nullptr,   true,   false,  13, "正确次数"},
    {"Text2",          ControlKind::TextBox,      "错误次数",                    {600, 280, 73, 25},    CounterCaptionFont,          std::nullopt,      nullptr,   true,   false,  16},
    {"cuo",            ControlKind::TextBox,      "",                            {616, 312, 57, 37},    CounterFont,                 std::nullopt,      nullptr,   true,   false,  14, "错误次数"},
    {"cmdStart",       ControlKind::Button,       "开  始",                      {16, 304, 73, 25},     {},                          std::nullopt,      nullptr,   true,   false,   1},
    {"cmdExit",        ControlKind::Button,       "退  出",                      {16, 336, 73, 25},     {},                          std::nullopt,      nullptr,   true,   false,   5},
    {"Frame1",         ControlKind::Frame,        "选择字母显示个数",            {96, 312, 185, 49},    {},                          std::nullopt,      nullptr,   true,   false,   6},
    {"Option1",        ControlKind::OptionButton, OptionButtons[0].caption,      {8, 24, 28, 17},       {},                          std::nullopt,      "Frame1",  true,   true,    7},
    {"Option2",        ControlKind::OptionButton, OptionButtons[1].caption,      {37, 24, 28, 17},      {},                          std::nullopt,      "Frame1",  true,   false,   8},
    {"Option3",        ControlKind::OptionButton, OptionButtons[2].caption,      {65, 24, 28, 17},      {},                          std::nullopt,      "Frame1",  true,   false,   9},
    {"Option4",        ControlKind::OptionButton, OptionButtons[3].caption,      {94, 24, 28, 17},      {},                          std::nullopt,      "Frame1",  true,   false,  10},
    {"Option5",        ControlKind::OptionButton, OptionButtons[4].caption,      {123, 24, 28, 17},     {},                          std::nullopt,      "Frame1",  true,   false,  11},
    {"Option6",        ControlKind::OptionButton, OptionButtons[5].caption,      {151, 24, 28, 17},     {},                          std::nullopt,      "Frame1",  true,   false,  12},
    {"Frame2",         ControlKind::Frame,        "选择字母显示时间",            {320, 312, 217, 49},   {},                          std::nullopt,      nullptr,   true,   false,  18},
    {"Option7",        ControlKind::OptionButton, OptionButtons[6].caption,      {16, 16, 65, 25},      {},                          std::nullopt,      "Frame2",  true,   true,   19},
    {"Option8",        ControlKind::OptionButton, OptionButtons[7].caption,      {88, 16, 49, 25},      {},                          std::nullopt,      "Frame2",  true,   false,  20},
    {"Option9",        ControlKind::OptionButton, OptionButtons[8].caption,      {152, 16, 65, 25},     {},                          std::nullopt,      "Frame2",  true,   false,  21},
}};
// clang-format on

// The stored row of a control, by its name.
constexpr const ControlSpec& StoredControl(std::string_view name) {
    for (const ControlSpec& spec : StoredControls) {
        if (spec.name == name) {
            return spec;
        }
    }
    throw std::out_of_range("no control of that name in the stored layout");
}

}  // namespace kavrel
