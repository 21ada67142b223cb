// Text utilities: searches, buffer operations and code scrambling.
#include "util/text.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "util/hungarian.h"
#include "util/weights.h"

namespace {

// The scrambling key. Every byte is non-zero and below 0x20, so a byte from
// 0x20 up keeps its high bits and never scrambles to zero.
constexpr std::array<unsigned char, CODE_LENGTH> codeKey = {0x13, 0x07, 0x1D, 0x0B,
                                                            0x19, 0x05, 0x11, 0x0E};

// Memory exhausted in allocBuffers: the process ends with this code.
constexpr int OUT_OF_MEMORY_EXIT = 99;

[[noreturn]] void outOfMemory() {
    std::exit(OUT_OF_MEMORY_EXIT);
}

// Texts here are far below 2 GB; positions are reported as int.
int toPosition(std::size_t p) {
    return static_cast<int>(p);
}

}  // namespace

int matchAt(const char* text, const char* needle, int n) {
    if (text == nullptr || needle == nullptr) return -1;
    int m = 0;
    while (text[m] != '\0' && needle[m] != '\0' && text[m] == needle[m]) ++m;
    return m >= n ? m : -1;
}

int findText(const char* needle, const char* text) {
    if (needle == nullptr || text == nullptr) return -1;
    const int n = toPosition(std::strlen(needle));
    for (int p = 0; text[p] != '\0'; ++p)
        if (matchAt(text + p, needle, n) >= 0) return p;
    return -1;
}

int findLast(const char* needle, const char* text) {
    if (needle == nullptr || text == nullptr) return -1;
    const std::size_t len = std::strlen(text);
    const std::size_t n = std::strlen(needle);
    if (n > len) return -1;
    for (std::size_t p = len - n + 1; p-- > 0;)
        if (std::memcmp(text + p, needle, n) == 0) return toPosition(p);
    return -1;
}

void fillBytes(char* buffer, int count, char value) {
    if (buffer == nullptr || count <= 0) return;
    std::memset(buffer, static_cast<unsigned char>(value), static_cast<std::size_t>(count));
}

int binarySearch(const void* base, int keyOffset, int keyLength, int recordSize, int lastIndex,
                 const char* key) {
    if (base == nullptr || key == nullptr || lastIndex < 0 || keyOffset < 0 || keyLength <= 0 ||
        recordSize <= 0 || keyLength > recordSize - keyOffset)
        return -1;
    const auto* records = static_cast<const char*>(base);
    const auto size = static_cast<std::size_t>(recordSize);
    const auto keyLen = static_cast<std::size_t>(keyLength);
    // Halving over low .. high. Once the range is empty every record has been
    // ruled out (the records are sorted), so the search ends there.
    int low = 0;
    int high = lastIndex;
    while (low <= high) {
        const int mid = low + (high - low) / 2;
        const char* recordKey = records + static_cast<std::size_t>(mid) * size + keyOffset;
        const int c = std::strncmp(recordKey, key, keyLen);
        if (c == 0) return mid;
        if (c < 0)
            low = mid + 1;
        else
            high = mid - 1;
    }
    return -1;
}

int compareFolded(const char* a, const char* b) {
    const unsigned char* w = ansiWeights();
    const auto* x = reinterpret_cast<const unsigned char*>(a != nullptr ? a : "");
    const auto* y = reinterpret_cast<const unsigned char*>(b != nullptr ? b : "");
    for (;; ++x, ++y) {
        if (*x == 0 || *y == 0) return (*x != 0 ? 1 : 0) - (*y != 0 ? 1 : 0);
        const int wx = w[*x];
        const int wy = w[*y];
        if (wx != wy) return wx - wy;
    }
}

int isBlank(const char* text) {
    if (text == nullptr) return 0;
    while (*text == ' ') ++text;
    return *text == '\0' ? 1 : 0;
}

int unquote(char* text) {
    if (text == nullptr) return 0;
    const std::size_t len = std::strlen(text);
    if (len < 2 || !containsChar(text[0], "\"'") || !containsChar(text[len - 1], "\"'")) return 0;
    std::memmove(text, text + 1, len - 2);
    text[len - 2] = '\0';
    return toPosition(len - 2);
}

char* insertChar(char* text, int position, char character) {
    if (text == nullptr || position < 0) return text;
    const auto at = static_cast<std::size_t>(position);
    const std::size_t len = std::strlen(text);
    if (at > len) return text;
    // The rest of the text and its terminator move one place to the right.
    std::memmove(text + at + 1, text + at, len - at + 1);
    text[at] = character;
    return text;
}

char** allocBuffers(std::size_t count, std::size_t size) {
    // The buffers are handed to the caller, who releases them with
    // freeBuffers; they are raw allocations by the nature of this interface.
    // An array too large to address cannot be had either; new[] would throw.
    if (count > PTRDIFF_MAX / sizeof(char*)) outOfMemory();
    char** buffers = new (std::nothrow) char*[count];
    if (buffers == nullptr) outOfMemory();
    for (std::size_t i = 0; i < count; ++i) {
        buffers[i] = new (std::nothrow) char[size];
        if (buffers[i] == nullptr) outOfMemory();
    }
    return buffers;
}

void freeBuffers(char** buffers, std::size_t count) {
    if (buffers == nullptr) return;
    for (std::size_t i = 0; i < count; ++i) delete[] buffers[i];
    delete[] buffers;
}

char* scrambleCode(char* text) {
    if (text == nullptr) return text;
    // Blanks are appended, so a shorter text gets its terminator at 8.
    std::size_t len = strnlen(text, CODE_LENGTH);
    if (len < CODE_LENGTH) {
        for (; len < CODE_LENGTH; ++len) text[len] = ' ';
        text[CODE_LENGTH] = '\0';
    }
    for (std::size_t i = 0; i < CODE_LENGTH; ++i)
        text[i] = static_cast<char>(static_cast<unsigned char>(text[i]) ^ codeKey[i]);
    return text;
}

char* unscrambleCode(char* text) {
    if (text == nullptr) return text;
    for (std::size_t i = 0; i < CODE_LENGTH && text[i] != '\0'; ++i)
        text[i] = static_cast<char>(static_cast<unsigned char>(text[i]) ^ codeKey[i]);
    text[CODE_LENGTH] = '\0';
    return allTrim(text);
}
