// SPDX-License-Identifier: MIT
#include "platform/Directories.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Text.h"

namespace qm {
namespace {

// An empty variable counts as unset, as the XDG rules say.
std::string EnvOrEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string HomeDir() {
    std::string home = EnvOrEmpty("HOME");
    if (!home.empty()) return WithoutTrailingSlashes(home);
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && *pw->pw_dir)
        return WithoutTrailingSlashes(pw->pw_dir);
    return "/";
}

std::uint64_t SplitMix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// A fresh non-zero number for each call: a process-wide counter mixed with the pid and
// the clock, so two processes starting together still pick different names.
unsigned NextTempNumber() {
    static std::atomic<std::uint64_t> counter{0};
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const std::uint64_t seed =
        counter.fetch_add(1, std::memory_order_relaxed) ^ (static_cast<std::uint64_t>(getpid()) << 40) ^
        static_cast<std::uint64_t>(now.tv_sec) * 1000000007ull ^ static_cast<std::uint64_t>(now.tv_nsec);
    unsigned n = 0;
    for (std::uint64_t x = seed; n == 0; ++x) n = static_cast<unsigned>(SplitMix(x));
    return n;
}

std::string TempFileName(const std::string& dir, std::string_view prefix3, unsigned number) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%x", number);
    return dir + std::string(prefix3) + digits + ".tmp";
}

}  // namespace

std::string ConfigDir() {
    // A relative XDG_CONFIG_HOME is invalid and ignored, so the file never lands in the
    // current directory.
    const std::string xdg = EnvOrEmpty("XDG_CONFIG_HOME");
    if (!xdg.empty() && xdg.front() == '/') {
        const std::string base = WithoutTrailingSlashes(xdg);
        return (base == "/" ? std::string() : base) + "/quillmark";
    }
    const std::string home = HomeDir();
    return (home == "/" ? std::string() : home) + "/.config/quillmark";
}

std::string TempDir() {
    std::string dir = EnvOrEmpty("TMPDIR");
    if (dir.empty()) return "/tmp/";
    if (dir.back() != '/') dir += '/';
    return dir;
}

std::string SystemDir() { return "/usr/lib"; }

std::vector<std::string> SystemConfigDirs() {
    std::string dirs = EnvOrEmpty("XDG_CONFIG_DIRS");
    if (dirs.empty()) dirs = "/etc/xdg";
    std::vector<std::string> result;
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        // Relative entries are invalid under the XDG rules: they would depend on the working folder.
        const std::string dir = WithoutTrailingSlashes(dirs.substr(start, end - start));
        if (!dir.empty() && dir.front() == '/')
            result.push_back((dir == "/" ? std::string() : dir) + "/quillmark");
        start = end + 1;
    }
    return result;
}

std::string SystemRegistryDir() {
    const std::string dir = EnvOrEmpty("QUILLMARK_SYSTEM_REGISTRY");
    return dir.empty() ? std::string("/etc/quillmark/registry") : WithoutTrailingSlashes(dir);
}

std::string ResolveProfilePath(std::string_view fileName) {
    if (fileName.empty() || fileName.find('/') != std::string_view::npos) return std::string(fileName);
    return ConfigDir() + "/" + std::string(fileName);
}

bool MakeDirectories(const std::string& dir) {
    if (dir.empty()) {
        errno = ENOENT;
        return false;
    }
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = dir.find('/', pos + 1);
        const std::string part = dir.substr(0, pos);
        if (part.empty() || part.back() == '/') continue;  // "//" runs
        if (mkdir(part.c_str(), 0700) == 0) {
            GiveToFolderOwner(part);
            continue;
        }
        const int err = errno;
        struct stat st {};
        if (err == EEXIST && stat(part.c_str(), &st) == 0) {
            if (S_ISDIR(st.st_mode)) continue;
            errno = ENOTDIR;
            return false;
        }
        errno = err;
        return false;
    }
    return true;
}

void GiveToFolderOwner(const std::string& path) {
    if (geteuid() != 0) return;
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    struct stat st {};
    if (stat(folder.c_str(), &st) != 0 || st.st_uid == 0) return;
    const bool given = lchown(path.c_str(), st.st_uid, st.st_gid) == 0;
    (void)given;  // root keeps it; the write itself still succeeds
}

namespace win {

std::size_t GetWindowsDirectory(std::string& out) {
    out = ConfigDir();
    return CharLength(out);
}

std::size_t GetSystemDirectory(std::string& out) {
    out = SystemDir();
    return CharLength(out);
}

std::size_t GetTempPath(std::string& out) {
    out = TempDir();
    return CharLength(out);
}

unsigned GetTempFileName(std::string_view dir, std::string_view prefix, unsigned unique, std::string& out) {
    const std::string_view prefix3 = CharPrefix(prefix, 3);
    // A slash in the prefix would place the file outside dir; a NUL would cut the path.
    if (prefix3.find('/') != std::string_view::npos || prefix3.find('\0') != std::string_view::npos ||
        dir.find('\0') != std::string_view::npos) {
        errno = EINVAL;
        return 0;
    }
    if (dir.empty()) {
        errno = ENOENT;
        return 0;
    }
    std::string base(dir);
    if (base.back() != '/') base += '/';

    if (unique != 0) {
        out = TempFileName(base, prefix3, unique);
        return unique;
    }

    constexpr int kTries = 100;
    for (int i = 0; i < kTries; ++i) {
        const unsigned number = NextTempNumber();
        const std::string path = TempFileName(base, prefix3, number);
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return 0;
        }
        fchmod(fd, 0600);  // exactly 0600 whatever the umask
        close(fd);
        out = path;
        return number;
    }
    errno = EEXIST;
    return 0;
}

}  // namespace win
}  // namespace qm
