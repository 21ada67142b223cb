// The table file format: the 32-byte header and the 32-byte field
// descriptors, kept as the byte images read from the file and decoded field by
// field, little-endian. docs/table-format.md draws the layout.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

namespace format {

inline constexpr int HEADER_SIZE = 32;
inline constexpr int DESCRIPTOR_SIZE = 32;
inline constexpr unsigned char VERSION_PLAIN = 0x03;  // table without memo file
inline constexpr unsigned char VERSION_MEMO = 0x83;   // table with a memo file
inline constexpr unsigned char TERMINATOR = 0x0D;     // behind the last descriptor
inline constexpr char DELETED_MARK = '*';
inline constexpr char LIVE_MARK = ' ';
inline constexpr int NAME_SIZE = 11;          // 10 characters and a zero byte
inline constexpr int MAX_NUMBER_LENGTH = 20;  // type N
inline constexpr int MAX_FIELD_LENGTH = 255;  // every other type

inline std::int16_t get16(const unsigned char* p) {
    return static_cast<std::int16_t>(p[0] | (p[1] << 8));
}
inline std::int32_t get32(const unsigned char* p) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
        (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24));
}
inline void put32(unsigned char* p, std::int32_t v) {
    auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(u >> (8 * i));
}

}  // namespace format

// The header at offset 0 of a table file.
struct TableHeader {
    std::array<unsigned char, format::HEADER_SIZE> bytes{};

    unsigned char version() const { return bytes[0]; }                     // 0, 1
    std::int32_t recordCount() const { return format::get32(&bytes[4]); }  // 4, 4
    void setRecordCount(std::int32_t n) { format::put32(&bytes[4], n); }
    std::int16_t headerLength() const { return format::get16(&bytes[8]); }   // 8, 2
    std::int16_t recordLength() const { return format::get16(&bytes[10]); }  // 10, 2
};

// One field descriptor, 32 bytes, from offset 32 on.
struct FieldDescriptor {
    std::array<unsigned char, format::DESCRIPTOR_SIZE> bytes{};

    // The name bytes (offset 0, 11 bytes); zero-terminated in a valid table.
    const char* name() const { return reinterpret_cast<const char*>(bytes.data()); }
    bool nameTerminated() const {
        return std::memchr(bytes.data(), 0, format::NAME_SIZE) != nullptr;
    }
    char type() const { return static_cast<char>(bytes[11]); }  // 11, 1
    unsigned char lengthByte() const { return bytes[16]; }      // 16, 1
    unsigned char decimalsByte() const { return bytes[17]; }    // 17, 1
    // The 16-bit signed length of a non-N field: offset 16 low, 17 high.
    std::int16_t wideLength() const { return format::get16(&bytes[16]); }
};
