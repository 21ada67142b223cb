// Code-page conversion between the OEM code page of table files (code page
// 852) and the ANSI code page of callers (Windows-1250), and upper-casing of
// ANSI text. The tables are our own (io/codepage.cc, checked against iconv in
// io/codepage_test.cc).
//
// The conversion is a permutation of the 256 byte values: every character
// that both code pages have maps to itself, and the bytes that only one of
// them has (box drawing in 852, typographic signs in 1250) are paired among
// themselves, so that converting a text one way and back always gives it
// back, byte for byte.
#pragma once

#include <cstddef>

namespace codepage {

// In place, up to the terminating zero byte.
char* oemToAnsi(char* text);
char* ansiToOem(char* text);
// In place, exactly `length` bytes (zero bytes included).
void oemToAnsi(char* data, std::size_t length);
void ansiToOem(char* data, std::size_t length);
unsigned char oemToAnsi(unsigned char c);
unsigned char ansiToOem(unsigned char c);

// Upper-casing of Windows-1250 text: a-z and every accented lower-case letter
// of the code page; other bytes are unchanged. In place, up to the terminator.
char* upperAnsi(char* text);
unsigned char upperAnsi(unsigned char c);

}  // namespace codepage
