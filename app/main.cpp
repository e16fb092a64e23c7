// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Kavrel.h"
#include "app/PlatformStart.h"
#ifdef _WIN32
#include "app/RunningMark.h"
#endif

int main(int argc, char* argv[]) {
#ifdef _WIN32
    kavrel::HoldRunningMark();
#endif
    kavrel::GuardPlatformStart(argc, argv);
    return kavrel::RunKavrel(argc, argv);
}
