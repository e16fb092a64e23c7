#include "app/Kavrel.h"

int main(int argc, char* argv[]) {
    return kavrel::RunKavrel(argc, argv);
}
