// The command-line front end: checks the arguments and that the file exists,
// normalises the key, opens the table and sorts it in place. All table work is
// the library's; this file only checks, calls and reports.
#include "app/frontend.h"

#include <string>

#include "io/codepage.h"
#include "io/platform.h"
#include "table/dbf.h"

namespace {

// Exit statuses; docs/cli.md lists them.
enum Status {
    OK = 0,
    USAGE = 1,
    NOT_FOUND = 2,
    CANNOT_OPEN = 3,
    SORT_FAILED = 4,
};

}  // namespace

int runFrontEnd(int argc, char** argv, std::FILE* out) {
    std::fputs("tabulo 1.0 - sorts the records of a dBase III table in place\n", out);
    if (argc != 3) {
        std::fputs("Usage : tabulo <file name> <sort key>\n", out);
        std::fputs("  Example : tabulo sys01.dbf \"_sys01_01+ _sys01_02\"", out);
        std::fflush(out);
        return USAGE;
    }
    if (!platform::findOrdinaryFile(argv[1])) {
        std::fputs("The file is not exist.\n", out);
        std::fflush(out);
        return NOT_FOUND;
    }
    // The key without its spaces, upper-cased.
    std::string key;
    for (const char* p = argv[2]; *p != '\0'; ++p)
        if (*p != ' ') key += *p;
    codepage::upperAnsi(key.data());

    dbf table(argv[1]);
    if (!table.open()) {
        std::fputs("Can't open the file.\n", out);
        std::fflush(out);
        return CANNOT_OPEN;
    }
    int sorted;
    {
        // A Ctrl-C or a terminate request waits until the table is whole again.
        platform::DeferInterrupts hold;
        sorted = table.sort(key.c_str(), nullptr);
    }
    std::fputs(sorted ? "O.K.\n" : "The sort is unsuccesful.\n", out);
    std::fflush(out);
    return sorted ? OK : SORT_FAILED;
}
