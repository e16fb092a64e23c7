// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunningMark.h"

#include <windows.h>

namespace kavrel {

void HoldRunningMark() {
    // Never closed: Windows releases the mutex when the process ends, however it ends. Should it
    // fail, Kavrel still runs; only an installer could then not tell.
    CreateMutexW(nullptr, FALSE, L"Local\\" KAVREL_APP_ID);
}

}  // namespace kavrel
