// SPDX-License-Identifier: MIT
#include "platform/Profile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <ctime>
#include <memory>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <unordered_map>
#include <vector>

#include "platform/Directories.h"
#include "platform/GuardedFile.h"
#include "platform/Text.h"
#include "platform/WholeFile.h"

namespace qm {
namespace {

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

bool SameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

long long Nanoseconds(const timespec& t) {
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// A parsed file, trusted while its identity is unchanged.
struct CacheEntry {
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec mtime{};
    // Set when the file was read well after its last change, so that a later change within
    // the same timestamp tick cannot go unnoticed.
    bool trusted = false;
    std::shared_ptr<const ProfileDocument> document;
};

struct ProfileCache {
    std::mutex mutex;
    std::vector<CacheEntry> entries;
    std::atomic<std::size_t> parses{0};
};

ProfileCache& Cache() {
    static ProfileCache instance;
    return instance;
}

constexpr std::size_t kCacheEntries = 8;

bool SameFile(const CacheEntry& e, const struct stat& st) {
    return e.device == st.st_dev && e.inode == st.st_ino && e.size == st.st_size &&
           SameTime(e.mtime, st.st_mtim);
}

// File timestamps come from a coarse clock; a change within one tick of a read could keep
// the old mtime. Whole-second mtimes suggest a file system that only keeps seconds.
bool OldEnoughToTrust(const timespec& mtime, const timespec& readStart) {
    timespec res{};
    clock_getres(CLOCK_REALTIME_COARSE, &res);
    long long margin = std::max(2 * Nanoseconds(res), 20000000LL);
    if (mtime.tv_nsec == 0) margin = 2000000000LL;
    return Nanoseconds(mtime) + margin < Nanoseconds(readStart);
}

void Forget(const std::string& path) {
    ProfileCache& c = Cache();
    std::lock_guard guard(c.mutex);
    std::erase_if(c.entries, [&](const CacheEntry& e) { return e.path == path; });
}

// The parsed file, or null when it is missing or unreadable.
std::shared_ptr<const ProfileDocument> CurrentDocument(const std::string& path) {
    timespec readStart{};
    clock_gettime(CLOCK_REALTIME, &readStart);
    struct stat st {};
    ProfileCache& c = Cache();
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        Forget(path);
        return nullptr;
    }
    {
        std::lock_guard guard(c.mutex);
        for (const CacheEntry& e : c.entries)
            if (e.path == path && e.trusted && SameFile(e, st)) return e.document;
    }

    std::string text;
    if (!ReadWholeFile(path, text, &st)) {
        Forget(path);
        return nullptr;
    }
    c.parses.fetch_add(1, std::memory_order_relaxed);
    auto document = std::make_shared<const ProfileDocument>(ProfileDocument::Parse(text));
    // A file that changed size under us is read again next time rather than cached.
    if (text.size() != static_cast<std::size_t>(st.st_size)) {
        Forget(path);
        return document;
    }

    CacheEntry entry;
    entry.path = path;
    entry.device = st.st_dev;
    entry.inode = st.st_ino;
    entry.size = st.st_size;
    entry.mtime = st.st_mtim;
    entry.trusted = OldEnoughToTrust(st.st_mtim, readStart);
    entry.document = document;

    std::lock_guard guard(c.mutex);
    std::erase_if(c.entries, [&](const CacheEntry& e) { return e.path == path; });
    if (c.entries.size() >= kCacheEntries) c.entries.erase(c.entries.begin());
    c.entries.push_back(std::move(entry));
    return document;
}

// Files pinned by the ProfileSnapshot alive on this thread, if any.
thread_local std::unordered_map<std::string, std::shared_ptr<const ProfileDocument>>* t_snapshot = nullptr;

// The value, or nullopt when the file, section or key is missing or the file unreadable.
std::optional<std::string> ReadValue(const std::string& path, std::string_view section,
                                     std::string_view key) {
    std::shared_ptr<const ProfileDocument> document;
    if (t_snapshot) {
        const auto it = t_snapshot->find(path);
        document = it != t_snapshot->end() ? it->second : (*t_snapshot)[path] = CurrentDocument(path);
    } else {
        document = CurrentDocument(path);
    }
    if (!document) return std::nullopt;
    return document->find(section, key);
}

}  // namespace

ProfileSnapshot::ProfileSnapshot() {
    if (!t_snapshot) {
        t_snapshot = new std::unordered_map<std::string, std::shared_ptr<const ProfileDocument>>();
        m_owner = true;
    }
}

ProfileSnapshot::~ProfileSnapshot() {
    if (m_owner) {
        delete t_snapshot;
        t_snapshot = nullptr;
    }
}

std::size_t ProfileFileParses() { return Cache().parses.load(std::memory_order_relaxed); }

namespace win {

std::size_t GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::string& out, std::size_t size,
                                    std::string_view fileName) {
    if (size == 0) return 0;
    const std::string path = ResolveProfilePath(fileName);
    std::optional<std::string> value;
    if (!path.empty()) value = ReadValue(path, section, key);
    const std::string_view text = value ? std::string_view(*value) : TrimTrailingBlanks(defaultValue);
    out.assign(CharPrefix(text, size - 1));
    return CharLength(out);
}

bool WritePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               std::string_view fileName) {
    return WriteProfileString(section, key, value, fileName, "\r\n");
}

}  // namespace win

bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        std::string_view fileName, std::string_view lineEnd) {
    const std::string_view name = TrimBlanks(key);
    const std::string_view sectionName = TrimBlanks(section);
    const bool valid = !fileName.empty() && !HasLineBreak(section) && !HasLineBreak(key) &&
                       !HasLineBreak(value) && sectionName.find(']') == std::string_view::npos &&
                       name.find('=') == std::string_view::npos &&
                       (name.empty() || (name.front() != '[' && name.front() != ';'));
    if (!valid) {
        errno = EINVAL;
        return false;
    }

    const std::string path = ResolveProfilePath(fileName);
    if (fileName.find('/') == std::string_view::npos && !MakeDirectories(ConfigDir())) return false;

    GuardedFile file(ResolveSymlinks(path), {.write = true, .create = true});
    // An unreadable file is refused here rather than replaced by one holding this key alone.
    std::string text;
    if (!file.read(text)) return false;

    const std::string updated = ProfileSetValue(text, section, key, value, lineEnd);
    if (updated == text) return true;
    const bool written = file.replace(updated);
    const int err = errno;
    Forget(path);
    if (t_snapshot) t_snapshot->erase(path);
    errno = err;
    return written;
}

}  // namespace qm
