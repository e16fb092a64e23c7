// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's own texts, UTF-8 encoded.
namespace kavrel::texts {

inline constexpr char StartInstruction[] = "点击“开始”，记住显示的每个字母";
inline constexpr char RecallInstruction[] = "凭记忆，依次输入刚才显示的字母";
inline constexpr char CorrectVerdict[] = "输入正确，继续下一步测试";
inline constexpr char WrongVerdict[] = "输入错误，回车重新进行当前步测试";
inline constexpr char CorrectSequenceHeading[] = "正确的字母序列应为：";

}  // namespace kavrel::texts
