// SPDX-License-Identifier: MIT
#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include "platform/Directories.h"
#include "platform/WholeFile.h"

namespace qm {

FileLock::FileLock(const std::string& path, bool create) : m_path(ResolveSymlinks(path)) {
    // O_NONBLOCK: a FIFO must not hang the open; it is refused below.
    constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    for (;;) {
        bool created = false;
        FileDescriptor fd(RetryOnEintr([&] { return ::open(m_path.c_str(), kFlags); }));
        if (!fd && errno == ENOENT && create) {
            fd = FileDescriptor(::open(m_path.c_str(), kFlags | O_CREAT | O_EXCL, 0600));
            if (!fd && errno == EEXIST) continue;  // another writer made it first
            created = static_cast<bool>(fd);
        }
        struct stat held {};
        if (!fd || ::fstat(fd.get(), &held) != 0) {
            m_error = errno;
            return;
        }
        if (!S_ISREG(held.st_mode)) {
            m_error = S_ISDIR(held.st_mode) ? EISDIR : EINVAL;
            return;
        }
        if (created) GiveToFolderOwner(m_path);
        if (RetryOnEintr([&] { return ::flock(fd.get(), LOCK_EX); }) != 0) {
            m_error = errno;
            return;
        }
        // A writer before us may have renamed a new file over the one we waited on.
        struct stat now {};
        const bool present = ::stat(m_path.c_str(), &now) == 0;
        if (present && now.st_dev == held.st_dev && now.st_ino == held.st_ino) {
            m_fd = std::move(fd);
            return;
        }
        if (!present && (errno != ENOENT || !create)) {
            m_error = errno;
            return;
        }
    }
}

}  // namespace qm
