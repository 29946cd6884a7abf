// SPDX-License-Identifier: MIT
#include "platform/Profile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/Directories.h"
#include "platform/Text.h"

namespace qm {
namespace {

// A profile file beyond this is not a settings file; reading it whole could exhaust memory.
constexpr off_t kMaxProfileBytes = 16 << 20;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool hasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

// One physical line: text[begin, end) is its content, text[end, next) its line break.
struct Line {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t next = 0;
};

Line lineAt(std::string_view text, std::size_t pos) {
    Line line{pos, text.find_first_of("\r\n", pos), 0};
    if (line.end == std::string_view::npos) {
        line.end = line.next = text.size();
    } else if (text[line.end] == '\r' && line.end + 1 < text.size() && text[line.end + 1] == '\n') {
        line.next = line.end + 2;
    } else {
        line.next = line.end + 1;
    }
    return line;
}

enum class LineKind { Blank, Comment, Section, Pair, Other };

// What a line means; name and value are trimmed views into the text, value still quoted.
struct LineMeaning {
    LineKind kind = LineKind::Other;
    std::string_view name;
    std::string_view value;
};

LineMeaning classify(std::string_view text, const Line& line) {
    std::string_view s = text.substr(line.begin, line.end - line.begin);
    // A byte order mark from an editor would otherwise hide the first section.
    if (line.begin == 0 && s.substr(0, 3) == "\xEF\xBB\xBF") s.remove_prefix(3);
    s = trimBlanks(s);
    if (s.empty()) return {LineKind::Blank, {}, {}};
    if (s.front() == ';') return {LineKind::Comment, {}, {}};
    if (s.front() == '[') {
        std::string_view name = s.substr(1);
        name = name.substr(0, name.find(']'));  // a missing ']' leaves the rest of the line
        return {LineKind::Section, trimBlanks(name), {}};
    }
    const auto eq = s.find('=');
    if (eq == std::string_view::npos) return {LineKind::Other, {}, {}};
    return {LineKind::Pair, trimBlanks(s.substr(0, eq)), trimBlanks(s.substr(eq + 1))};
}

std::string_view unquote(std::string_view value) {
    if (value.size() >= 2 && value.front() == value.back() &&
        (value.front() == '"' || value.front() == '\''))
        return value.substr(1, value.size() - 2);
    return value;
}

// Blanks at either end would be dropped on read, and a value enclosed in quotes would lose
// them; one pair of double quotes around such a value brings it back exactly.
std::string quoteIfNeeded(std::string_view value) {
    const bool needs = !value.empty() && (isBlank(value.front()) || isBlank(value.back()) ||
                                          unquote(value).size() != value.size());
    if (!needs) return std::string(value);
    std::string quoted;
    quoted.reserve(value.size() + 2);
    quoted += '"';
    quoted += value;
    quoted += '"';
    return quoted;
}

std::string lookupKey(std::string_view section, std::string_view key) {
    std::string k = AsciiLower(section);
    k += '\n';
    k += AsciiLower(key);
    return k;
}

bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

long long nanoseconds(const timespec& t) {
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

ProfileCache& cache() {
    static ProfileCache instance;
    return instance;
}

constexpr std::size_t kCacheEntries = 8;

bool sameFile(const CacheEntry& e, const struct stat& st) {
    return e.device == st.st_dev && e.inode == st.st_ino && e.size == st.st_size &&
           sameTime(e.mtime, st.st_mtim);
}

// File timestamps come from a coarse clock; a change within one tick of a read could keep
// the old mtime. Whole-second mtimes suggest a file system that only keeps seconds.
bool oldEnoughToTrust(const timespec& mtime, const timespec& readStart) {
    timespec res{};
    clock_getres(CLOCK_REALTIME_COARSE, &res);
    long long margin = std::max(2 * nanoseconds(res), 20000000LL);
    if (mtime.tv_nsec == 0) margin = 2000000000LL;
    return nanoseconds(mtime) + margin < nanoseconds(readStart);
}

void forget(const std::string& path) {
    ProfileCache& c = cache();
    std::lock_guard guard(c.mutex);
    std::erase_if(c.entries, [&](const CacheEntry& e) { return e.path == path; });
}

// The parsed file, or null when it is missing or unreadable.
std::shared_ptr<const ProfileDocument> currentDocument(const std::string& path) {
    timespec readStart{};
    clock_gettime(CLOCK_REALTIME, &readStart);
    struct stat st {};
    ProfileCache& c = cache();
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        forget(path);
        return nullptr;
    }
    {
        std::lock_guard guard(c.mutex);
        for (const CacheEntry& e : c.entries)
            if (e.path == path && e.trusted && sameFile(e, st)) return e.document;
    }

    // O_NONBLOCK: a FIFO swapped in after the stat must not hang the read.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return nullptr;
    std::string text;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kMaxProfileBytes;
    if (ok) {
        text.resize(static_cast<std::size_t>(st.st_size));
        std::size_t got = 0;
        while (got < text.size()) {
            const ssize_t n = read(fd, text.data() + got, text.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        // A file that changed size under us is read again next time rather than cached.
        ok = got == text.size();
        text.resize(got);
    }
    close(fd);
    c.parses.fetch_add(1, std::memory_order_relaxed);
    auto document = std::make_shared<const ProfileDocument>(ProfileDocument::Parse(text));
    if (!ok) {
        forget(path);
        return text.empty() ? nullptr : document;
    }

    CacheEntry entry;
    entry.path = path;
    entry.device = st.st_dev;
    entry.inode = st.st_ino;
    entry.size = st.st_size;
    entry.mtime = st.st_mtim;
    entry.trusted = oldEnoughToTrust(st.st_mtim, readStart);
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
std::optional<std::string> readValue(const std::string& path, std::string_view section,
                                     std::string_view key) {
    std::shared_ptr<const ProfileDocument> document;
    if (t_snapshot) {
        const auto it = t_snapshot->find(path);
        document = it != t_snapshot->end() ? it->second : (*t_snapshot)[path] = currentDocument(path);
    } else {
        document = currentDocument(path);
    }
    if (!document) return std::nullopt;
    return document->Find(section, key);
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

ProfileDocument ProfileDocument::Parse(std::string_view text) {
    ProfileDocument doc;
    std::unordered_map<std::string, bool> seenSections;
    std::string section;
    bool active = false;  // false before the first section and inside a repeated one
    for (std::size_t pos = 0; pos < text.size();) {
        const Line line = lineAt(text, pos);
        pos = line.next;
        const LineMeaning m = classify(text, line);
        if (m.kind == LineKind::Section) {
            section = AsciiLower(m.name);
            active = seenSections.emplace(section, true).second;
        } else if (m.kind == LineKind::Pair && active) {
            std::string k = section;
            k += '\n';
            k += AsciiLower(m.name);
            if (doc.m_values.emplace(std::move(k), std::string(unquote(m.value))).second)
                doc.m_order.emplace_back(section, std::string(m.name));
        }
    }
    return doc;
}

std::optional<std::string> ProfileDocument::Find(std::string_view section,
                                                 std::string_view key) const {
    // No stored name holds a line break, and a query with one could alias another pair.
    if (hasLineBreak(section) || hasLineBreak(key)) return std::nullopt;
    const auto it = m_values.find(lookupKey(trimBlanks(section), trimBlanks(key)));
    if (it == m_values.end()) return std::nullopt;
    return it->second;
}

std::vector<std::pair<std::string, std::string>> ProfileDocument::Entries(std::string_view section) const {
    std::vector<std::pair<std::string, std::string>> entries;
    const std::string wanted = AsciiLower(trimBlanks(section));
    for (const auto& [sectionName, key] : m_order)
        if (sectionName == wanted) entries.emplace_back(key, *Find(section, key));
    return entries;
}

std::string ProfileSetValue(std::string_view text, std::string_view section,
                            std::string_view key, std::string_view value) {
    section = trimBlanks(section);
    key = trimBlanks(key);
    const std::string stored = quoteIfNeeded(value);

    bool inTarget = false;
    bool found = false;
    std::size_t insertAt = 0;        // just past the section's last non-blank line
    bool insertNeedsBreak = false;   // that line is the file's last and has no line break
    for (std::size_t pos = 0; pos < text.size();) {
        const Line line = lineAt(text, pos);
        pos = line.next;
        const LineMeaning m = classify(text, line);
        if (m.kind == LineKind::Section) {
            if (found) break;  // only the first occurrence counts
            inTarget = found = EqualsNoCase(m.name, section);
        } else if (!inTarget || m.kind == LineKind::Blank) {
            continue;
        } else if (m.kind == LineKind::Pair && EqualsNoCase(m.name, key)) {
            // Keep the key as written and the blanks around the value; replace the value.
            const std::size_t valueBegin =
                m.value.empty() ? line.end : static_cast<std::size_t>(m.value.data() - text.data());
            const std::size_t valueEnd = valueBegin + m.value.size();
            std::string out;
            out.reserve(text.size() + stored.size());
            out.append(text.substr(0, valueBegin));
            out.append(stored);
            out.append(text.substr(valueEnd));
            return out;
        }
        insertAt = line.next;
        insertNeedsBreak = line.next == line.end;
    }

    std::string addition;
    if (!found) {
        insertAt = text.size();
        insertNeedsBreak = !text.empty() && text.back() != '\n' && text.back() != '\r';
        addition += '[';
        addition += section;
        addition += "]\r\n";
    }
    addition += key;
    addition += '=';
    addition += stored;
    addition += "\r\n";

    std::string out;
    out.reserve(text.size() + addition.size() + 2);
    out.append(text.substr(0, insertAt));
    if (insertNeedsBreak) out += "\r\n";
    out += addition;
    out.append(text.substr(insertAt));
    return out;
}

std::size_t ProfileFileParses() {
    return cache().parses.load(std::memory_order_relaxed);
}

namespace win {

std::size_t GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::string& out,
                                    std::size_t size, std::string_view fileName) {
    const std::string path = ResolveProfilePath(fileName);
    std::optional<std::string> value;
    if (!path.empty()) value = readValue(path, section, key);
    const std::string_view text = value ? std::string_view(*value) : defaultValue;
    out.assign(size == 0 ? std::string_view() : CharPrefix(text, size - 1));
    return CharLength(out);
}

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, std::string_view fileName) {
    const std::string_view name = trimBlanks(key);
    const std::string_view sectionName = trimBlanks(section);
    const bool valid = !fileName.empty() && !hasLineBreak(section) && !hasLineBreak(key) &&
                       !hasLineBreak(value) && sectionName.find(']') == std::string_view::npos &&
                       name.find('=') == std::string_view::npos &&
                       (name.empty() || (name.front() != '[' && name.front() != ';'));
    if (!valid) {
        errno = EINVAL;
        return false;
    }

    const std::string path = ResolveProfilePath(fileName);
    if (fileName.find('/') == std::string_view::npos && !MakeDirectories(ConfigDir()))
        return false;

    FileLock lock(path);
    if (!lock.locked()) {
        errno = lock.error();
        return false;
    }
    struct stat st {};
    if (stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
            return false;
        }
        if (st.st_size > kMaxProfileBytes) {
            errno = EFBIG;
            return false;
        }
    }
    std::string text;
    const bool exists = ReadWholeFile(path, text);
    // Anything but a missing file must not be overwritten with a fresh one.
    if (!exists && errno != ENOENT) return false;

    const std::string updated = ProfileSetValue(text, section, key, value);
    if (exists && updated == text) return true;
    const bool written = AtomicReplace(path, updated);
    const int err = errno;
    forget(path);
    if (t_snapshot) t_snapshot->erase(path);
    errno = err;
    return written;
}

}  // namespace win
}  // namespace qm
