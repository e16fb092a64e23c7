// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own start-up, with its first frame reported (see FirstFrame.h).
#include "FirstFrame.h"
#include "app/Kavrel.h"

int main(int argc, char* argv[]) {
    return kavrel::RunKavrel(argc, argv, kavrel::bench::ReportFirstFrame);
}
