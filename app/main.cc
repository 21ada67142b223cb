#include "app/frontend.h"

int main(int argc, char** argv) {
    return runFrontEnd(argc, argv, stdout);
}
