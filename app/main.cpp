// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Kavrel.h"
#include "app/PlatformStart.h"

int main(int argc, char* argv[]) {
    kavrel::GuardPlatformStart();
    return kavrel::RunKavrel(argc, argv);
}
