// The table class `dbf`: one open table file in the dBase III layout (fixed
// length records behind a header that lists the fields), with its optional
// memo companion file. This header is the library's chief interface: header
// and field lookup, the record cursor, locks, field values and the sort.
//
// The file format is described in docs/table-format.md; its constants live in
// table/format.h.
//
// Results follow the library's conventions: 1 (non-zero) for success, 0 for
// failure, -1 for a failed search. Nothing here throws, prints or waits: a
// lock that another handle holds makes the request fail at once.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "io/files.h"
#include "table/format.h"
#include "util/weights.h"

// Name, type letter, length and decimals of one field, as `fieldInfo` reports
// them. One instance serves the whole process; every call overwrites it.
struct FieldInfo {
    char name[11];
    char type;
    std::int16_t length;
    std::uint8_t decimals;
};

class dbf;
// Judges the record in the table's record buffer: non-zero accepts it.
using FilterHook = int (*)(dbf& table);

class dbf {
  public:
    // Names the table file `path` and its memo file (the same path with its
    // last character replaced by 'T'). Opens nothing.
    explicit dbf(const char* path);
    ~dbf();
    dbf(const dbf&) = delete;
    dbf& operator=(const dbf&) = delete;

    // Opens the table for shared reading and writing and reads its header and
    // field descriptors. 1 on success (also when already open), 0 when the file
    // cannot be opened or is not a table this library can use safely; a refused
    // table is left byte-identical and no handle stays open.
    int open();
    // Closes both files and releases the buffers. Always 1; harmless twice.
    int close();

    // Field lookup. Field numbers count from 0.
    int fieldIndex(const char* name) const;
    FieldInfo* fieldInfo(int field) const;
    int fieldOffset(int field) const;
    char fieldType(int field) const;
    std::int16_t fieldCount() const { return numFields; }
    std::int16_t recordLength() const;
    const char* fileName() const { return tablePath.c_str(); }
    // Deletes the named file (not the table). 1/0.
    int deleteFile(const char* name);

    // The record cursor. Moves are seeks and reads of one record; the record
    // count is re-read from the file where it matters, so records that another
    // process appends become reachable.
    int readRecord(int d);
    int skip(int n = 1);
    int goTop();
    int goBottom();
    int goTo(std::int32_t n);
    int eof() const { return atEof; }
    int bof() const { return atBof; }
    std::int32_t recNo() const { return currentRecNo; }
    // The record count, re-read from the file header.
    std::int32_t recCount();
    // Writes a new record count into the header; needs the whole-file lock.
    int setRecCount(std::int32_t n);
    int isDeleted() const;
    void setFilterHook(FilterHook fn);

    // Locks: at most one at a time, the current record or the whole file.
    // A request fails at once when any byte is locked through another handle.
    int lockRecord();
    int lockFile();
    int unlockFile();

    // Field values. `fieldGet` returns the field's bytes in a process-wide
    // buffer that the next call overwrites, converted to the ANSI code page
    // when `oemConvert` is set. `fieldPut` stores a caller's text in the
    // field's stored form in the record buffer (not in the file); with
    // `oemConvert` set the caller's text is converted to OEM in place.
    char* fieldGet(int field);
    int fieldPut(int field, char* text);
    // The number formatting step of `fieldPut`: `out` must hold
    // FIELD_SCRATCH_SIZE bytes. A `text` longer than 25 characters is cut.
    void numberToField(int field, char* text, char* out);
    static void dateDigits(const char* text, char* out);
    // The current record's field bytes as one text (converted in the record
    // buffer itself when `oemConvert` is set).
    char* recordText();
    // Takes a whole record image, deletion mark first; `text` must hold at
    // least recordLength() + 1 bytes.
    int setRecordImage(char* text);

    // Sorts all records by `key` (field names joined by '+'). With a null
    // target the table file itself is rewritten behind its unchanged header;
    // otherwise `target` receives the header and the sorted records and the
    // table stays as it is. 1/0; a refused or failed sort leaves the table
    // file byte-identical.
    int sort(const char* key, const char* target = nullptr);

    // Read access to the state, for callers and tests.
    int isOpen() const { return opened; }
    int isFileLocked() const { return fileLocked; }
    std::int32_t lockedOffset() const { return lockOffset; }
    std::int32_t lockedLength() const { return lockLength; }
    std::int32_t headerLength() const;
    const char* record() const { return recordBuffer.data(); }
    const char* memoFileName() const { return memoPath.c_str(); }

    // Non-zero: texts are converted between the OEM code page of the file and
    // the ANSI code page of callers.
    std::int32_t oemConvert = 1;

  private:
    friend struct SortAccess;

    bool hidden();
    std::uint32_t recordPosition(std::int64_t recNo) const;
    void clearRecord();
    int readCurrent();
    std::int16_t storedLength(int field) const;
    void releaseFiles();

    std::int32_t opened = 0;
    std::unique_ptr<files> tableFile;
    std::unique_ptr<files> memoFile;
    TableHeader header;
    std::int16_t numFields = 0;
    std::int32_t currentRecNo = 0;
    unsigned char memoHeader[17] = {};
    std::vector<FieldDescriptor> descriptors;
    std::vector<char> recordBuffer;
    std::vector<std::int32_t> fieldOffsets;
    std::vector<char> blankRecord;
    std::int32_t atEof = 1;
    std::int32_t atBof = 1;
    std::int32_t fileLocked = 0;
    std::int32_t lockOffset = 0;
    std::int32_t lockLength = 0;
    std::string tablePath;
    std::string memoPath;
    std::vector<char> memoBuffer;
    FilterHook filterHook;
};

// The sort's comparators and key table. The comparators order two record
// images of `sortTable` by the fields of `sortKeyFields` (ended by -1); they
// are valid while a sort runs (or after `sortKeyFields` and `sortTable` were
// set by hand).
inline constexpr int SORT_KEY_MAX_FIELDS = 63;
// The process-wide buffers of the field values.
inline constexpr std::size_t FIELD_VALUE_SIZE = 256;
inline constexpr std::size_t FIELD_SCRATCH_SIZE = 257;
extern std::int32_t sortKeyFields[SORT_KEY_MAX_FIELDS + 1];
extern dbf* sortTable;
int plainKeyCompare(const void* a, const void* b);
int weightedKeyCompare(const void* a, const void* b);
