// SPDX-License-Identifier: MIT
#include "platform/AtomicFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {
namespace {

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string directoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// The file a rename must replace: a symlinked settings file (dotfile managers do that)
// keeps its link, and the link's target gets the new content.
std::string replaceTarget(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) == nullptr) return path;
    return resolved;
}

// Makes the rename itself durable; a failure here loses nothing, so it is not reported.
void syncDirectory(const std::string& dir) {
    const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

}  // namespace

FileLock::FileLock(const std::string& path) {
    const std::string lockPath = path + ".lock";
    m_fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_fd < 0) {
        m_error = errno;
        return;
    }
    while (flock(m_fd, LOCK_EX) != 0) {
        if (errno == EINTR) continue;
        m_error = errno;
        close(m_fd);
        m_fd = -1;
        errno = m_error;
        return;
    }
}

FileLock::~FileLock() {
    if (m_fd >= 0) close(m_fd);  // closing drops the flock
}

bool ReadWholeFile(const std::string& path, std::string& out) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    std::string content;
    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        content.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            close(fd);
            errno = err;
            return false;
        }
        content.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    out = std::move(content);
    return true;
}

bool AtomicReplace(const std::string& path, std::string_view content) {
    const std::string target = replaceTarget(path);
    const std::string dir = directoryOf(target);
    const auto slash = target.rfind('/');
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = (dir == "/" ? std::string() : dir) + "/." + base + ".XXXXXX";

    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;

    struct stat old {};
    bool ok = true;
    if (stat(target.c_str(), &old) == 0) {
        ok = fchmod(fd, old.st_mode & 07777) == 0;
        // Only root can give the file back to its owner; others own it already.
        if (ok && (old.st_uid != geteuid() || old.st_gid != getegid())) {
            const bool chowned = fchown(fd, old.st_uid, old.st_gid) == 0;
            (void)chowned;
        }
    }
    ok = ok && writeAll(fd, content) && fsync(fd) == 0;
    int err = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        unlink(temp.c_str());
        errno = err;
        return false;
    }
    syncDirectory(dir);
    return true;
}

}  // namespace qm
