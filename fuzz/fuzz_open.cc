// Feeds arbitrary bytes to the table engine as a table file: opening, the
// field lookups, the cursor, field values and the sort must never crash or
// touch memory out of bounds, whatever the header claims.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "table/dbf.h"

namespace {

std::string scratchPath(const char* suffix) {
    return "/tmp/tabulo-fuzz-" + std::to_string(::getpid()) + suffix;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = scratchPath(".dbf");
    const std::string target = scratchPath(".out");
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        return 0;
    }
    {
        dbf table(path.c_str());
        if (table.open()) {
            const int n = table.fieldCount();
            std::string key;
            for (int i = 0; i <= n; ++i) {
                FieldInfo info = *table.fieldInfo(i);
                table.fieldIndex(info.name);
                table.fieldOffset(i);
                table.fieldType(i);
                if (i < n && i < 3) key += std::string(key.empty() ? "" : "+") + info.name;
            }
            for (int step = 0; step < 16 && !table.eof(); ++step) {
                for (int i = 0; i < n; ++i) table.fieldGet(i);
                table.recordText();
                table.skip(1);
            }
            table.goBottom();
            table.skip(-2);
            table.goTo(3);
            if (table.lockRecord()) table.unlockFile();
            table.sort(key.c_str(), target.c_str());
            table.sort(key.c_str());
        }
    }
    std::remove(path.c_str());
    std::remove(target.c_str());
    std::remove((path.substr(0, path.size() - 1) + "T").c_str());
    return 0;
}
