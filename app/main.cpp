// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Kavrel.h"

int main(int argc, char* argv[]) {
    return kavrel::RunKavrel(argc, argv);
}
