// The tool, with the comparison order chosen on the command line:
//   bench_tabulo <hungarian|plain> <file name> <sort key>
#include <cstring>

#include "app/frontend.h"
#include "util/settings.h"

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    setting(SET_HUN_CMP, std::strcmp(argv[1], "plain") == 0 ? "0" : "1");
    argv[1] = argv[0];
    return runFrontEnd(argc - 1, argv + 1, stdout);
}
