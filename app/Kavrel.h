// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

class QWidget;

namespace kavrel {

// Runs the program until its window is closed and returns the exit status. `shown` is called
// once the window is shown, before the first event is dispatched.
int RunKavrel(int argc, char* argv[], const std::function<void(QWidget& window)>& shown = {});

}  // namespace kavrel
