// Hungarian case conversion and trimming.
#include "util/hungarian.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "util/settings.h"

namespace {

using Value = std::array<char, SETTING_TEXT_MAX + 1>;
using Map = std::array<unsigned char, 256>;

// A private copy of a setting's value: the accessor's result buffer is shared
// and the next accessor call overwrites it.
Value copySetting(int index) {
    Value v{};
    const char* text = setting(index, "");
    std::size_t n = strnlen(text, SETTING_TEXT_MAX);
    std::memcpy(v.data(), text, n);
    return v;
}

// The byte map of one conversion direction. ASCII letters from `first` to
// `first` + 25 shift by `shift`. A byte from 0x80 up that stands at place k of
// `from`, among the letter-pair places that both lists hold, becomes `to`[k];
// the first such place wins. Bytes below 0x80 in the lists are ignored (ASCII
// case is fixed), and a byte that stands only after the pair places, or at a
// place the other list does not reach, stays as it is: a conversion never
// drops or adds a byte.
Map buildMap(char first, int shift, const Value& from, const Value& to) {
    Map m{};
    for (int b = 0; b < 256; ++b) m[b] = static_cast<unsigned char>(b);
    for (int b = first; b < first + 26; ++b) m[b] = static_cast<unsigned char>(b + shift);

    const std::size_t pairs =
        std::min({static_cast<std::size_t>(HUN_LETTER_PAIRS),
                  strnlen(from.data(), SETTING_TEXT_MAX), strnlen(to.data(), SETTING_TEXT_MAX)});
    for (std::size_t k = pairs; k-- > 0;) {
        auto b = static_cast<unsigned char>(from[k]);
        if (b >= 0x80) m[b] = static_cast<unsigned char>(to[k]);
    }
    return m;
}

char* convert(const char* source, char* target, const Map& m) {
    if (source == nullptr || target == nullptr) return target;
    std::size_t i = 0;
    for (; source[i] != '\0'; ++i)
        target[i] = static_cast<char>(m[static_cast<unsigned char>(source[i])]);
    target[i] = '\0';
    return target;
}

}  // namespace

char* upperHun(const char* source, char* target) {
    const Value lower = copySetting(SET_HUN_LOWER);
    const Value upper = copySetting(SET_HUN_UPPER);
    return convert(source, target, buildMap('a', -32, lower, upper));
}

char* upperHun(char* text) {
    return upperHun(text, text);
}

char* lowerHun(const char* source, char* target) {
    const Value lower = copySetting(SET_HUN_LOWER);
    const Value upper = copySetting(SET_HUN_UPPER);
    return convert(source, target, buildMap('A', 32, upper, lower));
}

char* lowerHun(char* text) {
    return lowerHun(text, text);
}

char* trimLeft(const char* source, char* target) {
    if (source == nullptr || target == nullptr) return target;
    std::size_t skip = 0;
    while (source[skip] == ' ') ++skip;
    // memmove: target may be source, and the rest moves towards the front.
    std::memmove(target, source + skip, std::strlen(source + skip) + 1);
    return target;
}

char* trimRight(const char* source, char* target) {
    if (source == nullptr || target == nullptr) return target;
    std::size_t n = std::strlen(source);
    while (n > 0 && source[n - 1] == ' ') --n;
    std::memmove(target, source, n);
    target[n] = '\0';
    return target;
}

char* allTrim(char* text) {
    return trimRight(trimLeft(text, text), text);
}

char* cutAt(char* text, int length) {
    if (text == nullptr || length < 0) return text;
    const auto n = static_cast<std::size_t>(length);
    if (strnlen(text, n) == n) text[n] = '\0';
    return text;
}

char* rightPart(char* text, int count) {
    if (text == nullptr) return text;
    const std::size_t n = std::strlen(text);
    const std::size_t take = count <= 0 ? 0 : std::min(static_cast<std::size_t>(count), n);
    return text + (n - take);
}

const char* rightPart(const char* text, int count) {
    // The text is only read; the non-const form does the arithmetic.
    return rightPart(const_cast<char*>(text), count);
}

int containsChar(int character, const char* set) {
    if (set == nullptr) return 0;
    const auto c = static_cast<unsigned char>(character);
    if (c == 0) return 0;
    return std::strchr(set, static_cast<char>(c)) != nullptr ? 1 : 0;
}
