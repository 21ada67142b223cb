// The least any in-place sort must do: read the whole file and write it back
// where it was.   io_floor <file>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) return 1;
    int fd = ::open(argv[1], O_RDWR);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0) return 1;
    std::vector<char> data(static_cast<std::size_t>(st.st_size));
    if (::pread(fd, data.data(), data.size(), 0) != st.st_size) return 1;
    if (::pwrite(fd, data.data(), data.size(), 0) != st.st_size) return 1;
    return ::close(fd) == 0 ? 0 : 1;
}
