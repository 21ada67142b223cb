// The operating-system layer on Linux: what the library expects of the Win32
// file services (CreateFileA, ReadFile, WriteFile, SetFilePointer, LockFile,
// FindFirstFile, ...), written from those expectations with POSIX calls.
// docs/platform.md gives the overview; the comments marked "Linux:" below say
// where and why the behaviour has to be built rather than passed through.
#include "io/platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <vector>

namespace platform {
namespace {

// ---------------------------------------------------------------------------
// Last error and the one errno mapping.

Error gLastError = Error::none;

int fail(Error e) {
    gLastError = e;
    return 0;
}

// The only place where errno values become results.
Error fromErrno(int err) {
    switch (err) {
        case ENOENT:
        case ENOTDIR:
            return Error::notFound;
        case EEXIST:
            return Error::exists;
        case EACCES:
        case EPERM:
        case EROFS:
        case ETXTBSY:
            return Error::accessDenied;
        case EISDIR:
            return Error::isDirectory;
        case ENAMETOOLONG:
        case ELOOP:
            return Error::invalidName;
        case EFBIG:
        case EOVERFLOW:
            return Error::tooLarge;
        case ENOSPC:
        case EDQUOT:
            return Error::diskFull;
        case EINVAL:
        case ESPIPE:
            return Error::invalidArgument;
        case EBADF:
            return Error::badHandle;
        default:
            return Error::ioError;
    }
}

int failErrno() {
    return fail(fromErrno(errno));
}

// ---------------------------------------------------------------------------
// Fault injection. Disarmed, the check is one load of a bool.

struct Fault {
    bool armed = false;
    bool persistent = false;
    int nth = 0;
    int calls = 0;
};
constexpr int kOpCount = 5;
Fault gFaults[kOpCount];
bool gAnyArmed = false;

bool injected(Op op) {
    if (!gAnyArmed) return false;
    Fault& f = gFaults[static_cast<int>(op)];
    if (!f.armed) return false;
    ++f.calls;
    if (f.calls == f.nth || (f.persistent && f.calls > f.nth)) {
        gLastError = Error::injected;
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// The handle table.

struct Range {
    std::uint32_t offset;
    std::uint32_t length;
};

struct Entry {
    int fd = -1;  // -1: free slot
    std::uint32_t access = 0;
    std::uint32_t share = 0;
    bool regular = false;
    bool hidden = false;
    pid_t owner = 0;           // the process that opened it (see closeHandle)
    std::vector<Range> locks;  // byte ranges locked through this handle
};

// Index 0 is the null handle and never used.
std::vector<Entry>& table() {
    static std::vector<Entry> t(1);
    return t;
}

Entry* lookup(Handle h) {
    auto& t = table();
    if (h == nullHandle || h >= t.size() || t[h].fd < 0) {
        fail(Error::badHandle);
        return nullptr;
    }
    return &t[h];
}

Handle addEntry(Entry e) {
    auto& t = table();
    for (std::size_t i = 1; i < t.size(); ++i) {
        if (t[i].fd < 0) {
            t[i] = std::move(e);
            return static_cast<Handle>(i);
        }
    }
    t.push_back(std::move(e));
    return static_cast<Handle>(t.size() - 1);
}

constexpr std::int64_t k4GiB = std::int64_t{1} << 32;

// Linux: the share modes are emulated with an open file description lock on
// one byte far beyond any offset a 32-bit file can use. Every open with a
// share value other than 0 holds a read lock there, an exclusive open (share
// 0) a write lock, so an exclusive open conflicts with every other open of
// the file through this layer, in this process or another, and vice versa.
// Open file description (OFD) locks belong to the open file, not to the
// process, so two handles of one process conflict as two processes do.
constexpr off_t kShareSentinel = off_t{1} << 62;

struct flock makeLock(short type, std::int64_t start, std::int64_t length) {
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(start);
    fl.l_len = static_cast<off_t>(length);
    fl.l_pid = 0;  // required for OFD locks
    return fl;
}

// 1 when another open file description holds a lock that conflicts with a
// lock of `type` on the range, 0 when none does, -1 on error.
int conflicts(int fd, short type, std::int64_t start, std::int64_t length) {
    struct flock fl = makeLock(type, start, length);
    if (::fcntl(fd, F_OFD_GETLK, &fl) != 0) return -1;
    return fl.l_type != F_UNLCK ? 1 : 0;
}

// Linux: on the original platform a byte-range lock also stops every other
// handle from reading and writing the locked bytes; POSIX locks are advisory
// and stop nothing. So before each transfer we ask whether another handle
// holds a lock over any byte of it (F_OFD_GETLK with a write-lock probe sees
// every lock of every other open file description; our own never conflict).
bool rangeLockedElsewhere(const Entry& e, std::int64_t start, std::int64_t length) {
    if (!e.regular || length <= 0) return false;
    return conflicts(e.fd, F_WRLCK, start, length) != 0;  // an error counts as locked
}

// The name with '\' read as '/'. Fails for a null or empty name and, unless
// `wildcardsAllowed`, for the wildcard characters '*' and '?', which are not
// allowed in file names on the original platform: a name carrying them must
// never create a file.
bool translateName(const char* name, std::string& path, bool wildcardsAllowed) {
    if (name == nullptr || *name == '\0') return fail(Error::invalidName) != 0;
    path = name;
    for (char& c : path) {
        if (c == '\\') c = '/';
        if (!wildcardsAllowed && (c == '*' || c == '?')) return fail(Error::invalidName) != 0;
    }
    return true;
}

bool hiddenName(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    return start < path.size() && path[start] == '.';
}

// Opens with `extra` flags. Linux: the descriptor is opened for reading and
// writing whenever the permissions allow, whatever the access asked for,
// because OFD locks need it: a write lock (byte-range locks, the exclusive
// share sentinel) needs a descriptor open for writing and a read lock one
// open for reading, while Win32 locks work on any handle. The access asked
// for is enforced by readFile and writeFile themselves. When the permissions
// refuse read-write, the descriptor is opened with the access asked for.
// O_NONBLOCK keeps the open of a FIFO from waiting for its other end.
int openFd(const std::string& path, int extra, bool wantRead, bool wantWrite) {
    const int common = O_CLOEXEC | O_NOCTTY | O_NONBLOCK | extra;
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | common, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0) return fd;
    if (wantRead && wantWrite) return -1;
    if (errno != EACCES && errno != EPERM && errno != EROFS && errno != ETXTBSY) return -1;
    const int mode = wantWrite ? O_WRONLY : O_RDONLY;
    do {
        fd = ::open(path.c_str(), mode | common, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// The calendar date of a broken-down time.
CalendarDate toDate(const struct tm& t) {
    return CalendarDate{static_cast<std::uint32_t>(t.tm_year + 1900),
                        static_cast<std::uint32_t>(t.tm_mon + 1),
                        static_cast<std::uint32_t>(t.tm_mday)};
}

// Matches `name` against `pattern` with '*' (any run of characters) and '?'
// (any one character) only; every other character, '[' included, stands for
// itself. Case-sensitive, as Linux file names are.
bool wildcardMatch(const char* pattern, const char* name) {
    const char* starP = nullptr;
    const char* starN = nullptr;
    while (*name != '\0') {
        if (*pattern == '*') {
            starP = ++pattern;
            starN = name;
        } else if (*pattern == '?' || *pattern == *name) {
            ++pattern;
            ++name;
        } else if (starP != nullptr) {
            pattern = starP;
            name = ++starN;
        } else {
            return false;
        }
    }
    while (*pattern == '*') ++pattern;
    return *pattern == '\0';
}

// Linux: what counts as an ordinary file. The original search admits files
// without the hidden and system attributes. Here a hidden file is one whose
// name starts with '.', the Unix convention; system entries are everything
// that is not a regular file: directories, devices, FIFOs and sockets.
// Symbolic links are followed: a link to a regular file counts.
bool ordinaryFile(const std::string& path, const char* name) {
    if (name[0] == '.') return false;
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

Error lastError() {
    return gLastError;
}

// ---------------------------------------------------------------------------

Handle createFile(const char* name, std::uint32_t access, std::uint32_t share,
                  std::uint32_t creation, std::uint32_t flags) {
    (void)flags;  // FILE_FLAG_RANDOM_ACCESS and the attributes have no effect here
    if (injected(Op::open)) return nullHandle;
    std::string path;
    if (!translateName(name, path, false)) return nullHandle;
    const bool wantRead = (access & GENERIC_READ) != 0;
    const bool wantWrite = (access & GENERIC_WRITE) != 0;
    bool mayCreate = false, truncate = false;
    switch (creation) {
        case CREATE_NEW:
        case OPEN_ALWAYS:
            mayCreate = true;
            break;
        case CREATE_ALWAYS:
            mayCreate = truncate = true;
            break;
        case OPEN_EXISTING:
            break;
        case TRUNCATE_EXISTING:
            if (!wantWrite) return fail(Error::invalidArgument);
            truncate = true;
            break;
        default:
            return fail(Error::invalidArgument);
    }

    // Open an existing file first and create only when there is none, with
    // O_EXCL, so that we know whether this call created the file: a refused
    // open must remove a file it created and leave any other file untouched.
    int fd = -1;
    bool created = false;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        if (creation != CREATE_NEW) {
            fd = openFd(path, 0, wantRead, wantWrite);
            if (fd >= 0) break;
            if (errno != ENOENT || !mayCreate) return failErrno();
        }
        fd = openFd(path, O_CREAT | O_EXCL, wantRead, wantWrite);
        if (fd >= 0) {
            created = true;
            break;
        }
        if (errno != EEXIST || creation == CREATE_NEW) return failErrno();
        // Another process created it between the two calls: open it.
    }
    if (fd < 0) return fail(Error::ioError);

    auto refuse = [&](Error e) -> Handle {
        ::close(fd);
        if (created) ::unlink(path.c_str());
        return fail(e);
    };

    struct stat st;
    if (::fstat(fd, &st) != 0) return refuse(fromErrno(errno));
    if (S_ISDIR(st.st_mode)) return refuse(Error::isDirectory);
    const bool regular = S_ISREG(st.st_mode);

    if (regular) {
        // Share-mode check (see kShareSentinel) before anything changes the file.
        const short type = share == 0 ? F_WRLCK : F_RDLCK;
        struct flock fl = makeLock(type, kShareSentinel, 1);
        if (::fcntl(fd, F_OFD_SETLK, &fl) != 0) {
            if (errno == EAGAIN || errno == EACCES) return refuse(Error::sharingViolation);
            if (errno != EBADF) return refuse(fromErrno(errno));
            // Linux: a descriptor the permissions let us open only read-only
            // (or write-only) cannot hold a lock of the other kind. Check for
            // a conflict at least, and go on without holding the sentinel.
            if (conflicts(fd, type, kShareSentinel, 1) != 0) return refuse(Error::sharingViolation);
        }
        if (truncate && !created && st.st_size != 0) {
            if (::ftruncate(fd, 0) != 0) return refuse(fromErrno(errno));
            st.st_size = 0;
        }
        // Positions and sizes are 32-bit: larger files are refused.
        if (st.st_size >= k4GiB) return refuse(Error::tooLarge);
    } else {
        // Devices and pipes: blocking transfers as usual; no share emulation.
        int fl = ::fcntl(fd, F_GETFL);
        if (fl != -1) ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK);
    }

    Entry e;
    e.fd = fd;
    e.access = access;
    e.share = share;
    e.regular = regular;
    e.hidden = hiddenName(path);
    e.owner = ::getpid();
    return addEntry(std::move(e));
}

int closeHandle(Handle h) {
    Entry* e = lookup(h);
    if (e == nullptr) return 0;
    // Linux: OFD locks go away only when the last descriptor of the open file
    // is closed; a child created by fork() shares it. Release this handle's
    // locks (and the share sentinel) explicitly, but only in the process that
    // opened it, so that a child closing an inherited handle cannot release
    // its parent's locks.
    if (e->owner == ::getpid()) {
        struct flock fl = makeLock(F_UNLCK, 0, 0);
        ::fcntl(e->fd, F_OFD_SETLK, &fl);
    }
    int rc = ::close(e->fd);
    e->fd = -1;
    e->locks.clear();
    if (rc != 0 && errno != EINTR) return failErrno();
    return 1;
}

int readFile(Handle h, void* buffer, std::uint32_t count, std::uint32_t* done) {
    if (done != nullptr) *done = 0;
    Entry* e = lookup(h);
    if (e == nullptr) return 0;
    if (injected(Op::read)) return 0;
    if ((e->access & GENERIC_READ) == 0) return fail(Error::accessDenied);
    if (count == 0) return 1;
    if (buffer == nullptr) return fail(Error::invalidArgument);
    if (e->regular) {
        off_t pos = ::lseek(e->fd, 0, SEEK_CUR);
        struct stat st;
        if (pos < 0 || ::fstat(e->fd, &st) != 0) return failErrno();
        // At the end of the file only the bytes that exist are checked.
        std::int64_t end = std::min<std::int64_t>(pos + std::int64_t{count}, st.st_size);
        if (rangeLockedElsewhere(*e, pos, end - pos)) return fail(Error::lockViolation);
    }
    auto* p = static_cast<char*>(buffer);
    std::uint32_t total = 0;
    while (total < count) {
        ssize_t n = ::read(e->fd, p + total, count - total);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (done != nullptr) *done = total;
            return failErrno();
        }
        if (n == 0) break;  // end of file
        total += static_cast<std::uint32_t>(n);
    }
    if (done != nullptr) *done = total;
    return 1;
}

int writeFile(Handle h, const void* buffer, std::uint32_t count, std::uint32_t* done) {
    if (done != nullptr) *done = 0;
    Entry* e = lookup(h);
    if (e == nullptr) return 0;
    if (injected(Op::write)) return 0;
    if ((e->access & GENERIC_WRITE) == 0) return fail(Error::accessDenied);
    if (count == 0) return 1;
    if (buffer == nullptr) return fail(Error::invalidArgument);
    if (e->regular) {
        off_t pos = ::lseek(e->fd, 0, SEEK_CUR);
        if (pos < 0) return failErrno();
        if (pos + std::int64_t{count} >= k4GiB) return fail(Error::tooLarge);
        if (rangeLockedElsewhere(*e, pos, count)) return fail(Error::lockViolation);
    }
    const auto* p = static_cast<const char*>(buffer);
    std::uint32_t total = 0;
    while (total < count) {
        ssize_t n = ::write(e->fd, p + total, count - total);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (done != nullptr) *done = total;
            return failErrno();
        }
        if (n == 0) {
            if (done != nullptr) *done = total;
            return fail(Error::diskFull);
        }
        total += static_cast<std::uint32_t>(n);
    }
    if (done != nullptr) *done = total;
    return 1;
}

std::uint32_t setFilePointer(Handle h, std::int32_t distance, std::uint32_t method) {
    Entry* e = lookup(h);
    if (e == nullptr) return INVALID_POSITION;
    if (injected(Op::seek)) return INVALID_POSITION;
    std::int64_t base;
    switch (method) {
        case FILE_BEGIN:
            base = 0;
            break;
        case FILE_CURRENT: {
            off_t pos = ::lseek(e->fd, 0, SEEK_CUR);
            if (pos < 0) return failErrno(), INVALID_POSITION;
            base = pos;
            break;
        }
        case FILE_END: {
            struct stat st;
            if (::fstat(e->fd, &st) != 0) return failErrno(), INVALID_POSITION;
            base = st.st_size;
            break;
        }
        default:
            return fail(Error::invalidArgument), INVALID_POSITION;
    }
    const std::int64_t target = base + distance;
    if (target < 0) return fail(Error::invalidArgument), INVALID_POSITION;
    // 0xFFFFFFFF is refused too: as a result it could not be told from failure.
    if (target >= std::int64_t{INVALID_POSITION}) return fail(Error::tooLarge), INVALID_POSITION;
    if (::lseek(e->fd, static_cast<off_t>(target), SEEK_SET) < 0)
        return failErrno(), INVALID_POSITION;
    return static_cast<std::uint32_t>(target);
}

std::uint32_t getFileSize(Handle h) {
    Entry* e = lookup(h);
    if (e == nullptr) return INVALID_POSITION;
    struct stat st;
    if (::fstat(e->fd, &st) != 0) return failErrno(), INVALID_POSITION;
    if (st.st_size >= std::int64_t{INVALID_POSITION})
        return fail(Error::tooLarge), INVALID_POSITION;
    return static_cast<std::uint32_t>(st.st_size);
}

int getFileInformation(Handle h, FileInformation* info) {
    Entry* e = lookup(h);
    if (e == nullptr) return 0;
    if (info == nullptr) return fail(Error::invalidArgument);
    struct stat st;
    if (::fstat(e->fd, &st) != 0) return failErrno();
    if (!S_ISREG(st.st_mode))
        info->attributes = FILE_ATTRIBUTE_SYSTEM;
    else if (e->hidden)
        info->attributes = FILE_ATTRIBUTE_HIDDEN;
    else
        info->attributes = FILE_ATTRIBUTE_NORMAL;
    info->modifiedTime = static_cast<std::int64_t>(st.st_mtime);
    info->volumeSerial = static_cast<std::uint32_t>(st.st_dev);
    const auto size = static_cast<std::uint64_t>(st.st_size);
    info->sizeHigh = static_cast<std::uint32_t>(size >> 32);
    info->sizeLow = static_cast<std::uint32_t>(size);
    info->linkCount = static_cast<std::uint32_t>(st.st_nlink);
    info->fileIndex = static_cast<std::uint64_t>(st.st_ino);
    return 1;
}

std::uint32_t getFileType(Handle h) {
    Entry* e = lookup(h);
    if (e == nullptr) return FILE_TYPE_UNKNOWN;
    struct stat st;
    if (::fstat(e->fd, &st) != 0) return failErrno(), FILE_TYPE_UNKNOWN;
    if (S_ISREG(st.st_mode)) return FILE_TYPE_DISK;
    if (S_ISCHR(st.st_mode)) return FILE_TYPE_CHAR;
    if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) return FILE_TYPE_PIPE;
    return FILE_TYPE_UNKNOWN;
}

int lockFile(Handle h, std::uint32_t offset, std::uint32_t length) {
    Entry* e = lookup(h);
    if (e == nullptr) return 0;
    if (injected(Op::lock)) return 0;
    const std::int64_t start = offset;
    const std::int64_t end = start + length;
    // Linux: OFD locks of one open file merge silently, so a second lock
    // through the same handle would succeed; on the original platform it
    // fails when it overlaps a range the handle already holds. Check our own
    // list first.
    for (const Range& r : e->locks) {
        if (r.length == 0 || length == 0) continue;
        if (start < std::int64_t{r.offset} + r.length && std::int64_t{r.offset} < end)
            return fail(Error::lockViolation);
    }
    // A lock of length 0 locks no byte: recorded, without an OS lock (an OFD
    // lock of length 0 would mean "to the end of the file").
    if (length != 0) {
        // Linux: open file description locks (F_OFD_SETLK), not process-wide
        // POSIX locks (F_SETLK) nor flock(): POSIX locks of one process never
        // conflict with each other and are all dropped when the process closes
        // any descriptor of the file; flock() locks whole files only. OFD locks
        // belong to the open file, as Win32 locks belong to the handle, and
        // F_OFD_SETLK fails at once (EAGAIN) instead of waiting.
        struct flock fl = makeLock(F_WRLCK, start, length);
        if (::fcntl(e->fd, F_OFD_SETLK, &fl) != 0) {
            if (errno == EAGAIN || errno == EACCES) return fail(Error::lockViolation);
            // EBADF: a descriptor the permissions let us open read-only only.
            return fail(errno == EBADF ? Error::accessDenied : fromErrno(errno));
        }
    }
    e->locks.push_back(Range{offset, length});
    return 1;
}

int unlockFile(Handle h, std::uint32_t offset, std::uint32_t length) {
    Entry* e = lookup(h);
    if (e == nullptr) return 0;
    for (std::size_t i = 0; i < e->locks.size(); ++i) {
        if (e->locks[i].offset != offset || e->locks[i].length != length) continue;
        if (length != 0) {
            // Our own ranges never overlap, so this releases exactly this one.
            struct flock fl = makeLock(F_UNLCK, offset, length);
            if (::fcntl(e->fd, F_OFD_SETLK, &fl) != 0) return failErrno();
        }
        e->locks.erase(e->locks.begin() + static_cast<std::ptrdiff_t>(i));
        return 1;
    }
    return fail(Error::notLocked);
}

int deleteFile(const char* name) {
    std::string path;
    if (!translateName(name, path, false)) return 0;
    if (::unlink(path.c_str()) != 0) return failErrno();
    return 1;
}

int findOrdinaryFile(const char* pattern) {
    std::string path;
    if (!translateName(pattern, path, true)) return 0;
    const std::size_t slash = path.find_last_of('/');
    std::string dir, last;
    if (slash == std::string::npos) {
        dir = ".";
        last = path;
    } else {
        dir = slash == 0 ? std::string("/") : path.substr(0, slash);
        last = path.substr(slash + 1);
    }
    if (last.empty()) return fail(Error::invalidName);
    // The directory part is taken literally; wildcards only in the last part.
    if (last.find_first_of("*?") == std::string::npos) {
        if (ordinaryFile(path, last.c_str())) return 1;
        return fail(Error::notFound);
    }
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr) return failErrno();
    const std::string prefix =
        slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    int found = 0;
    while (const struct dirent* ent = ::readdir(d)) {
        if (ent->d_name[0] == '.') continue;  // hidden (and "." and "..")
        if (!wildcardMatch(last.c_str(), ent->d_name)) continue;
        if (ordinaryFile(prefix + ent->d_name, ent->d_name)) {
            found = 1;
            break;
        }
    }
    ::closedir(d);
    return found ? 1 : fail(Error::notFound);
}

CalendarDate currentUtcDate() {
    std::time_t now = std::time(nullptr);
    struct tm t;
    ::gmtime_r(&now, &t);
    return toDate(t);
}

CalendarDate currentLocalDate() {
    std::time_t now = std::time(nullptr);
    struct tm t;
    ::localtime_r(&now, &t);
    return toDate(t);
}

void failOperation(Op op, int nth, bool persistent) {
    Fault& f = gFaults[static_cast<int>(op)];
    f.armed = true;
    f.persistent = persistent;
    f.nth = nth < 1 ? 1 : nth;
    f.calls = 0;
    gAnyArmed = true;
}

void resetFaults() {
    for (Fault& f : gFaults) f = Fault{};
    gAnyArmed = false;
}

}  // namespace platform
