// SPDX-License-Identifier: MIT
#pragma once
#include <cerrno>
#include <utility>

namespace qm {

// Calls op again while it fails with EINTR; returns its last result.
template <typename Op>
auto RetryOnEintr(Op op) {
    for (;;) {
        auto result = op();
        if (result != -1 || errno != EINTR) return result;
    }
}

// Owns an open file descriptor and closes it when it goes, keeping errno for the caller.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) noexcept : m_fd(fd) {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    int get() const noexcept { return m_fd; }
    explicit operator bool() const noexcept { return m_fd >= 0; }
    // Closes now, so that a failed flush can be reported; false with errno set.
    bool close() noexcept;

private:
    int m_fd = -1;
};

}  // namespace qm
