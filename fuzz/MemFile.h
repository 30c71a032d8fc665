#pragma once

#include "fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace tovan::fuzz {

// A file in memory with a path, rewritten for every input: the list and table readers take
// paths, and a memory file keeps hours of fuzzing off the disk.
class MemFile {
public:
    MemFile() : m_fd(::memfd_create("tovan-fuzz", 0)) {
        FUZZ_CHECK(m_fd >= 0, "a memory file can be had");
        m_path = "/proc/self/fd/" + std::to_string(m_fd);
    }
    ~MemFile() { ::close(m_fd); }
    MemFile(const MemFile&) = delete;
    MemFile& operator=(const MemFile&) = delete;

    const std::string& path() const { return m_path; }

    void write(const std::uint8_t* data, std::size_t size) {
        FUZZ_CHECK(::ftruncate(m_fd, 0) == 0, "the memory file can be emptied");
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::pwrite(m_fd, data + done, size - done, static_cast<off_t>(done));
            FUZZ_CHECK(n > 0, "the memory file takes the input");
            done += static_cast<std::size_t>(n);
        }
    }

private:
    int m_fd;
    std::string m_path;
};

} // namespace tovan::fuzz
