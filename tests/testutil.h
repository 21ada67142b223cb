// Shared test helpers: a scratch directory per test and a writer of table
// files in the on-disk layout, so tests build exactly the bytes they need.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace testutil {

// A fresh directory under the system's temp folder, removed with the object.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return dir; }
    std::string file(const std::string& name) const { return (dir / name).string(); }

  private:
    std::filesystem::path dir;
};

std::string readAll(const std::string& path);
void writeAll(const std::string& path, const std::string& bytes);

struct Field {
    std::string name;
    char type;
    int length;
    int decimals = 0;
};

// The bytes of a table file: header, descriptors, terminator (0x0D, plus 0x00
// when `terminatorPair`), then the records (each given without or with its
// deletion mark as `withMarks` says) and `trailer` behind them. The record
// count in the header is records.size() unless `recordCount` is given.
struct TableImage {
    std::vector<Field> fields;
    std::vector<std::string> records;  // field bytes, padded/cut to the record
    std::vector<bool> deleted;         // optional, per record
    std::string trailer;
    bool terminatorPair = true;
    std::uint8_t version = 0x03;
    std::int64_t recordCount = -1;
    std::string bytes() const;
    int recordLength() const;
    int headerLength() const;
};

// Another process that opens the table at `path` and holds a lock on its
// current record (record 1) until this object ends. `held()` tells whether it
// got the lock.
class RecordLockInOtherProcess {
  public:
    explicit RecordLockInOtherProcess(const std::string& path);
    ~RecordLockInOtherProcess();
    RecordLockInOtherProcess(const RecordLockInOtherProcess&) = delete;
    RecordLockInOtherProcess& operator=(const RecordLockInOtherProcess&) = delete;
    bool held() const { return locked; }

  private:
    int child = -1;
    int releaseFd = -1;
    bool locked = false;
};

}  // namespace testutil
