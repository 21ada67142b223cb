// The settings table and its accessors.
#include "util/settings.h"

#include <array>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "util/numtext.h"

namespace {

struct Entry {
    char key[SETTING_TEXT_MAX + 1];
    char value[SETTING_TEXT_MAX + 1];
};

// The defaults. The two letter lists are the Hungarian accented vowels in
// Windows-1250: ö ü ó ő ú é á ű í and their capitals, position by position.
std::array<Entry, SETTING_COUNT> table = {{
    {"SET_DECIMAL", "2"},
    {"SET_DATEFORMAT", "YYYY.MM.DD"},
    {"SET_USER", ""},
    {"SET_NUMLEN", "19"},
    {"SET_SOFTSEEK", "0"},
    {"SET_DELETED", "0"},
    {"SET_HUN_LOWER", "\xF6\xFC\xF3\xF5\xFA\xE9\xE1\xFB\xED"},
    {"SET_HUN_UPPER", "\xD6\xDC\xD3\xD5\xDA\xC9\xC1\xDB\xCD"},
    {"SET_HUN_CMP", "1"},
    {"SET_CEGNEV", ""},
    {"SET_VAROS", ""},
    {"SET_UTCA", ""},
    {"SET_IRSZ", ""},
    {"SET_TELEFON", ""},
    {"SET_TELEFAX", ""},
    {"SET_ADOSZAM", ""},
    {"SET_BANKSZAM", ""},
    {"SET_PRINTER_TO", "LPT1"},
    {"SET_TOOLBARX", "42"},
    {"SET_TOOLBARY", "42"},
    {"SET_TIZEDESJEL", "."},
    {"SET_EZRESSEP", " "},
    {"SET_OEMTOANSI", "1"},
}};

char settingResult[SETTING_TEXT_MAX + 1];
char namedResult[SETTING_TEXT_MAX + 1];

// Copies the old value into `result`, then stores a non-empty new value.
char* exchange(Entry* entry, const char* newValue, char* result) {
    result[0] = '\0';
    if (entry == nullptr) return result;
    std::memcpy(result, entry->value, sizeof entry->value);
    if (newValue != nullptr && newValue[0] != '\0') {
        std::size_t n = strnlen(newValue, SETTING_TEXT_MAX);
        std::memcpy(entry->value, newValue, n);
        entry->value[n] = '\0';
    }
    return result;
}

}  // namespace

char* setting(int index, const char* newValue) {
    Entry* entry = (index >= 0 && index < SETTING_COUNT) ? &table[index] : nullptr;
    return exchange(entry, newValue, settingResult);
}

char* settingNamed(const char* name, const char* newValue) {
    Entry* entry = nullptr;
    for (auto& e : table) {
        if (name != nullptr && std::strcmp(e.key, name) == 0) {
            entry = &e;
            break;
        }
    }
    return exchange(entry, newValue, namedResult);
}

int textToInt(const char* text) {
    if (text == nullptr) return 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = (*p++ == '-');
    long long v = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        v = v * 10 + (*p - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) v = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) v = -v;
    if (v > INT_MAX) v = INT_MAX;
    return static_cast<int>(v);
}

int settingInt(int index) {
    if (index < 0 || index >= SETTING_COUNT) return 0;
    return textToInt(table[index].value);
}

bool settingIs(int index, const char* text) {
    if (index < 0 || index >= SETTING_COUNT || text == nullptr) return false;
    return std::strcmp(table[index].value, text) == 0;
}

int formatNumber(long double value, char* out) {
    out[0] = '\0';
    // Width and decimals as printf takes them from '*': a negative width
    // left-aligns, a negative precision stands for the default of six. The
    // text is the same whatever locale the application has set.
    const int width = settingInt(SET_NUMLEN);
    const int decimals = settingInt(SET_DECIMAL);
    constexpr int limit = static_cast<int>(FORMAT_NUMBER_SIZE);
    if (width > limit || width < -limit || decimals > limit) return 0;
    const std::string text = fixedText(value, width, decimals);
    if (text.empty() || text.size() >= FORMAT_NUMBER_SIZE) return 0;
    std::memcpy(out, text.c_str(), text.size() + 1);
    return static_cast<int>(text.size());
}
