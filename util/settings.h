// The process-wide settings table: 23 named text values with compiled-in
// defaults, read by the parts of the library at the moment they need them.
// Nothing loads or saves it; an application changes values at run time
// through the two accessors.
#pragma once

#include <cstddef>

enum SettingId {
    SET_DECIMAL = 0,
    SET_DATEFORMAT,
    SET_USER,
    SET_NUMLEN,
    SET_SOFTSEEK,
    SET_DELETED,
    SET_HUN_LOWER,
    SET_HUN_UPPER,
    SET_HUN_CMP,
    SET_CEGNEV,
    SET_VAROS,
    SET_UTCA,
    SET_IRSZ,
    SET_TELEFON,
    SET_TELEFAX,
    SET_ADOSZAM,
    SET_BANKSZAM,
    SET_PRINTER_TO,
    SET_TOOLBARX,
    SET_TOOLBARY,
    SET_TIZEDESJEL,
    SET_EZRESSEP,
    SET_OEMTOANSI,
    SETTING_COUNT
};

// Keys and values hold at most this many characters; longer new values are
// cut to it.
inline constexpr std::size_t SETTING_TEXT_MAX = 40;

// Returns a copy of the value of entry `index` as it was before the call, in a
// process-wide buffer that the next `setting` call overwrites. A non-empty
// (non-null) newValue then replaces the value. Index out of range: the empty
// text, nothing stored.
char* setting(int index, const char* newValue = "");
// The same for the entry whose key equals `name` exactly; its own result buffer.
char* settingNamed(const char* name, const char* newValue = "");
// The integer value of a setting's text (leading spaces and a sign allowed,
// reading stops at the first non-digit, no digits give 0).
int settingInt(int index);
// True when the setting's text is exactly `text`.
bool settingIs(int index, const char* text);
// The integer value of a text, read as settings values are read.
int textToInt(const char* text);

// `out` must hold FORMAT_NUMBER_SIZE bytes.
inline constexpr std::size_t FORMAT_NUMBER_SIZE = 64;
// Formats value with SET_DECIMAL decimals, right-aligned in SET_NUMLEN
// characters (a value that needs more is not cut). Returns the length written.
// A text that would not fit in FORMAT_NUMBER_SIZE - 1 characters is refused:
// `out` becomes the empty text and the result is 0.
int formatNumber(long double value, char* out);
