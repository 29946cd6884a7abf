// SPDX-License-Identifier: MIT
#include "platform/SourceWalk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <utility>

#include "platform/GuardedFile.h"
#include "platform/Text.h"
#include "platform/WholeFile.h"

namespace qm {
namespace {

struct SourceExtension {
    std::string_view extension;
    int language;
};

constexpr SourceExtension kSourceExtensions[] = {
    {".bas", 0}, {".cls", 0}, {".frm", 0}, {".ctl", 0}, {".dsr", 0}, {".pag", 0}, {".dob", 0}, {".h", 1},
    {".hh", 1},  {".hpp", 1}, {".hxx", 1}, {".c", 1},   {".cc", 1},  {".cpp", 1}, {".cxx", 1},
};

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

std::string Because(const char* what, int error) { return std::string(what) + ": " + std::strerror(error); }

struct Entry {
    std::string name;
    bool folder = false, link = false;
};

// A folder on the path being walked, with the entries still to visit.
struct Frame {
    std::shared_ptr<const FileDescriptor> folder;  // empty while closed
    dev_t device = 0;
    ino_t inode = 0;
    std::vector<Entry> entries;
    std::size_t next = 0;
    std::size_t pathLength = 0;
};

class Walker {
public:
    Walker(const std::function<void(WalkItem&&)>& visit, const WalkOptions& options)
        : m_visit(visit), m_openFolders(std::max<std::size_t>(options.openFolders, 1)) {}

    void walk(const std::string& path);

private:
    void error(std::string why) {
        m_visit({WalkItem::Kind::Error, m_path, nullptr, {}, false, std::move(why)});
    }
    void walkFolder(FileDescriptor folder);
    bool push(FileDescriptor folder);
    bool pop();
    bool list(int folder, std::vector<Entry>& entries);

    const std::function<void(WalkItem&&)>& m_visit;
    std::size_t m_openFolders;
    std::string m_path;
    std::vector<Frame> m_stack;
    std::set<std::pair<dev_t, ino_t>> m_onPath;  // a bind mount can make a folder its own child
};

void Walker::walk(const std::string& path) {
    m_path = path;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        error(errno == ENOENT ? "does not exist" : Because("cannot read", errno));
    } else if (S_ISDIR(st.st_mode)) {
        FileDescriptor folder(RetryOnEintr([&] { return ::open(path.c_str(), kFolderFlags); }));
        if (!folder) return error(Because("cannot open the folder", errno));
        while (m_path.size() > 1 && m_path.back() == '/') m_path.pop_back();
        walkFolder(std::move(folder));
    } else if (S_ISREG(st.st_mode)) {
        // Named on the command line: a symbolic link is followed to its file.
        const std::string target = ResolveSymlinks(path);
        const std::size_t slash = target.rfind('/');
        const std::string folderPath = slash == std::string::npos ? "."
                                       : slash == 0               ? "/"
                                                                  : target.substr(0, slash);
        FileDescriptor folder = OpenFolder(folderPath);
        if (!folder) return error(Because("cannot open its folder", errno));
        m_visit({WalkItem::Kind::File,
                 path,
                 std::make_shared<const FileDescriptor>(std::move(folder)),
                 slash == std::string::npos ? target : target.substr(slash + 1),
                 true,
                 {}});
    } else {
        error("not a regular file");
    }
}

// The folder's entries worth a visit, sorted; false with errno set when it cannot be listed.
bool Walker::list(int folder, std::vector<Entry>& entries) {
    const int copy = RetryOnEintr([&] { return ::openat(folder, ".", kFolderFlags); });
    DIR* listing = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (!listing) {
        if (copy >= 0) ::close(copy);
        return false;
    }
    for (;;) {
        errno = 0;
        const dirent* d = ::readdir(listing);
        if (!d) break;
        const std::string_view name = d->d_name;
        if (name == "." || name == "..") continue;
        unsigned char type = d->d_type;
        struct stat st {};
        if (type == DT_UNKNOWN && ::fstatat(folder, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
            type = S_ISDIR(st.st_mode)   ? DT_DIR
                   : S_ISLNK(st.st_mode) ? DT_LNK
                   : S_ISREG(st.st_mode) ? DT_REG
                                         : 0;
        const bool hidden = name[0] == '.';
        const bool source = SourceLanguageOf(name).has_value();
        if (type == DT_DIR && !hidden) {
            entries.push_back({std::string(name), true, false});
        } else if (type == DT_REG && source) {
            entries.push_back({std::string(name), false, false});
        } else if (type == DT_LNK && (source || (!hidden && ::fstatat(folder, d->d_name, &st, 0) == 0 &&
                                                 S_ISDIR(st.st_mode)))) {
            entries.push_back({std::string(name), false, true});
        }
    }
    const int error = errno;
    ::closedir(listing);
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    errno = error;
    return error == 0;
}

bool Walker::push(FileDescriptor folder) {
    Frame frame;
    struct stat st {};
    if (::fstat(folder.get(), &st) != 0) {
        error(Because("cannot read the folder", errno));
        return false;
    }
    if (!m_onPath.emplace(st.st_dev, st.st_ino).second) {
        error("a folder that holds itself (a loop); not walked again");
        return false;
    }
    if (!list(folder.get(), frame.entries)) {
        m_onPath.erase({st.st_dev, st.st_ino});
        error(Because("cannot read the folder", errno));
        return false;
    }
    frame.folder = std::make_shared<const FileDescriptor>(std::move(folder));
    frame.device = st.st_dev;
    frame.inode = st.st_ino;
    frame.pathLength = m_path.size();
    m_stack.push_back(std::move(frame));
    if (m_stack.size() > m_openFolders) m_stack[m_stack.size() - m_openFolders - 1].folder.reset();
    return true;
}

// Leaves the top folder, opening its parent again from it when that was closed. false when
// the parent is no longer where it was: the walk of this path ends there.
bool Walker::pop() {
    Frame child = std::move(m_stack.back());
    m_stack.pop_back();
    m_onPath.erase({child.device, child.inode});
    if (m_stack.empty() || m_stack.back().folder) return true;
    Frame& parent = m_stack.back();
    FileDescriptor fd(RetryOnEintr([&] { return ::openat(child.folder->get(), "..", kFolderFlags); }));
    struct stat st {};
    m_path.resize(parent.pathLength);
    if (!fd || ::fstat(fd.get(), &st) != 0 || st.st_dev != parent.device || st.st_ino != parent.inode) {
        error("moved while it was walked; not walked further");
        return false;
    }
    parent.folder = std::make_shared<const FileDescriptor>(std::move(fd));
    return true;
}

void Walker::walkFolder(FileDescriptor folder) {
    m_stack.clear();
    m_onPath.clear();
    if (!push(std::move(folder))) return;
    while (!m_stack.empty()) {
        Frame& top = m_stack.back();
        if (top.next == top.entries.size()) {
            if (!pop()) break;
            continue;
        }
        Entry entry = std::move(top.entries[top.next++]);
        m_path.resize(top.pathLength);
        if (m_path.back() != '/') m_path += '/';
        m_path += entry.name;
        if (entry.link) {
            m_visit({WalkItem::Kind::Link, m_path, nullptr, {}, false, {}});
        } else if (!entry.folder) {
            m_visit({WalkItem::Kind::File, m_path, top.folder, std::move(entry.name), false, {}});
        } else {
            FileDescriptor child(RetryOnEintr(
                [&] { return ::openat(top.folder->get(), entry.name.c_str(), kFolderFlags | O_NOFOLLOW); }));
            if (child) {
                push(std::move(child));
            } else if (errno == ELOOP || errno == ENOTDIR) {
                m_visit({WalkItem::Kind::Link, m_path, nullptr, {}, false, {}});  // swapped meanwhile
            } else {
                error(Because("cannot open the folder", errno));
            }
        }
    }
    m_stack.clear();
    m_onPath.clear();
}

}  // namespace

std::optional<int> SourceLanguageOf(std::string_view name) {
    name.remove_prefix(name.rfind('/') + 1);  // npos + 1: all of it
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return std::nullopt;
    const std::string extension = AsciiLower(name.substr(dot));
    for (const SourceExtension& row : kSourceExtensions)
        if (row.extension == extension) return row.language;
    return std::nullopt;
}

std::string SourceExtensions(int language) {
    std::string out;
    for (const SourceExtension& row : kSourceExtensions) {
        if (row.language != language) continue;
        if (!out.empty()) out += ' ';
        out += row.extension;
    }
    return out;
}

void WalkSources(const std::vector<std::string>& paths, const std::function<void(WalkItem&&)>& visit,
                 const WalkOptions& options) {
    Walker walker(visit, options);
    for (const std::string& path : paths) walker.walk(path);
}

}  // namespace qm
