// Code page 852 <-> Windows-1250 and Windows-1250 upper-casing, from tables of
// our own (io/codepage_tables.inc, generated once by scripts/gen_codepage.py
// from Python's codecs and checked against iconv in io/codepage_test.cc).
//
// Linux has no OemToCharA/CharToOemA/CharUpperA. The original platform's
// conversion maps the box-drawing characters of 852 to look-alikes ("best
// fit") and so loses information; ours is a permutation instead: the
// characters both code pages have map to each other, and the leftovers are
// paired in ascending order, so any byte string survives a round trip.
#include "io/codepage.h"

namespace {
#include "io/codepage_tables.inc"
}  // namespace

namespace codepage {

unsigned char oemToAnsi(unsigned char c) {
    return kOemToAnsi[c];
}
unsigned char ansiToOem(unsigned char c) {
    return kAnsiToOem[c];
}
unsigned char upperAnsi(unsigned char c) {
    return kUpperAnsi[c];
}

namespace {
char* mapText(char* text, const unsigned char* table) {
    if (text == nullptr) return text;
    for (char* p = text; *p != '\0'; ++p)
        *p = static_cast<char>(table[static_cast<unsigned char>(*p)]);
    return text;
}
void mapData(char* data, std::size_t length, const unsigned char* table) {
    if (data == nullptr) return;
    for (std::size_t i = 0; i < length; ++i)
        data[i] = static_cast<char>(table[static_cast<unsigned char>(data[i])]);
}
}  // namespace

char* oemToAnsi(char* text) {
    return mapText(text, kOemToAnsi);
}
char* ansiToOem(char* text) {
    return mapText(text, kAnsiToOem);
}
void oemToAnsi(char* data, std::size_t length) {
    mapData(data, length, kOemToAnsi);
}
void ansiToOem(char* data, std::size_t length) {
    mapData(data, length, kAnsiToOem);
}
char* upperAnsi(char* text) {
    return mapText(text, kUpperAnsi);
}

}  // namespace codepage
