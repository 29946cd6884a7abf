// SPDX-License-Identifier: MIT
#include "platform/FileDescriptor.h"

#include <unistd.h>

namespace qm {

FileDescriptor::~FileDescriptor() {
    if (m_fd < 0) return;
    const int saved = errno;
    ::close(m_fd);
    errno = saved;
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        FileDescriptor old(std::exchange(m_fd, std::exchange(other.m_fd, -1)));
    }
    return *this;
}

bool FileDescriptor::close() noexcept {
    // Linux releases the descriptor even when close fails, so it is never retried.
    return ::close(std::exchange(m_fd, -1)) == 0;
}

}  // namespace qm
