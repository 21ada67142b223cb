// Record and file locks. A table holds at most one lock at a time: the bytes
// of the current record (deletion mark included) or the whole file as it
// stands. The locks are the file layer's exclusive byte-range locks: a request
// fails at once when any byte of the range is locked through another handle,
// and while a lock is held other handles can neither read nor write the bytes.
#include "table/dbf.h"

int dbf::lockRecord() {
    if (!opened || lockLength != 0) return 0;
    const std::int64_t start = static_cast<std::int64_t>(tableFile->tell()) - header.recordLength();
    if (start < header.headerLength()) return 0;  // no current record to lock
    lockOffset = static_cast<std::int32_t>(start);
    lockLength = header.recordLength();
    int result = tableFile->lock(static_cast<std::uint32_t>(lockOffset),
                                 static_cast<std::uint32_t>(lockLength));
    if (!result) lockLength = 0;
    return result;
}

int dbf::lockFile() {
    if (!opened || lockLength != 0) return 0;
    const std::uint32_t size = tableFile->size();
    if (size == INVALID_POSITION || size > 0x7FFFFFFFu) return 0;
    lockOffset = 0;
    lockLength = static_cast<std::int32_t>(size);
    if (!tableFile->lock(0, size)) {
        lockLength = 0;
        return 0;
    }
    fileLocked = 1;
    return 1;
}

int dbf::unlockFile() {
    if (!opened) return 0;
    int result = tableFile->unlock(static_cast<std::uint32_t>(lockOffset),
                                   static_cast<std::uint32_t>(lockLength));
    lockLength = 0;
    fileLocked = 0;
    return result;
}
