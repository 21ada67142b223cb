// The record cursor: one record in the record buffer, its number, and the
// end and beginning flags. Every move is a seek and a read of one record;
// nothing is cached beyond the current record. Between operations the file
// position stands directly behind the current record, at
// header length + currentRecNo * record length; the relative moves of
// readRecord rely on it.
#include <algorithm>

#include "table/dbf.h"
#include "util/settings.h"

void dbf::clearRecord() {
    std::fill(recordBuffer.begin(), recordBuffer.end(), '\0');
}

std::uint32_t dbf::recordPosition(std::int64_t recNo) const {
    std::int64_t p =
        static_cast<std::int64_t>(header.headerLength()) + recNo * header.recordLength();
    if (p < 0 || p >= static_cast<std::int64_t>(INVALID_POSITION)) return INVALID_POSITION;
    return static_cast<std::uint32_t>(p);
}

// Reads one record at the current position. A short read (a file cut inside
// its last record) leaves zero bytes for what was missing, never the previous
// record's bytes.
int dbf::readCurrent() {
    const auto length = static_cast<std::uint32_t>(header.recordLength());
    std::uint32_t got = 0;
    int result = tableFile->read(recordBuffer.data(), length, &got);
    if (!result) got = 0;
    std::fill(recordBuffer.begin() + got, recordBuffer.end(), '\0');
    return result;
}

int dbf::readRecord(int d) {
    if (!opened) return 0;
    const std::int64_t t = static_cast<std::int64_t>(currentRecNo) + d;
    const std::int32_t length = header.recordLength();
    if (t <= 1 || header.recordCount() <= 0) {
        if (currentRecNo == 1) atBof = 1;
        currentRecNo = 1;
        atEof = recCount() <= 0 ? 1 : 0;
        tableFile->seek(header.headerLength(), FILE_BEGIN);
        return readCurrent();
    }
    if (t > header.recordCount()) {
        const std::int32_t count = header.recordCount();
        tableFile->seek(static_cast<std::int32_t>(recordPosition(count - 1)), FILE_BEGIN);
        currentRecNo = count;
        atEof = 1;
        return readCurrent();
    }
    const std::uint32_t p = tableFile->tell();
    const std::uint32_t to = tableFile->seek(
        static_cast<std::int32_t>((static_cast<std::int64_t>(d) - 1) * length), FILE_CURRENT);
    if (to == INVALID_POSITION || to < static_cast<std::uint32_t>(header.headerLength())) {
        tableFile->seek(static_cast<std::int32_t>(p), FILE_BEGIN);
        return 0;
    }
    std::uint32_t got = 0;
    if (tableFile->read(recordBuffer.data(), static_cast<std::uint32_t>(length), &got) && got > 0) {
        std::fill(recordBuffer.begin() + got, recordBuffer.end(), '\0');
        atEof = 0;
        atBof = 0;
        currentRecNo = static_cast<std::int32_t>(t);
        return 1;
    }
    tableFile->seek(static_cast<std::int32_t>(p), FILE_BEGIN);
    if (tableFile->tell() == tableFile->size()) atEof = 1;
    return 0;
}

bool dbf::hidden() {
    if (settingInt(SET_DELETED) != 0 && recordBuffer[0] == format::DELETED_MARK) return true;
    return filterHook(*this) == 0;
}

int dbf::skip(int n) {
    if (!opened) return 1;
    if (n == 0) {
        readRecord(0);
        // A read that fails (bytes locked by another process, a damaged file)
        // ends the walk as the end of the table would, instead of repeating.
        while (!atEof && hidden()) {
            if (!readRecord(1)) {
                atEof = 1;
                break;
            }
        }
        return 1;
    }
    const int dir = n > 0 ? 1 : -1;
    const std::int32_t start = currentRecNo;
    for (long long i = 0, steps = n > 0 ? n : -static_cast<long long>(n); i < steps; ++i) {
        if (currentRecNo == 1 && dir == -1) {
            atBof = 1;
            return 1;
        }
        if (currentRecNo == recCount() && dir == 1) {
            atEof = 1;
            return 1;
        }
        bool moved = readRecord(dir) != 0;
        if (hidden() || !moved) {
            while (moved && !atBof && !atEof && hidden()) moved = readRecord(dir) != 0;
            if (!moved) (dir > 0 ? atEof : atBof) = 1;
            if (atBof || atEof) {
                const std::int32_t eofFlag = atEof, bofFlag = atBof;
                tableFile->seek(static_cast<std::int32_t>(recordPosition(start)), FILE_BEGIN);
                currentRecNo = start;
                skip(0);
                atEof = eofFlag;
                atBof = bofFlag;
                return 1;
            }
        }
        if (atEof) return 1;
    }
    return 1;
}

int dbf::goTop() {
    if (!opened) return 1;
    tableFile->seek(header.headerLength(), FILE_BEGIN);
    currentRecNo = 0;
    return skip(0);
}

int dbf::goBottom() {
    if (!opened) return 1;
    const std::int32_t count = std::max<std::int32_t>(header.recordCount(), 0);
    tableFile->seek(static_cast<std::int32_t>(recordPosition(count)), FILE_BEGIN);
    currentRecNo = count;
    return skip(0);
}

int dbf::goTo(std::int32_t n) {
    if (!opened) return 1;
    const std::int64_t p = static_cast<std::int64_t>(header.headerLength()) +
                           static_cast<std::int64_t>(n) * header.recordLength();
    if (p > static_cast<std::int64_t>(tableFile->size())) return goBottom();
    if (p >= 0) tableFile->seek(static_cast<std::int32_t>(p), FILE_BEGIN);
    currentRecNo = n;
    return skip(0);
}

std::int32_t dbf::recCount() {
    if (!opened) return 0;
    const std::uint32_t p = tableFile->tell();
    unsigned char bytes[4];
    std::uint32_t got = 0;
    if (tableFile->seek(4, FILE_BEGIN) == 4 && tableFile->read(bytes, 4, &got) && got == 4)
        header.setRecordCount(format::get32(bytes));
    tableFile->seek(static_cast<std::int32_t>(p), FILE_BEGIN);
    return header.recordCount();
}

int dbf::setRecCount(std::int32_t n) {
    if (!opened) return 0;
    const std::int32_t remembered = currentRecNo;
    int result = 0;
    unsigned char bytes[4];
    format::put32(bytes, n);
    std::uint32_t written = 0;
    if (fileLocked && tableFile->seek(4, FILE_BEGIN) == 4 && tableFile->write(bytes, 4, &written) &&
        written == 4) {
        header.setRecordCount(n);
        result = 1;
    }
    goTo(remembered);
    return result;
}

int dbf::isDeleted() const {
    return !recordBuffer.empty() && recordBuffer[0] == format::DELETED_MARK ? 1 : 0;
}

void dbf::setFilterHook(FilterHook fn) {
    if (fn != nullptr) filterHook = fn;
}
