// The file object: one named file and at most one open handle to it. Every
// table, memo, index, export and import file of the library is a `files`.
// Reads and writes are unbuffered (one operating-system call each); the
// object adds line reading forwards and backwards with a settable line
// terminator and an optional scrambling of transfers with a repeating key.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/platform.h"

class files {
  public:
    // Names the file; opens nothing. The line buffer holds lineBufferSize bytes.
    files(const char* name, int lineBufferSize);
    ~files();
    files(const files&) = delete;
    files& operator=(const files&) = delete;

    // Opens the file with the given values. 1/0. On failure both the end and
    // start flags are set; on success they are set when the file is empty.
    int open(std::uint32_t access, std::uint32_t share, std::uint32_t creation,
             std::uint32_t flags);
    // 1 when a handle was closed, 0 when none was open.
    int close();
    // The new position, or 0xFFFFFFFF (compare with -1) on failure.
    std::uint32_t seek(std::int32_t distance, std::uint32_t method);
    std::uint32_t tell();
    std::uint32_t size();
    // Reads up to count bytes. Returns 0 with *bytesRead 0 and the end flag set
    // when the position is at the end of the file; a short read before the end
    // is a success. Fails when another handle holds a lock on the bytes.
    int read(void* buffer, std::uint32_t count, std::uint32_t* bytesRead);
    // Writes count bytes; with a key set the bytes are scrambled on the way
    // (the caller's buffer is left as it was).
    int write(const void* buffer, std::uint32_t count, std::uint32_t* bytesWritten);
    // Exclusive byte-range locks; fail at once when any byte is locked.
    int lock(std::uint32_t offset, std::uint32_t length);
    int unlock(std::uint32_t offset, std::uint32_t length);

    // Line reading; buffer holds size + 1 bytes.
    int readLine(char* buffer, int size, std::uint32_t* count);
    char* readLineBackward(char* buffer, int size, std::uint32_t* count);
    // The line n lines away, converted to the ANSI code page; buffer holds
    // lineBufferSize + 1 bytes.
    char* line(int n, char* buffer);
    int lineCount();

    int setTerminator(const char* text);
    void setKey(const char* text);
    void setName(const char* name);
    int atEnd() const { return endReached; }
    int atStart() const { return startReached; }
    char* lineBuffer() { return lineBuf.data(); }
    const char* name() const { return fileName; }
    int isOpen() const { return handle != platform::nullHandle; }
    int information(platform::FileInformation* info);
    std::uint32_t fileType();

  private:
    platform::Handle handle = platform::nullHandle;
    std::int32_t lastLockOffset = 0;
    std::int32_t endReached = 0;
    std::int32_t startReached = 0;
    char terminator[10] = "\r\n";
    std::int32_t terminatorLength = 2;
    char fileName[256] = {};
    std::vector<char> lineBuf;
    std::int32_t lineBufferSize = 0;
    char key[32] = {};
    std::int32_t keyLength = 0;
};
