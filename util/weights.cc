// The collation weight tables, built once from their exception lists.
#include "util/weights.h"

#include <array>
#include <initializer_list>

namespace {

using Table = std::array<unsigned char, 256>;

struct Fold {
    unsigned char weight;
    std::initializer_list<unsigned char> bytes;
};

Table build(std::initializer_list<Fold> folds) {
    Table t{};
    for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i);
    for (const Fold& f : folds)
        for (unsigned char b : f.bytes) t[b] = f.weight;
    return t;
}

Table range(Table t, unsigned char weight, int from, int to) {
    for (int b = from; b <= to; ++b) t[b] = weight;
    return t;
}

// Code page 852. 0x8B (o with double acute) weighs as 'i', as it always has
// in this order; stored tables are sorted by it.
const Table oem = build({
    {'a', {0x83, 0x84, 0x85, 0x86, 0xA0}},
    {'e', {0x82, 0x88, 0x89}},
    {'i', {0x8B, 0x8C, 0x8D, 0xA1}},
    {'o', {0x93, 0x94, 0x95, 0xA2}},
    {'u', {0x81, 0x96, 0x97, 0xA3, 0xFB}},
    {'A', {0x8E, 0x8F, 0xB5}},
    {'E', {0x90}},
    {'I', {0xD6}},
    {'O', {0x8A, 0x99, 0xE0}},
    {'U', {0x9A, 0xE9, 0xEB}},
});

// Windows-1250: whole ranges of the Latin-2 letter block. The capital O range
// starts at 0xD0 while the small o range starts at 0xF2.
Table buildAnsi() {
    Table t = build({});
    t = range(t, 'A', 0xC0, 0xC5);
    t = range(t, 'E', 0xC8, 0xCB);
    t = range(t, 'I', 0xCC, 0xCF);
    t = range(t, 'O', 0xD0, 0xD6);
    t = range(t, 'U', 0xD9, 0xDC);
    t = range(t, 'a', 0xE0, 0xE5);
    t = range(t, 'e', 0xE8, 0xEB);
    t = range(t, 'i', 0xEC, 0xEF);
    t = range(t, 'o', 0xF2, 0xF6);
    t = range(t, 'u', 0xF9, 0xFC);
    return t;
}
const Table ansi = buildAnsi();

}  // namespace

const unsigned char* oemWeights() {
    return oem.data();
}
const unsigned char* ansiWeights() {
    return ansi.data();
}
