// Large working buffers for the in-memory sort, mapped directly from the
// kernel. Huge pages matter here: a table of 64 MiB read into ordinary 4 KiB
// pages takes 16,000 page faults, which costs more than reading the bytes.
#include <sys/mman.h>

#include <utility>

#include "io/platform.h"

namespace platform {

LargeBuffer::LargeBuffer(std::size_t size) {
    if (size == 0) return;
    void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return;
    // Only advice: where huge pages are not available the buffer still works.
    ::madvise(p, size, MADV_HUGEPAGE);
    bytes = static_cast<unsigned char*>(p);
    length = size;
}

LargeBuffer::~LargeBuffer() {
    if (bytes != nullptr) ::munmap(bytes, length);
}

LargeBuffer::LargeBuffer(LargeBuffer&& other) noexcept
    : bytes(std::exchange(other.bytes, nullptr)), length(std::exchange(other.length, 0)) {}

LargeBuffer& LargeBuffer::operator=(LargeBuffer&& other) noexcept {
    if (this != &other) {
        if (bytes != nullptr) ::munmap(bytes, length);
        bytes = std::exchange(other.bytes, nullptr);
        length = std::exchange(other.length, 0);
    }
    return *this;
}

}  // namespace platform
