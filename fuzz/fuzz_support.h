// What the fuzz targets share: a check that stops the run, and a file in memory for readers
// that take a path.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace qvfuzz {

// A broken promise of the code under test: abort, so the fuzzer keeps the input.
inline void Check(bool condition) {
    if (!condition) std::abort();
}

// The input as a file in memory, named through /proc so that no disk is touched.
class MemoryFile {
public:
    MemoryFile(const std::uint8_t* data, std::size_t size)
        : m_fd(memfd_create("fuzz", MFD_CLOEXEC)) {
        Check(m_fd >= 0);
        for (std::size_t done = 0; done < size;) {
            const ssize_t n = write(m_fd, data + done, size - done);
            Check(n > 0);
            done += static_cast<std::size_t>(n);
        }
        m_path = "/proc/self/fd/" + std::to_string(m_fd);
    }
    ~MemoryFile() { close(m_fd); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    const char* Path() const { return m_path.c_str(); }

private:
    int m_fd;
    std::string m_path;
};

}  // namespace qvfuzz
