// The seam to the operating system. Every system call of the library lives
// behind this header: opening and closing files, unbuffered reads and writes,
// 32-bit seeks and sizes, exclusive byte-range locks, deleting files, the
// first-file search, the clock, and the code-page tables (io/codepage.h).
// Nothing above this layer includes <fcntl.h> or calls ::open.
//
// The values and results follow the conventions the rest of the library was
// written against: 1 for success and 0 for failure, positions as unsigned
// 32-bit numbers with all bits set meaning failure, open values with the
// names GENERIC_READ, FILE_SHARE_READ, OPEN_ALWAYS and so on.
//
// Where Linux differs from what the library expects, the implementation
// (io/platform.cc) says why at the place it is handled; docs/platform.md
// gives the overview.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Access values.
inline constexpr std::uint32_t GENERIC_READ = 0x80000000u;
inline constexpr std::uint32_t GENERIC_WRITE = 0x40000000u;
// Share values; 0 asks for an exclusive open.
inline constexpr std::uint32_t FILE_SHARE_READ = 0x00000001u;
inline constexpr std::uint32_t FILE_SHARE_WRITE = 0x00000002u;
// Creation dispositions.
inline constexpr std::uint32_t CREATE_NEW = 1;
inline constexpr std::uint32_t CREATE_ALWAYS = 2;
inline constexpr std::uint32_t OPEN_EXISTING = 3;
inline constexpr std::uint32_t OPEN_ALWAYS = 4;
inline constexpr std::uint32_t TRUNCATE_EXISTING = 5;
// Flags and attributes: accepted and recorded, without effect on Linux.
inline constexpr std::uint32_t FILE_ATTRIBUTE_NORMAL = 0x00000080u;
// Reported by getFileInformation (docs/platform.md): HIDDEN for a regular file
// whose name starts with '.', SYSTEM for devices, pipes and sockets.
inline constexpr std::uint32_t FILE_ATTRIBUTE_HIDDEN = 0x00000002u;
inline constexpr std::uint32_t FILE_ATTRIBUTE_SYSTEM = 0x00000004u;
inline constexpr std::uint32_t FILE_FLAG_RANDOM_ACCESS = 0x10000000u;
// Seek methods.
inline constexpr std::uint32_t FILE_BEGIN = 0;
inline constexpr std::uint32_t FILE_CURRENT = 1;
inline constexpr std::uint32_t FILE_END = 2;
// File types reported by fileType.
inline constexpr std::uint32_t FILE_TYPE_UNKNOWN = 0;
inline constexpr std::uint32_t FILE_TYPE_DISK = 1;
inline constexpr std::uint32_t FILE_TYPE_CHAR = 2;
inline constexpr std::uint32_t FILE_TYPE_PIPE = 3;
// A failed seek or size query.
inline constexpr std::uint32_t INVALID_POSITION = 0xFFFFFFFFu;

namespace platform {

// An open file: index into the platform's handle table, 0 for none.
using Handle = std::uint32_t;
inline constexpr Handle nullHandle = 0;

// What fileInformation reports about an open file.
struct FileInformation {
    std::uint32_t attributes;    // FILE_ATTRIBUTE_NORMAL for regular files
    std::int64_t modifiedTime;   // seconds since 1970-01-01 UTC
    std::uint32_t volumeSerial;  // the device number
    std::uint32_t sizeHigh;      // bits 32..63 of the size
    std::uint32_t sizeLow;       // bits 0..31 of the size
    std::uint32_t linkCount;
    std::uint64_t fileIndex;  // the inode number
};

// Opens `name` (a '\' in it stands for '/'). Returns nullHandle on failure:
// a missing file for OPEN_EXISTING, an existing one for CREATE_NEW, access
// denied, a directory, a name with the wildcard characters '*' or '?', a file
// of 4 GiB or more, or a sharing conflict (share 0 against any other open
// handle of the file, in any process, or any open against a handle opened
// with share 0).
Handle createFile(const char* name, std::uint32_t access, std::uint32_t share,
                  std::uint32_t creation, std::uint32_t flags);
// Closes the handle and releases its locks. 0 for an unknown handle.
int closeHandle(Handle h);
// Reads up to `count` bytes at the handle's position; `*done` receives the
// number read (short only at the end of the file). Fails (0, `*done` 0) when
// another handle holds a lock on any byte of the range.
int readFile(Handle h, void* buffer, std::uint32_t count, std::uint32_t* done);
// Writes `count` bytes at the handle's position. Fails (0) when another handle
// holds a lock on any byte of the range; `*done` tells how many were written.
int writeFile(Handle h, const void* buffer, std::uint32_t count, std::uint32_t* done);
// Moves the position by `distance` from FILE_BEGIN, FILE_CURRENT or FILE_END.
// Returns the new position, or INVALID_POSITION when it would fall below 0 or
// reach 4 GiB, or for a bad handle or method; the position is then unchanged.
std::uint32_t setFilePointer(Handle h, std::int32_t distance, std::uint32_t method);
// The file's size, or INVALID_POSITION on failure.
std::uint32_t getFileSize(Handle h);
int getFileInformation(Handle h, FileInformation* info);
std::uint32_t getFileType(Handle h);
// Exclusive byte-range lock that fails at once when any byte of the range is
// locked through another handle, in this process or another, or through this
// handle itself. Locks belong to the handle.
int lockFile(Handle h, std::uint32_t offset, std::uint32_t length);
// Releases a range locked through this handle with exactly this offset and
// length; 0 when no such lock is held.
int unlockFile(Handle h, std::uint32_t offset, std::uint32_t length);
// Removes the named file. 1/0.
int deleteFile(const char* name);
// The first-file search: 1 when `pattern` (wildcards '*' and '?' allowed in
// its last component) matches an ordinary file: a regular file whose name does
// not start with '.' (hidden). Directories, devices, sockets and pipes are
// system entries and never count.
int findOrdinaryFile(const char* pattern);

// A large working buffer: `size` bytes, uninitialised, in whole pages of its
// own. The kernel is asked to back it with huge pages, so that filling a
// buffer of many megabytes costs a few page faults instead of thousands.
// `data()` is null when the memory could not be had.
class LargeBuffer {
  public:
    LargeBuffer() = default;
    explicit LargeBuffer(std::size_t size);
    ~LargeBuffer();
    LargeBuffer(LargeBuffer&& other) noexcept;
    LargeBuffer& operator=(LargeBuffer&& other) noexcept;
    LargeBuffer(const LargeBuffer&) = delete;
    LargeBuffer& operator=(const LargeBuffer&) = delete;
    unsigned char* data() const { return bytes; }
    std::size_t size() const { return length; }

  private:
    unsigned char* bytes = nullptr;
    std::size_t length = 0;
};

// While an object of this class lives, the signals that ask a process to end
// (interrupt, quit, hang-up, terminate) and SIGPIPE are held back; they are
// delivered when it is destroyed. A program wraps a rewrite of a file in one,
// so that a Ctrl-C cannot stop it half-way.
class DeferInterrupts {
  public:
    DeferInterrupts();
    ~DeferInterrupts();
    DeferInterrupts(const DeferInterrupts&) = delete;
    DeferInterrupts& operator=(const DeferInterrupts&) = delete;

  private:
    unsigned char saved[128];  // the previous signal mask
    bool active = false;
};

// The calendar date now: year (four digits), month 1-12, day 1-31.
struct CalendarDate {
    std::uint32_t year, month, day;
};
CalendarDate currentUtcDate();
CalendarDate currentLocalDate();

// Fault injection for tests: make the nth call (counted from 1 after arming)
// of an operation fail, once or from then on. Disarmed by default; `reset`
// disarms every operation.
enum class Op { open, read, write, seek, lock };
void failOperation(Op op, int nth, bool persistent = false);
void resetFaults();

// Why the last failing call of this layer failed (what GetLastError stands
// for). Only failures set it; a success leaves it as it was.
enum class Error {
    none,
    notFound,          // no such file or directory
    exists,            // CREATE_NEW on an existing file
    accessDenied,      // permissions, or a read/write the handle's access forbids
    invalidName,       // wildcard characters, empty name, name too long
    isDirectory,       // the name is a directory
    tooLarge,          // a file or position of 4 GiB or more
    sharingViolation,  // share-mode conflict with another open handle
    lockViolation,     // a byte-range lock held elsewhere (or overlapping own)
    notLocked,         // unlock of a range this handle does not hold
    badHandle,         // unknown or null handle
    invalidArgument,   // bad creation value, seek method, negative position
    diskFull,
    injected,  // a fault armed with failOperation
    ioError,   // any other system error
};
Error lastError();

}  // namespace platform
