// Field values: copying a field of the current record out as text and
// storing a caller's text in the stored form of the field's type. Neither
// touches the file; the record buffer reaches the file through a write of the
// whole record.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "date/date.h"
#include "io/codepage.h"
#include "table/dbf.h"
#include "util/numtext.h"

namespace {

// The value buffer that fieldGet fills and the scratch in which fieldPut
// builds the stored form; both serve the whole process.
char valueBuffer[FIELD_VALUE_SIZE];
char fieldScratch[FIELD_SCRATCH_SIZE];

// A number cut text holds at most this many characters.
constexpr std::size_t NUMBER_TEXT_MAX = 25;

}  // namespace

char* dbf::fieldGet(int field) {
    valueBuffer[0] = '\0';
    if (!opened || field < 0 || field >= numFields) return valueBuffer;
    const auto length = static_cast<std::size_t>(storedLength(field));
    const auto start = static_cast<std::size_t>(fieldOffsets[static_cast<std::size_t>(field)]);
    // Fields lie inside the record (checked by open) and are at most 255 long.
    std::memcpy(valueBuffer, recordBuffer.data() + start, length);
    valueBuffer[length] = '\0';
    if (oemConvert) codepage::oemToAnsi(valueBuffer);
    return valueBuffer;
}

void dbf::dateDigits(const char* text, char* out) {
    int n = 0;
    for (; text != nullptr && *text != '\0' && n < 8; ++text)
        if (*text >= '0' && *text <= '9') out[n++] = *text;
    out[n] = '\0';
}

void dbf::numberToField(int field, char* text, char* out) {
    out[0] = '\0';
    if (!opened || field < 0 || field >= numFields || text == nullptr) return;
    // A decimal number (no hexadecimal, no infinities), read and printed
    // the same whatever locale the application has set.
    const double value = static_cast<double>(parseReal(text));
    if (std::strlen(text) > NUMBER_TEXT_MAX) text[NUMBER_TEXT_MAX] = '\0';
    const FieldInfo info = *fieldInfo(field);
    const int length = info.length;
    const int decimals = info.decimals;
    // Without decimals the number is printed with six and cut at the point.
    std::string rendered = fixedText(value, length, decimals > 0 ? decimals : 6);
    if (decimals == 0) {
        // Without decimals the integer part is kept: cut at the point and
        // right-align what remains.
        rendered.erase(std::min(rendered.find('.'), rendered.size()));
        const std::size_t first = rendered.find_first_not_of(' ');
        rendered.erase(0, first == std::string::npos ? rendered.size() : first);
        if (rendered.size() < static_cast<std::size_t>(length))
            rendered.insert(0, static_cast<std::size_t>(length) - rendered.size(), ' ');
    }
    const std::size_t n = std::min(rendered.size(), FIELD_SCRATCH_SIZE - 1);
    std::memcpy(out, rendered.data(), n);
    out[n] = '\0';
}

int dbf::fieldPut(int field, char* text) {
    if (!opened || field < 0 || field >= numFields) return 0;
    static char empty[1] = "";
    if (text == nullptr) text = empty;
    const FieldInfo info = *fieldInfo(field);
    const auto length = static_cast<std::size_t>(storedLength(field));
    std::memset(fieldScratch, ' ', length);
    fieldScratch[length] = '\0';
    if (oemConvert) codepage::ansiToOem(text);

    switch (info.type) {
        case 'N':
            numberToField(field, text, fieldScratch);
            break;
        case 'L': {
            const char c = text[0];
            fieldScratch[0] = (c == 'y' || c == 'Y' || c == 't' || c == 'T') ? 'T' : 'F';
            break;
        }
        case 'D': {
            char digits[9];
            dateDigits(text, digits);
            Date date(0u);
            date = digits;
            if (date.isValid()) {
                // The date is stored as its eight digits, whatever digits
                // the caller wrote.
                std::snprintf(fieldScratch, FIELD_SCRATCH_SIZE, "%s", date.toText());
            }
            break;
        }
        case 'C': {
            const std::size_t n = strnlen(text, length);
            std::memcpy(fieldScratch, text, n);
            break;
        }
        default: {
            const std::size_t n = strnlen(text, length);
            std::memcpy(fieldScratch, text, n);
            std::memset(fieldScratch + n, '\0', length - n);
            break;
        }
    }
    // Into the record: at most the field's length, up to the scratch's first
    // zero byte, zero bytes for the rest.
    char* dest = recordBuffer.data() + fieldOffsets[static_cast<std::size_t>(field)];
    const std::size_t n = strnlen(fieldScratch, length);
    std::memcpy(dest, fieldScratch, n);
    std::memset(dest + n, '\0', length - n);
    return 1;
}

char* dbf::recordText() {
    static char empty[1] = "";
    if (!opened) return empty;
    const auto length = static_cast<std::size_t>(header.recordLength());
    recordBuffer[length] = '\0';
    if (oemConvert) codepage::oemToAnsi(recordBuffer.data() + 1);
    return recordBuffer.data() + 1;
}

int dbf::setRecordImage(char* text) {
    if (!opened || text == nullptr) return 0;
    const auto length = static_cast<std::size_t>(header.recordLength());
    text[length] = '\0';
    if (oemConvert) codepage::ansiToOem(text);
    const std::size_t n = strnlen(text, length);
    std::memcpy(recordBuffer.data(), text, n);
    std::memset(recordBuffer.data() + n, '\0', length - n);
    return 1;
}
