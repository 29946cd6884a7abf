// SPDX-License-Identifier: MIT
#include "platform/WholeFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>

#include "platform/Directories.h"
#include "platform/FileDescriptor.h"

namespace qm {
namespace {

// Symlinks chained deeper than this are a loop, as the kernel's own limit says.
constexpr int kMaxSymlinkHops = 40;
// A writer's temporary file older than this belongs to a killed writer.
constexpr time_t kStaleTempSeconds = 60;

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Makes the rename itself durable; a failure here loses nothing, so it is not reported.
void SyncDirectory(const std::string& dir) {
    const FileDescriptor fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd) ::fsync(fd.get());
}

// Removes ".<base>.XXXXXX" files that killed writers left behind.
void ClearStaleTemporaries(const std::string& dir, const std::string& base) {
    DIR* folder = ::opendir(dir.c_str());
    if (!folder) return;
    const std::string prefix = "." + base + ".";
    const time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(folder)) {
        const std::string_view name = entry->d_name;
        if (name.size() != prefix.size() + 6 || name.substr(0, prefix.size()) != prefix) continue;
        const std::string path = (dir == "/" ? "" : dir) + "/" + std::string(name);
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            st.st_mtime + kStaleTempSeconds < now)
            ::unlink(path.c_str());
    }
    ::closedir(folder);
}

}  // namespace

bool ReadDescriptor(int fd, std::string& out, std::size_t maxBytes) {
    std::string content;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        content.reserve(std::min(static_cast<std::size_t>(st.st_size), maxBytes));
    char buffer[65536];
    for (;;) {
        const ssize_t n = RetryOnEintr([&] { return ::read(fd, buffer, sizeof buffer); });
        if (n < 0) return false;
        if (n == 0) break;
        // Read to the end rather than trusting the size: the file may grow meanwhile.
        if (content.size() + static_cast<std::size_t>(n) > maxBytes) {
            errno = EFBIG;
            return false;
        }
        content.append(buffer, static_cast<std::size_t>(n));
    }
    out = std::move(content);
    return true;
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = RetryOnEintr([&] { return ::write(fd, data.data(), data.size()); });
        if (n < 0) return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& out, struct stat* status) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below.
    const FileDescriptor fd(
        RetryOnEintr([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK); }));
    if (!fd) return false;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return false;
    if (!S_ISREG(st.st_mode)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    if (static_cast<std::size_t>(st.st_size) > kMaxWholeFileBytes) {
        errno = EFBIG;
        return false;
    }
    if (!ReadDescriptor(fd.get(), out)) return false;
    if (status) *status = st;
    return true;
}

std::string ResolveSymlinks(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < kMaxSymlinkHops; ++hop) {
        char target[PATH_MAX];
        const ssize_t n = ::readlink(current.c_str(), target, sizeof target - 1);
        if (n < 0) return current;  // not a symlink, or missing: this is the file
        const std::string link(target, static_cast<std::size_t>(n));
        current = link.front() == '/' ? link : DirectoryOf(current) + "/" + link;
    }
    return current;  // a loop: the writes fail on it with ELOOP
}

bool CanReplace(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    if ((st.st_mode & 0222) == 0) {
        errno = EACCES;
        return false;
    }
    // The file is replaced, not written in place, so its folder must take new files too.
    return ::access(path.c_str(), W_OK) == 0 && ::access(DirectoryOf(path).c_str(), W_OK) == 0;
}

bool AtomicReplace(const std::string& path, std::string_view content) {
    const std::string target = ResolveSymlinks(path);
    const std::string dir = DirectoryOf(target);
    const std::string base = BaseNameOf(target);

    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT) return false;
    if (exists && !S_ISREG(old.st_mode)) {
        errno = S_ISDIR(old.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    if (exists && !CanReplace(target)) return false;

    ClearStaleTemporaries(dir, base);
    std::string temp = (dir == "/" ? std::string() : dir) + "/." + base + ".XXXXXX";
    FileDescriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (!fd) return false;

    bool ok = true;
    if (exists) {
        ok = ::fchmod(fd.get(), old.st_mode & 07777) == 0;
        // Only root can give the file back to its owner; others own it already.
        if (ok && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
            const bool chowned = ::fchown(fd.get(), old.st_uid, old.st_gid) == 0;
            (void)chowned;
        }
    } else {
        GiveToFolderOwner(temp);
    }
    ok = ok && WriteAll(fd.get(), content) && ::fsync(fd.get()) == 0;
    ok = fd.close() && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        const int err = errno;
        ::unlink(temp.c_str());
        errno = err;
        return false;
    }
    SyncDirectory(dir);
    return true;
}

}  // namespace qm
