#include "tests/testutil.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "table/dbf.h"

namespace testutil {

ScratchDir::ScratchDir() {
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = std::filesystem::temp_directory_path() /
                         ("tabulo-test-" + std::to_string(::getpid()) + "-" + std::to_string(rd()));
        if (std::filesystem::create_directory(candidate)) {
            dir = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create scratch directory");
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

int TableImage::recordLength() const {
    int n = 1;
    for (const auto& f : fields) n += f.length;
    return n;
}

int TableImage::headerLength() const {
    return 32 + 32 * static_cast<int>(fields.size()) + (terminatorPair ? 2 : 1);
}

static void put16(std::string& s, std::size_t at, int v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

std::string TableImage::bytes() const {
    std::string s(32, '\0');
    s[0] = static_cast<char>(version);
    s[1] = 26;
    s[2] = 12;
    s[3] = 11;
    std::int64_t count = recordCount >= 0 ? recordCount : static_cast<std::int64_t>(records.size());
    for (int i = 0; i < 4; ++i) s[4 + i] = static_cast<char>((count >> (8 * i)) & 0xFF);
    put16(s, 8, headerLength());
    put16(s, 10, recordLength());
    int offset = 1;
    for (const auto& f : fields) {
        std::string d(32, '\0');
        std::memcpy(d.data(), f.name.data(), std::min<std::size_t>(f.name.size(), 11));
        d[11] = f.type;
        for (int i = 0; i < 4; ++i) d[12 + i] = static_cast<char>((offset >> (8 * i)) & 0xFF);
        d[16] = static_cast<char>(f.length & 0xFF);
        d[17] = static_cast<char>(f.type == 'N' ? f.decimals : (f.length >> 8) & 0xFF);
        s += d;
        offset += f.length;
    }
    s += '\x0D';
    if (terminatorPair) s += '\0';
    int len = recordLength();
    for (std::size_t i = 0; i < records.size(); ++i) {
        std::string r = records[i];
        r.resize(static_cast<std::size_t>(len - 1), ' ');
        bool del = i < deleted.size() && deleted[i];
        s += (del ? '*' : ' ');
        s += r;
    }
    s += trailer;
    return s;
}

RecordLockInOtherProcess::RecordLockInOtherProcess(const std::string& path) {
    int ready[2], release[2];
    if (pipe(ready) != 0) return;
    if (pipe(release) != 0) {
        ::close(ready[0]);
        ::close(ready[1]);
        return;
    }
    child = fork();
    if (child == 0) {
        dbf other(path.c_str());
        char c = other.open() && other.lockRecord() ? '1' : '0';
        (void)!write(ready[1], &c, 1);
        (void)!read(release[0], &c, 1);
        _exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    char c = 0;
    locked = child > 0 && read(ready[0], &c, 1) == 1 && c == '1';
    ::close(ready[0]);
    releaseFd = release[1];
}

RecordLockInOtherProcess::~RecordLockInOtherProcess() {
    if (releaseFd >= 0) {
        const char c = 'x';
        (void)!write(releaseFd, &c, 1);
        ::close(releaseFd);
    }
    if (child > 0) waitpid(child, nullptr, 0);
}

}  // namespace testutil
