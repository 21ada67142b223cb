// The file object: one named file, at most one open handle, unbuffered
// transfers, locks, line reading both ways and key scrambling. Every
// operating-system call goes through io/platform.h. docs/file-object.md
// records the choices made where callers could expect more than one answer.
#include "io/files.h"

#include <algorithm>
#include <cstring>

#include "io/codepage.h"

namespace {

// Copies `name` into the 256-byte name member; a longer name is cut to 255
// characters (a caller error; cutting keeps the member a text).
void copyName(char (&dest)[256], const char* name) {
    std::memset(dest, 0, sizeof dest);
    if (name != nullptr) std::strncpy(dest, name, sizeof dest - 1);
}

// The first index at which `text` (of `length` bytes) holds `pattern`, or -1.
std::int64_t findFirst(const char* text, std::int64_t length, const char* pattern,
                       std::int64_t patternLength) {
    for (std::int64_t i = 0; i + patternLength <= length; ++i)
        if (std::memcmp(text + i, pattern, static_cast<std::size_t>(patternLength)) == 0) return i;
    return -1;
}

// The last index at which `text` holds `pattern`, or -1.
std::int64_t findLast(const char* text, std::int64_t length, const char* pattern,
                      std::int64_t patternLength) {
    for (std::int64_t i = length - patternLength; i >= 0; --i)
        if (std::memcmp(text + i, pattern, static_cast<std::size_t>(patternLength)) == 0) return i;
    return -1;
}

}  // namespace

files::files(const char* name, int lineBufferSize_) {
    copyName(fileName, name);
    lineBufferSize = lineBufferSize_ < 0 ? 0 : lineBufferSize_;
    lineBuf.assign(static_cast<std::size_t>(lineBufferSize) + 1, '\0');
}

files::~files() {
    close();
}

int files::open(std::uint32_t access, std::uint32_t share, std::uint32_t creation,
                std::uint32_t flags) {
    // An object that is already open closes its old handle first: otherwise
    // the old handle and its locks would be lost until the process ends, and
    // an exclusive reopen would be refused by its own old handle.
    if (handle != platform::nullHandle) close();
    handle = platform::createFile(fileName, access, share, creation, flags);
    if (handle == platform::nullHandle) {
        endReached = startReached = 1;
        return 0;
    }
    if (platform::getFileSize(handle) == 0) endReached = startReached = 1;
    return 1;
}

int files::close() {
    if (handle == platform::nullHandle) return 0;
    int rc = platform::closeHandle(handle);
    handle = platform::nullHandle;
    return rc;
}

std::uint32_t files::seek(std::int32_t distance, std::uint32_t method) {
    return platform::setFilePointer(handle, distance, method);
}

std::uint32_t files::tell() {
    return platform::setFilePointer(handle, 0, FILE_CURRENT);
}

std::uint32_t files::size() {
    return platform::getFileSize(handle);
}

int files::read(void* buffer, std::uint32_t count, std::uint32_t* bytesRead) {
    std::uint32_t dummy = 0;
    if (bytesRead == nullptr) bytesRead = &dummy;
    startReached = 0;
    const std::uint32_t position = tell();
    const std::uint32_t fileSize = this->size();
    // At (or beyond) the end: no OS call. On a closed object both
    // are 0xFFFFFFFF, so it fails here as well.
    if (position == fileSize || (position != INVALID_POSITION && position > fileSize)) {
        endReached = 1;
        *bytesRead = 0;
        return 0;
    }
    endReached = 0;
    int rc = platform::readFile(handle, buffer, count, bytesRead);
    if (keyLength > 0) {
        // Only the bytes actually read are unscrambled.
        auto* p = static_cast<unsigned char*>(buffer);
        for (std::uint32_t i = 0; i < *bytesRead; ++i)
            p[i] ^= static_cast<unsigned char>(key[i % static_cast<std::uint32_t>(keyLength)]);
    }
    return rc;
}

int files::write(const void* buffer, std::uint32_t count, std::uint32_t* bytesWritten) {
    std::uint32_t dummy = 0;
    if (bytesWritten == nullptr) bytesWritten = &dummy;
    if (keyLength > 0 && count > 0 && buffer != nullptr) {
        // The bytes are scrambled in a private copy; the caller's buffer
        // keeps the plain bytes.
        const auto* src = static_cast<const unsigned char*>(buffer);
        std::vector<unsigned char> scrambled(src, src + count);
        for (std::uint32_t i = 0; i < count; ++i)
            scrambled[i] ^=
                static_cast<unsigned char>(key[i % static_cast<std::uint32_t>(keyLength)]);
        return platform::writeFile(handle, scrambled.data(), count, bytesWritten);
    }
    return platform::writeFile(handle, buffer, count, bytesWritten);
}

int files::lock(std::uint32_t offset, std::uint32_t length) {
    lastLockOffset = static_cast<std::int32_t>(offset);
    return platform::lockFile(handle, offset, length);
}

int files::unlock(std::uint32_t offset, std::uint32_t length) {
    lastLockOffset = static_cast<std::int32_t>(offset);
    return platform::unlockFile(handle, offset, length);
}

// Seeks to an absolute position of up to 4 GiB - 2, which one signed 32-bit
// distance from FILE_BEGIN cannot always express.
static std::uint32_t seekTo(files& f, std::uint32_t position) {
    constexpr std::uint32_t kMax = 0x7FFFFFFFu;
    if (position <= kMax) return f.seek(static_cast<std::int32_t>(position), FILE_BEGIN);
    if (f.seek(static_cast<std::int32_t>(kMax), FILE_BEGIN) == INVALID_POSITION)
        return INVALID_POSITION;
    return f.seek(static_cast<std::int32_t>(position - kMax), FILE_CURRENT);
}

int files::readLine(char* buffer, int size, std::uint32_t* count) {
    std::uint32_t dummy = 0;
    if (count == nullptr) count = &dummy;
    *count = 0;
    if (buffer == nullptr) return 0;
    if (size < 0) size = 0;
    const std::uint32_t p = tell();
    const std::uint32_t fileSize = this->size();
    std::uint32_t n = 0;
    if (p != INVALID_POSITION && fileSize != INVALID_POSITION && fileSize > p)
        n = std::min<std::uint32_t>(static_cast<std::uint32_t>(size), fileSize - p);
    // The caller's buffer holds size + 1 bytes: all of them start as zero.
    std::memset(buffer, 0, static_cast<std::size_t>(size) + 1);
    int result;
    if (!read(buffer, n, count)) {
        if (p != INVALID_POSITION) seekTo(*this, p);
        result = 0;
    } else {
        std::int64_t i = findFirst(buffer, *count, terminator, terminatorLength);
        if (i < 0) i = *count;
        buffer[i] = '\0';
        // Back from behind the bytes read to behind the terminator. (Counted
        // from the bytes really read: should the file shrink under us, a
        // count from `n` would put the position before the terminator.)
        const std::int64_t b = std::int64_t{*count} - i - terminatorLength;
        if (b > 0) seek(static_cast<std::int32_t>(-b), FILE_CURRENT);
        result = 1;
    }
    // The line buffer: the text, at most lineBufferSize bytes, the rest zero.
    // (lineCount reads into the line buffer itself: nothing to copy then.)
    if (buffer != lineBuf.data()) {
        const std::size_t len = strnlen(buffer, static_cast<std::size_t>(lineBufferSize));
        std::memcpy(lineBuf.data(), buffer, len);
        std::memset(lineBuf.data() + len, 0, lineBuf.size() - len);
    }
    return result;
}

char* files::readLineBackward(char* buffer, int size, std::uint32_t* count) {
    std::uint32_t dummy = 0;
    if (count == nullptr) count = &dummy;
    *count = 0;
    if (buffer == nullptr) return buffer;
    if (size < 0) size = 0;
    const std::uint32_t p = tell();
    const std::uint32_t fileSize = this->size();
    endReached = p == fileSize ? 1 : 0;
    startReached = p == 0 ? 1 : 0;
    buffer[0] = '\0';
    std::fill(lineBuf.begin(), lineBuf.end(), '\0');
    if (p == 0 || p == INVALID_POSITION) return buffer;

    const std::uint32_t n = std::min<std::uint32_t>(p, static_cast<std::uint32_t>(size));
    if (seek(-static_cast<std::int32_t>(n), FILE_CURRENT) == INVALID_POSITION) return buffer;
    if (!read(buffer, n, count)) {
        // A failed read (a lock held elsewhere) leaves the position where it
        // was and returns an empty line, rather than jumping to 0.
        buffer[0] = '\0';
        *count = 0;
        seekTo(*this, p);
        return buffer;
    }
    std::int64_t length = *count;
    // Cut a trailing terminator, then look for the one before the line; any
    // terminator is handled as CR LF is (docs/file-object.md).
    if (length >= terminatorLength && std::memcmp(buffer + length - terminatorLength, terminator,
                                                  static_cast<std::size_t>(terminatorLength)) == 0)
        length -= terminatorLength;
    buffer[length] = '\0';

    const std::int64_t k = findLast(buffer, length, terminator, terminatorLength);
    // The line is the text behind the terminator found, or all of the text
    // read when there is none. The caller's buffer gets all of it, as a
    // forward read gives it; the line buffer keeps at most its size. (The
    // copies may overlap: the caller's buffer may be the line buffer.)
    const std::int64_t start = k < 0 ? 0 : k + terminatorLength;
    const std::size_t len = static_cast<std::size_t>(length - start);
    std::memmove(buffer, buffer + start, len);
    buffer[len] = '\0';
    const std::size_t kept = std::min(len, static_cast<std::size_t>(lineBufferSize));
    if (buffer != lineBuf.data()) std::memcpy(lineBuf.data(), buffer, kept);
    std::fill(lineBuf.begin() + static_cast<std::ptrdiff_t>(kept), lineBuf.end(), '\0');
    // From behind the bytes read back to the start of the line. When no
    // terminator was found that is the start of the bytes read: offset 0 for
    // the first line of the file, the start of this piece for a line longer
    // than `size`, whose earlier pieces the next calls return.
    seek(static_cast<std::int32_t>(start - std::int64_t{*count}), FILE_CURRENT);
    return buffer;
}

char* files::line(int n, char* buffer) {
    if (buffer == nullptr) return buffer;
    const std::uint32_t p = tell();
    std::uint32_t count = 0;
    // The flags are asked only after a read of this call: left over from an
    // earlier call (lineCount reads to the end and goes back; a backward walk
    // ends at the start) they would stop a read that has lines to give.
    if (n >= 0) {
        const int lines = n >= 1 ? n : 1;
        const std::uint32_t fileSize = this->size();
        for (int k = 0; k < lines; ++k) {
            if (k == 0 ? p == INVALID_POSITION || p >= fileSize : endReached != 0) break;
            readLine(buffer, lineBufferSize, &count);
        }
    } else if (p > 0) {
        const std::int64_t lines = -std::int64_t{n};
        for (std::int64_t k = 0; k < lines && (k == 0 || !startReached); ++k)
            readLineBackward(buffer, lineBufferSize, &count);
    } else {
        readLine(buffer, lineBufferSize, &count);
    }
    return codepage::oemToAnsi(buffer);
}

int files::lineCount() {
    const std::uint32_t p = tell();
    int lines = 0;
    std::uint32_t count = 0;
    while (readLine(lineBuf.data(), lineBufferSize, &count)) {
        // A read of 0 bytes (line buffer of size 0) would never get further.
        if (count == 0) break;
        ++lines;
    }
    if (p != INVALID_POSITION) seekTo(*this, p);
    return lines;
}

int files::setTerminator(const char* text) {
    if (text == nullptr) return 0;
    const std::size_t len = std::strlen(text);
    // An empty terminator is refused: with it no line would ever end.
    if (len == 0 || len >= sizeof terminator) return 0;
    std::memcpy(terminator, text, len + 1);
    terminatorLength = static_cast<std::int32_t>(len);
    return 1;
}

void files::setKey(const char* text) {
    const std::size_t len = text == nullptr ? 0 : std::strlen(text);
    std::memset(key, 0, sizeof key);
    if (len < sizeof key) {
        std::memcpy(key, text == nullptr ? "" : text, len);
        keyLength = static_cast<std::int32_t>(len);
    } else {
        keyLength = 0;  // key emptied: scrambling off
    }
}

void files::setName(const char* name) {
    if (handle != platform::nullHandle) close();
    copyName(fileName, name);
}

int files::information(platform::FileInformation* info) {
    return platform::getFileInformation(handle, info);
}

std::uint32_t files::fileType() {
    return platform::getFileType(handle);
}
