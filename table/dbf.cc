// The table object: construction, open and close, and the field lookups.
#include "table/dbf.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "util/settings.h"

namespace {

// The one FieldInfo record of the process.
FieldInfo fieldInfoResult;

// Line buffer size of the table's file objects.
constexpr int LINE_BUFFER = 512;
// The memo buffer of a table with a memo file.
constexpr std::size_t MEMO_BUFFER_SIZE = 64000;

int acceptAll(dbf&) {
    return 1;
}

bool equalIgnoringAsciiCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        unsigned char ca = static_cast<unsigned char>(*a);
        unsigned char cb = static_cast<unsigned char>(*b);
        if (ca >= 'a' && ca <= 'z') ca = static_cast<unsigned char>(ca - 32);
        if (cb >= 'a' && cb <= 'z') cb = static_cast<unsigned char>(cb - 32);
        if (ca != cb) return false;
        if (ca == 0) return true;
    }
}

}  // namespace

dbf::dbf(const char* path) : tablePath(path ? path : ""), filterHook(acceptAll) {
    memoPath = tablePath;
    if (!memoPath.empty()) memoPath.back() = 'T';
    tableFile = std::make_unique<files>(tablePath.c_str(), LINE_BUFFER);
    memoFile = std::make_unique<files>(memoPath.c_str(), LINE_BUFFER);
    memoBuffer.assign(1, '\0');
    oemConvert = settingInt(SET_OEMTOANSI);
}

dbf::~dbf() {
    if (tableFile) close();
    // The sort's comparators must not reach a table that is gone.
    if (sortTable == this) sortTable = nullptr;
}

void dbf::releaseFiles() {
    if (tableFile) tableFile->close();
    if (memoFile) memoFile->close();
}

int dbf::open() {
    if (opened) return 1;
    if (!tableFile) return 0;
    // The table must exist: a missing path cannot become a table, so it is not
    // created (an empty file left behind would be all that came of it).
    if (!tableFile->open(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         OPEN_EXISTING, FILE_FLAG_RANDOM_ACCESS | FILE_ATTRIBUTE_NORMAL))
        return 0;

    auto refuse = [this] {
        releaseFiles();
        return 0;
    };

    std::uint32_t got = 0;
    TableHeader head;
    if (!tableFile->read(head.bytes.data(), format::HEADER_SIZE, &got) ||
        got != format::HEADER_SIZE)
        return refuse();
    if (head.version() != format::VERSION_PLAIN && head.version() != format::VERSION_MEMO)
        return refuse();

    // Nothing read from the file is trusted as a size until it is checked
    // against what the file holds.
    const std::uint32_t fileSize = tableFile->size();
    const std::int32_t headLength = head.headerLength();
    const std::int32_t recLength = head.recordLength();
    if (fileSize == INVALID_POSITION || headLength < format::HEADER_SIZE ||
        static_cast<std::uint32_t>(headLength) > fileSize || recLength < 1)
        return refuse();

    const int count = (headLength - format::HEADER_SIZE) / format::DESCRIPTOR_SIZE;
    std::vector<FieldDescriptor> descs(static_cast<std::size_t>(count));
    for (auto& d : descs) {
        if (!tableFile->read(d.bytes.data(), format::DESCRIPTOR_SIZE, &got) ||
            got != format::DESCRIPTOR_SIZE)
            return refuse();
    }

    std::vector<std::int32_t> offsets(static_cast<std::size_t>(count));
    std::int32_t next = 1;
    for (int i = 0; i < count; ++i) {
        const FieldDescriptor& d = descs[static_cast<std::size_t>(i)];
        std::int32_t length;
        if (d.type() == 'N') {
            length = d.lengthByte();
            if (length > format::MAX_NUMBER_LENGTH) return refuse();
        } else {
            length = d.wideLength();
            if (length < 0 || length > format::MAX_FIELD_LENGTH) return refuse();
        }
        if (!d.nameTerminated()) return refuse();
        offsets[static_cast<std::size_t>(i)] = next;
        next += length;
    }
    // Every field must lie inside the record.
    if (next > recLength) return refuse();

    if (head.version() == format::VERSION_MEMO) {
        if (!memoFile->open(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            OPEN_ALWAYS, FILE_FLAG_RANDOM_ACCESS | FILE_ATTRIBUTE_NORMAL))
            return refuse();
        memoBuffer.assign(MEMO_BUFFER_SIZE, '\0');
    }

    header = head;
    numFields = static_cast<std::int16_t>(count);
    descriptors = std::move(descs);
    fieldOffsets = std::move(offsets);
    recordBuffer.assign(static_cast<std::size_t>(recLength) + 1, '\0');
    blankRecord.assign(static_cast<std::size_t>(recLength) + 1, '\0');
    std::fill_n(blankRecord.begin(), recLength, format::LIVE_MARK);
    opened = 1;
    // Behind the descriptors stand the terminator pair that creation writes.
    tableFile->seek(2, FILE_CURRENT);

    if (header.recordCount() <= 0) {
        clearRecord();
        currentRecNo = 0;
        atEof = 1;
        atBof = 1;
    } else {
        goTop();
    }
    return 1;
}

int dbf::close() {
    if (!tableFile) return 1;
    releaseFiles();
    tableFile.reset();
    memoFile.reset();
    recordBuffer.clear();
    blankRecord.clear();
    descriptors.clear();
    fieldOffsets.clear();
    tablePath.clear();
    memoPath.clear();
    memoBuffer.clear();
    numFields = 0;
    opened = 0;
    atEof = 0;
    atBof = 0;
    fileLocked = 0;
    lockLength = 0;
    return 1;
}

int dbf::fieldIndex(const char* name) const {
    if (name == nullptr) return -1;
    for (int i = 0; i < numFields; ++i)
        if (equalIgnoringAsciiCase(descriptors[static_cast<std::size_t>(i)].name(), name)) return i;
    return -1;
}

std::int16_t dbf::storedLength(int field) const {
    const FieldDescriptor& d = descriptors[static_cast<std::size_t>(field)];
    return d.type() == 'N' ? static_cast<std::int16_t>(d.lengthByte()) : d.wideLength();
}

FieldInfo* dbf::fieldInfo(int field) const {
    fieldInfoResult = FieldInfo{};
    if (field < 0 || field >= numFields) return &fieldInfoResult;
    const FieldDescriptor& d = descriptors[static_cast<std::size_t>(field)];
    std::memcpy(fieldInfoResult.name, d.name(), format::NAME_SIZE);
    fieldInfoResult.name[format::NAME_SIZE - 1] = '\0';
    fieldInfoResult.type = d.type();
    fieldInfoResult.length = d.lengthByte();
    fieldInfoResult.decimals = d.type() == 'N' ? d.decimalsByte() : 0;
    return &fieldInfoResult;
}

int dbf::fieldOffset(int field) const {
    if (field < 0 || field >= numFields) return -1;
    return fieldOffsets[static_cast<std::size_t>(field)];
}

char dbf::fieldType(int field) const {
    if (field < 0 || field >= numFields) return 0;
    return descriptors[static_cast<std::size_t>(field)].type();
}

std::int16_t dbf::recordLength() const {
    return header.recordLength();
}

std::int32_t dbf::headerLength() const {
    return header.headerLength();
}

int dbf::deleteFile(const char* name) {
    return name ? platform::deleteFile(name) : 0;
}
