// Case conversion that knows the Hungarian accented vowels, trimming of
// blanks, cutting a text at a length, its right end, and a character-set test.
//
// Texts are zero-terminated byte strings in Windows-1250, one byte a
// character. The accented letter pairs are not compiled in: the conversions
// read SET_HUN_LOWER and SET_HUN_UPPER at every call, so an application may
// change them at run time. Operations that produce a text write it into the
// caller's target and return it; the result is never longer than the source,
// so the target may be the source itself. Nothing here allocates or fails.
// A null text is left alone: nothing is written and it is returned as given.
// See docs/text.md for how unusual letter lists are treated.
#pragma once

// The number of places of SET_HUN_LOWER and SET_HUN_UPPER that form letter
// pairs; places after it take no part in the conversion.
inline constexpr int HUN_LETTER_PAIRS = 9;

// Upper-cases text in place: 'a'..'z' and the letters of SET_HUN_LOWER become
// their capitals, every other byte stays. Returns text.
char* upperHun(char* text);
// The same from source into target (which may be source; otherwise it must
// hold the source's length plus the terminator). Returns target.
char* upperHun(const char* source, char* target);
// Lower-cases text in place: 'A'..'Z' and the letters of SET_HUN_UPPER.
char* lowerHun(char* text);
char* lowerHun(const char* source, char* target);

// Copies source without its leading blanks (0x20 only, not tabs) into target,
// which may be source. Returns target.
char* trimLeft(const char* source, char* target);
// Copies source without its trailing blanks (0x20 only) into target, which
// may be source. Returns target.
char* trimRight(const char* source, char* target);
// Removes leading and trailing blanks of text in place. Returns text.
char* allTrim(char* text);

// Ends text at `length` characters and returns it. A text already that short
// (or a negative length) is left as it is, so nothing is written behind the
// text's own terminator. When the buffer holds no terminator within its first
// `length` bytes (a filled, unterminated buffer), the zero byte goes to
// position `length`: the caller's buffer must then hold length + 1 bytes.
char* cutAt(char* text, int length);

// The address of the last `count` characters of text: the whole text when it
// is shorter, its terminator (an empty text) for a count of 0 or less. The
// result shares the caller's buffer.
char* rightPart(char* text, int count);
const char* rightPart(const char* text, int count);

// 1 when `character`, taken as a byte, occurs in the zero-terminated set, else
// 0. The zero byte is never a member; a null set has no members.
int containsChar(int character, const char* set);
