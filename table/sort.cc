// The record sort: orders all records of a table by a key of one or more
// fields, in memory, and writes them back behind the unchanged header (or to
// another file).
//
// The order is the one the two comparators define. The key of a record is the
// concatenation of its key fields' bytes, each field's piece ending at its
// length or at a zero byte; the weighted order first maps every byte through
// the weight table of the table's code page. Keys compare as unsigned byte
// strings, a key that is the beginning of another being the smaller.
//
// The sort does not call a comparator per comparison. It takes the key bytes
// twelve at a time as one number: the records are sorted by the first twelve
// key bytes with a radix sort, and every run of records that agree on them is
// sorted again by the next twelve, and so on; short runs are finished by
// insertion. Every step is stable, so records with equal keys keep their
// original order. Keys hold no zero bytes, so a zero in the last byte of a
// group means that the key ended inside it.
//
// A failed sort leaves the table file byte-identical: nothing is written
// before everything was read and sorted, and when the in-place write fails
// part-way the original record bytes are written back.
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "table/dbf.h"
#include "util/settings.h"

std::int32_t sortKeyFields[SORT_KEY_MAX_FIELDS + 1] = {-1};
dbf* sortTable = nullptr;

struct SortAccess {
    static std::int32_t offset(const dbf& t, int f) {
        return t.fieldOffsets[static_cast<std::size_t>(f)];
    }
    static std::int16_t length(const dbf& t, int f) { return t.storedLength(f); }
};

namespace {

// Longest key the sort accepts, in bytes.
constexpr std::size_t KEY_MAX = 254;
// The records are written in chunks of about this size.
constexpr std::size_t WRITE_CHUNK = 4u << 20;
// Runs up to this length are finished by insertion.
constexpr std::size_t SMALL_RUN = 32;

struct Piece {
    std::size_t offset;
    std::size_t length;
};

// Key bytes are taken twelve at a time: the first eight, big-endian, in
// `high`, the next four in `low`. The two order as the bytes do.
constexpr std::size_t GROUP = 12;
struct Group {
    std::uint64_t high;
    std::uint32_t low;
    // Keys hold no zero bytes: a zero last byte means the key ended inside.
    bool ended() const { return (low & 0xFF) == 0; }
    auto operator<=>(const Group&) const = default;
    // Byte b of the twelve, counted from the last (b = 0) to the first (11).
    unsigned byte(int b) const {
        return b < 4 ? (low >> (8 * b)) & 0xFFu
                     : static_cast<unsigned>((high >> (8 * (b - 4))) & 0xFFu);
    }
};

// The key of the records of one table: where its pieces lie and which
// weights apply (none for the plain order).
class KeyShape {
  public:
    KeyShape(std::vector<Piece> p, const unsigned char* w) : pieces(std::move(p)), weights(w) {
        // Key fields that follow each other in the record form one span.
        spanStart = pieces.empty() ? 0 : pieces.front().offset;
        spanLength = 0;
        contiguous = true;
        for (const Piece& piece : pieces) {
            if (piece.offset != spanStart + spanLength) contiguous = false;
            spanLength += piece.length;
        }
    }

    // Twelve key bytes from key position `at`, zero-padded behind the key's
    // end.
    Group group(const unsigned char* record, std::size_t at) const {
        // The usual case: the key fields lie side by side and hold no zero
        // byte, so the key is the span itself.
        if (contiguous && at + GROUP <= spanLength &&
            std::memchr(record + spanStart, 0, at + GROUP) == nullptr)
            return pack(record + spanStart + at);
        return slowGroup(record, at);
    }

    // Where the key's first field starts in the record.
    std::size_t keyStart() const { return spanStart; }

    // The first twelve key bytes, as group(record, 0), with the zero test done
    // on whole words.
    Group firstGroup(const unsigned char* record) const {
        if (contiguous && spanLength >= GROUP) {
            std::uint64_t high;
            std::uint32_t low;
            std::memcpy(&high, record + spanStart, 8);
            std::memcpy(&low, record + spanStart + 8, 4);
            if (((high - 0x0101010101010101ull) & ~high & 0x8080808080808080ull) == 0 &&
                ((low - 0x01010101u) & ~low & 0x80808080u) == 0)
                return pack(record + spanStart);
        }
        return slowGroup(record, 0);
    }

    Group slowGroup(const unsigned char* record, std::size_t at) const {
        unsigned char bytes[GROUP] = {};
        std::size_t got = 0;
        for (const Piece& piece : pieces) {
            const unsigned char* p = record + piece.offset;
            const std::size_t n = pieceLength(p, piece.length);
            if (at >= n) {
                at -= n;
                continue;
            }
            const std::size_t take = std::min(n - at, GROUP - got);
            std::memcpy(bytes + got, p + at, take);
            got += take;
            at = 0;
            if (got == GROUP) break;
        }
        // pack() weighs every byte; the padding stays zero because weights
        // map only the zero byte to zero.
        return pack(bytes);
    }

    // The whole key, at most KEY_MAX bytes.
    std::size_t build(const unsigned char* record, unsigned char* out) const {
        std::size_t k = 0;
        for (const Piece& piece : pieces) {
            const unsigned char* p = record + piece.offset;
            const std::size_t n = pieceLength(p, piece.length);
            for (std::size_t i = 0; i < n && k < KEY_MAX; ++i) out[k++] = weigh(p[i]);
        }
        return k;
    }

    // Compares the keys of two records from key position `at` on.
    int compare(const unsigned char* a, const unsigned char* b, std::size_t at) const {
        for (;; at += GROUP) {
            const Group ga = group(a, at), gb = group(b, at);
            if (ga != gb) return ga < gb ? -1 : 1;
            if (ga.ended()) return 0;
        }
    }

  private:
    // Twelve bytes, weighed, as a group.
    Group pack(const unsigned char* p) const {
        Group g{0, 0};
        for (std::size_t i = 0; i < 8; ++i) g.high = (g.high << 8) | weigh(p[i]);
        for (std::size_t i = 8; i < GROUP; ++i)
            g.low = static_cast<std::uint32_t>((g.low << 8) | weigh(p[i]));
        return g;
    }

    static std::size_t pieceLength(const unsigned char* p, std::size_t length) {
        const void* zero = std::memchr(p, 0, length);
        return zero ? static_cast<std::size_t>(static_cast<const unsigned char*>(zero) - p)
                    : length;
    }
    unsigned char weigh(unsigned char c) const { return weights ? weights[c] : c; }

    std::vector<Piece> pieces;
    const unsigned char* weights;
    std::size_t spanStart;
    std::size_t spanLength;
    bool contiguous;
};

struct Item {
    std::uint64_t high;  // the group of key bytes at the current key position
    std::uint32_t low;
    std::uint32_t index;  // record number - 1
    Group group() const { return {high, low}; }
    void setGroup(const Group& g) {
        high = g.high;
        low = g.low;
    }
};

class RecordSorter {
  public:
    RecordSorter(const KeyShape& s, const unsigned char* records, std::size_t length)
        : shape(s), area(records), recordLength(length) {}

    // `scratch` holds as many items as `items`.
    void sort(Item* items, Item* scratch, std::size_t n) { sortRange(items, scratch, n, 0); }

  private:
    const unsigned char* record(const Item& it) const {
        return area + static_cast<std::size_t>(it.index) * recordLength;
    }

    void sortRange(Item* a, Item* tmp, std::size_t n, std::size_t at) {
        if (n <= SMALL_RUN) {
            insertionSort(a, n, at);
            return;
        }
        radixSort(a, tmp, n);
        // Runs that agree on these bytes and go on behind them are sorted by
        // the next group.
        for (std::size_t i = 0; i < n;) {
            std::size_t j = i + 1;
            while (j < n && a[j].high == a[i].high && a[j].low == a[i].low) ++j;
            if (j - i > 1 && !a[i].group().ended() && at + GROUP < KEY_MAX) {
                regroup(a + i, j - i, at + GROUP);
                sortRange(a + i, tmp + i, j - i, at + GROUP);
            }
            i = j;
        }
    }

    // Takes the key bytes from `at` on for the items of a run. The records lie
    // all over the record area: ask for those a little ahead while one is read.
    void regroup(Item* a, std::size_t n, std::size_t at) {
        constexpr std::size_t AHEAD = 8;
        for (std::size_t r = 0; r < n; ++r) {
            if (r + AHEAD < n) __builtin_prefetch(record(a[r + AHEAD]) + shape.keyStart() + at);
            a[r].setGroup(shape.group(record(a[r]), at));
        }
    }

    void insertionSort(Item* a, std::size_t n, std::size_t at) {
        for (std::size_t i = 1; i < n; ++i) {
            const Item x = a[i];
            std::size_t j = i;
            while (j > 0 && less(x, a[j - 1], at)) {
                a[j] = a[j - 1];
                --j;
            }
            a[j] = x;
        }
    }

    bool less(const Item& x, const Item& y, std::size_t at) const {
        const Group gx = x.group(), gy = y.group();
        if (gx != gy) return gx < gy;
        if (gx.ended()) return false;
        return shape.compare(record(x), record(y), at + GROUP) < 0;
    }

    // Stable most-significant-digit radix sort on the groups, from byte
    // `b` down: the items are distributed by one byte into buckets, and each
    // bucket is sorted the same way by the next byte. A byte on which all
    // items of a range agree costs only its count; short buckets are
    // finished by insertion on the whole group.
    static void radixSort(Item* a, Item* tmp, std::size_t n, int b = static_cast<int>(GROUP) - 1) {
        if (n <= SMALL_RUN) {
            for (std::size_t i = 1; i < n; ++i) {
                const Item x = a[i];
                std::size_t j = i;
                for (; j > 0 && x.group() < a[j - 1].group(); --j) a[j] = a[j - 1];
                a[j] = x;
            }
            return;
        }
        std::array<std::uint32_t, 256> count{};
        for (; b >= 0; --b) {
            count.fill(0);
            for (std::size_t i = 0; i < n; ++i) ++count[a[i].group().byte(b)];
            if (count[a[0].group().byte(b)] != n) break;
        }
        if (b < 0) return;
        std::array<std::uint32_t, 256> start{};
        std::uint32_t sum = 0;
        for (std::size_t v = 0; v < 256; ++v) {
            start[v] = sum;
            sum += count[v];
        }
        for (std::size_t i = 0; i < n; ++i) tmp[start[a[i].group().byte(b)]++] = a[i];
        std::copy(tmp, tmp + n, a);
        std::size_t from = 0;
        for (std::size_t v = 0; v < 256; ++v) {
            if (count[v] > 1) radixSort(a + from, tmp + from, count[v], b - 1);
            from += count[v];
        }
    }

    const KeyShape& shape;
    const unsigned char* area;
    std::size_t recordLength;
};

// The key shape of sortTable and sortKeyFields, for the comparators.
KeyShape currentShape(const unsigned char* weights) {
    std::vector<Piece> pieces;
    for (int i = 0; i < SORT_KEY_MAX_FIELDS && sortKeyFields[i] != -1; ++i) {
        const int f = sortKeyFields[i];
        if (sortTable == nullptr || f < 0 || f >= sortTable->fieldCount()) break;
        pieces.push_back({static_cast<std::size_t>(SortAccess::offset(*sortTable, f)),
                          static_cast<std::size_t>(SortAccess::length(*sortTable, f))});
    }
    return KeyShape(std::move(pieces), weights);
}

int compareWith(const void* a, const void* b, const unsigned char* weights) {
    const KeyShape shape = currentShape(weights);
    std::array<unsigned char, KEY_MAX> ka{}, kb{};
    const std::size_t na = shape.build(static_cast<const unsigned char*>(a), ka.data());
    const std::size_t nb = shape.build(static_cast<const unsigned char*>(b), kb.data());
    const int c = std::memcmp(ka.data(), kb.data(), std::min(na, nb));
    if (c != 0) return c;
    return static_cast<int>(na) - static_cast<int>(nb);
}

const unsigned char* activeWeights() {
    return settingIs(SET_OEMTOANSI, "1") ? oemWeights() : ansiWeights();
}

// Writes the records of `area` in the order of `items`, in sequential chunks.
// `spare` is memory the caller no longer needs; the chunks are gathered in it
// when it is large enough.
bool writeSorted(files& out, const Item* items, std::size_t n, const unsigned char* area,
                 std::size_t recordLength, platform::LargeBuffer& spare) {
    constexpr std::size_t AHEAD = 16;
    const std::size_t perChunk = std::max<std::size_t>(1, WRITE_CHUNK / recordLength);
    const std::size_t chunkLength = std::min(perChunk, n) * recordLength;
    platform::LargeBuffer own;
    if (spare.size() < chunkLength) own = platform::LargeBuffer(chunkLength);
    platform::LargeBuffer& chunk = own.data() ? own : spare;
    if (chunk.data() == nullptr || chunk.size() < chunkLength) return false;
    for (std::size_t i = 0; i < n; i += perChunk) {
        const std::size_t end = std::min(n, i + perChunk);
        unsigned char* p = chunk.data();
        for (std::size_t j = i; j < end; ++j, p += recordLength) {
            // The records are gathered from all over the record area: ask for
            // the ones a little ahead while this one is copied.
            if (j + AHEAD < n) {
                const unsigned char* next =
                    area + static_cast<std::size_t>(items[j + AHEAD].index) * recordLength;
                __builtin_prefetch(next);
                __builtin_prefetch(next + recordLength - 1);
            }
            std::memcpy(p, area + static_cast<std::size_t>(items[j].index) * recordLength,
                        recordLength);
        }
        const auto bytes = static_cast<std::uint32_t>((end - i) * recordLength);
        std::uint32_t written = 0;
        if (!out.write(chunk.data(), bytes, &written) || written != bytes) return false;
    }
    return true;
}

bool writeAllBytes(files& out, const void* data, std::size_t length) {
    std::uint32_t written = 0;
    const auto bytes = static_cast<std::uint32_t>(length);
    return out.write(data, bytes, &written) && written == bytes;
}

}  // namespace

int plainKeyCompare(const void* a, const void* b) {
    return compareWith(a, b, nullptr);
}

int weightedKeyCompare(const void* a, const void* b) {
    return compareWith(a, b, activeWeights());
}

int dbf::sort(const char* key, const char* target) {
    if (!opened || key == nullptr) return 0;
    const std::int32_t count = recCount();
    if (count == 0) return 1;
    if (count < 0) return 0;

    // The key: field names joined by '+'. A part that names no field ends
    // the key there; a trailing '+' adds no part.
    int parts = 0;
    std::size_t keyLength = 0;
    for (const char* p = key; *p != '\0';) {
        const char* end = std::strchr(p, '+');
        if (end == nullptr) end = p + std::strlen(p);
        if (parts == SORT_KEY_MAX_FIELDS) return 0;
        const std::string name(p, end);
        const int f = fieldIndex(name.c_str());
        sortKeyFields[parts++] = f;
        if (f >= 0) keyLength += static_cast<std::size_t>(storedLength(f));
        p = *end == '+' ? end + 1 : end;
    }
    sortKeyFields[parts] = -1;
    if (sortKeyFields[0] == -1 || keyLength > KEY_MAX) return 0;

    if (!lockFile()) return 0;
    const std::int32_t remembered = recNo();
    const std::string oldOem = setting(SET_OEMTOANSI);
    setting(SET_OEMTOANSI, oemConvert ? "1" : "0");

    int result = 0;
    try {
        const auto headLength = static_cast<std::size_t>(header.headerLength());
        const auto recLength = static_cast<std::size_t>(header.recordLength());
        const std::size_t areaLength = static_cast<std::size_t>(count) * recLength;
        // A file that holds fewer record bytes than its count needs is refused.
        const std::uint32_t size = tableFile->size();
        if (size != INVALID_POSITION && headLength + areaLength <= size) {
            std::vector<unsigned char> head(headLength + 1);
            const auto n = static_cast<std::size_t>(count);
            platform::LargeBuffer area(areaLength);
            platform::LargeBuffer itemSpace(n * sizeof(Item));
            platform::LargeBuffer scratchSpace(n * sizeof(Item));
            std::uint32_t got = 0;
            bool ok = area.data() && itemSpace.data() && scratchSpace.data() &&
                      tableFile->seek(0, FILE_BEGIN) == 0 &&
                      tableFile->read(head.data(), static_cast<std::uint32_t>(headLength), &got) &&
                      got == headLength;
            ok = ok && tableFile->read(area.data(), static_cast<std::uint32_t>(areaLength), &got) &&
                 got == areaLength;
            if (ok) {
                sortTable = this;
                const unsigned char* weights =
                    settingIs(SET_HUN_CMP, "1") ? activeWeights() : nullptr;
                KeyShape shape = currentShape(weights);
                auto* items = reinterpret_cast<Item*>(itemSpace.data());
                for (std::size_t i = 0; i < n; ++i) {
                    const Group g = shape.firstGroup(area.data() + i * recLength);
                    items[i] = {g.high, g.low, static_cast<std::uint32_t>(i)};
                }
                RecordSorter(shape, area.data(), recLength)
                    .sort(items, reinterpret_cast<Item*>(scratchSpace.data()), n);

                if (target == nullptr) {
                    files& file = *tableFile;
                    if (file.seek(static_cast<std::int32_t>(headLength), FILE_BEGIN) ==
                        headLength) {
                        if (writeSorted(file, items, n, area.data(), recLength, scratchSpace)) {
                            result = 1;
                        } else if (file.seek(static_cast<std::int32_t>(headLength), FILE_BEGIN) ==
                                   headLength) {
                            // Put the original records back.
                            writeAllBytes(file, area.data(), areaLength);
                        }
                    }
                } else {
                    files out(target, 512);
                    if (out.open(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 OPEN_ALWAYS, FILE_FLAG_RANDOM_ACCESS | FILE_ATTRIBUTE_NORMAL) &&
                        writeAllBytes(out, head.data(), headLength) &&
                        writeSorted(out, items, n, area.data(), recLength, scratchSpace))
                        result = 1;
                    out.close();
                }
            }
        }
    } catch (const std::bad_alloc&) {
        result = 0;
    }

    goTo(remembered);
    setting(SET_OEMTOANSI, oldOem.c_str());
    unlockFile();
    return result;
}
