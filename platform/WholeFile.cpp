// SPDX-License-Identifier: MIT
#include "platform/WholeFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/FileDescriptor.h"

namespace qm {
namespace {

// Symlinks chained deeper than this are a loop, as the kernel's own limit says.
constexpr int kMaxSymlinkHops = 40;

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
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

}  // namespace qm
