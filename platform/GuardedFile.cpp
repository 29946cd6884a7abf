// SPDX-License-Identifier: MIT
#include "platform/GuardedFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <thread>

#include "platform/FileMetadata.h"

namespace qm {
namespace {

using Clock = std::chrono::steady_clock;

// O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused once open.
constexpr int kOpenFlags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
// The mark of our temporary files: ".NAME" + kMark + six letters or digits + kMarkEnd.
constexpr std::string_view kMark = ".qmark-";
constexpr std::string_view kMarkEnd = ".tmp";
constexpr std::size_t kMarkRandom = 6;
// A marked temporary file older than this was left by a killed run.
constexpr time_t kLeftoverSeconds = 60;

bool SameInode(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool SameContentState(const struct stat& a, const struct stat& b) {
    return SameInode(a, b) && a.st_size == b.st_size && a.st_nlink == b.st_nlink &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
           a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

std::string MarkedName(const std::string& name) {
    unsigned char random[kMarkRandom] = {};
    if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
        const auto seed = static_cast<unsigned long>(Clock::now().time_since_epoch().count()) ^ ::getpid();
        for (std::size_t i = 0; i < kMarkRandom; ++i) random[i] = static_cast<unsigned char>(seed >> (5 * i));
    }
    std::string out = "." + name + std::string(kMark);
    for (unsigned char r : random) out += kAlphabet[r % kAlphabet.size()];
    return out + std::string(kMarkEnd);
}

bool IsMarkedName(std::string_view candidate, const std::string& name) {
    const std::size_t head = 1 + name.size() + kMark.size();
    if (candidate.size() != head + kMarkRandom + kMarkEnd.size() || candidate[0] != '.' ||
        candidate.substr(1, name.size()) != name ||
        candidate.substr(1 + name.size(), kMark.size()) != kMark || !candidate.ends_with(kMarkEnd))
        return false;
    const std::string_view random = candidate.substr(head, kMarkRandom);
    return std::all_of(random.begin(), random.end(),
                       [](char c) { return kAlphabet.find(c) != std::string_view::npos; });
}

}  // namespace

FileDescriptor OpenFolder(const std::string& path) {
    FileDescriptor fd(RetryOnEintr([&] { return ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); }));
    if (!fd && errno == EACCES) fd = FileDescriptor(::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    return fd;
}

GuardedFile::GuardedFile(const std::string& path, GuardOptions options) : m_options(std::move(options)) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    m_name = slash == std::string::npos ? path : path.substr(slash + 1);
    FileDescriptor fd = OpenFolder(folder);
    if (!fd) {
        failWithErrno("cannot open its folder");
        return;
    }
    m_folder = std::make_shared<const FileDescriptor>(std::move(fd));
}

GuardedFile::GuardedFile(std::shared_ptr<const FileDescriptor> folder, std::string name, GuardOptions options)
    : m_folder(std::move(folder)), m_name(std::move(name)), m_options(std::move(options)) {}

bool GuardedFile::fail(int error, std::string why) {
    m_error = error;
    m_why = std::move(why);
    errno = error;
    return false;
}

bool GuardedFile::failWithErrno(const std::string& what) {
    const int error = errno;
    return fail(error, what + ": " + std::strerror(error));
}

bool GuardedFile::open() {
    if (m_name.empty() || m_name == "." || m_name == "..") return fail(EISDIR, "not a regular file");
    const int folder = m_folder->get();
    auto deadline = Clock::now() + m_options.lockWait;
    for (;;) {
        bool created = false;
        FileDescriptor fd(RetryOnEintr([&] { return ::openat(folder, m_name.c_str(), kOpenFlags); }));
        if (!fd && errno == ENOENT && m_options.write && m_options.create) {
            fd = FileDescriptor(::openat(folder, m_name.c_str(), kOpenFlags | O_CREAT | O_EXCL, 0600));
            if (!fd && errno == EEXIST) continue;  // another writer made it first
            created = static_cast<bool>(fd);
        }
        if (!fd && errno == ELOOP) return fail(ELOOP, "a symbolic link; not followed");
        if (!fd) return failWithErrno("cannot read");
        struct stat held {};
        if (::fstat(fd.get(), &held) != 0) return failWithErrno("cannot read");
        if (!S_ISREG(held.st_mode))
            return fail(S_ISDIR(held.st_mode) ? EISDIR : EINVAL, "not a regular file");
        struct stat owner {};
        // Made by root in a user's folder: the user's, so they are not locked out of their own file.
        if (created && ::geteuid() == 0 && ::fstat(folder, &owner) == 0 && owner.st_uid != 0) {
            const bool given = ::fchown(fd.get(), owner.st_uid, owner.st_gid) == 0;
            (void)given;  // root keeps it; the write itself still succeeds
        }
        if (!m_options.write) {
            m_file = std::move(fd);
            return true;
        }

        struct stat atName {};
        auto pause = std::chrono::milliseconds(1);
        bool moved = false;
        while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK && errno != EINTR) return failWithErrno("cannot lock");
            // Another writer renamed its new file over this one: it got on, so the wait begins anew.
            if (::fstatat(folder, m_name.c_str(), &atName, AT_SYMLINK_NOFOLLOW) == 0 &&
                !SameInode(atName, held)) {
                moved = true;
                break;
            }
            const auto now = Clock::now();
            if (now >= deadline) return fail(EWOULDBLOCK, "locked by another program; left alone");
            std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
            pause = std::min(pause * 2, std::chrono::milliseconds(5));
        }
        if (moved) {
            deadline = Clock::now() + m_options.lockWait;
            continue;
        }
        // Locked; but a writer before us may have renamed a new file over the one we waited on.
        if (::fstatat(folder, m_name.c_str(), &atName, AT_SYMLINK_NOFOLLOW) == 0) {
            if (SameInode(atName, held)) {
                m_file = std::move(fd);
                return true;
            }
        } else if (errno != ENOENT || !m_options.create) {
            return failWithErrno("cannot read");
        }
    }
}

bool GuardedFile::read(std::string& text, std::size_t maxBytes) {
    if (!m_folder) return m_why.empty() ? fail(EBADF, "cannot open its folder") : false;
    if (!open()) return false;
    struct stat before {};
    struct stat after {};
    if (::fstat(m_file.get(), &before) != 0) return failWithErrno("cannot read");
    if (static_cast<std::size_t>(before.st_size) > maxBytes ||
        !ReadDescriptor(m_file.get(), text, maxBytes)) {
        if (errno == EFBIG || static_cast<std::size_t>(before.st_size) > maxBytes)
            return fail(EFBIG, "larger than " + std::to_string(maxBytes >> 20) + " MiB; left alone");
        return failWithErrno("cannot read");
    }
    if (::fstat(m_file.get(), &after) != 0) return failWithErrno("cannot read");
    if (!SameContentState(before, after) || text.size() != static_cast<std::size_t>(after.st_size))
        return fail(EBUSY, "changed on disk while being read; left alone");
    m_read = after;
    m_haveRead = true;
    return true;
}

bool GuardedFile::unchanged() const {
    struct stat atName {
    }, now{};
    return ::fstatat(m_folder->get(), m_name.c_str(), &atName, AT_SYMLINK_NOFOLLOW) == 0 &&
           ::fstat(m_file.get(), &now) == 0 && SameInode(atName, m_read) && SameContentState(now, m_read);
}

// A new file in the folder holding text, synced, with the metadata of the file read; name is
// set when it has one. An empty descriptor with why() set on failure, nothing left behind.
FileDescriptor GuardedFile::temporary(std::string_view text, bool named, std::string& name) {
    const int folder = m_folder->get();
    FileDescriptor fd;
    name.clear();
    if (!named) {
        fd = FileDescriptor(::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
        // File systems without nameless files say so in one of these ways.
        if (!fd && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT) {
            failWithErrno("cannot write");
            return {};
        }
    }
    for (int attempt = 0; !fd && attempt < 100; ++attempt) {
        name = MarkedName(m_name);
        fd = FileDescriptor(
            ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!fd && errno != EEXIST) {
            failWithErrno("cannot write");
            name.clear();
            return {};
        }
    }
    if (!fd) {
        fail(EEXIST, "cannot write: no free temporary name");
        return {};
    }
    int error = 0;
    std::string why;
    // The metadata after the text: a write by a non-root user clears set-id bits.
    if (!WriteAll(fd.get(), text)) {
        error = errno;
        why = std::string("cannot write: ") + std::strerror(error);
    } else if (std::string lost = CopyMetadata(m_file.get(), fd.get()); !lost.empty()) {
        error = EPERM;
        why = lost + "; left alone";
    } else if (::fsync(fd.get()) != 0) {
        error = errno;
        why = std::string("cannot write: ") + std::strerror(error);
    }
    if (why.empty()) return fd;
    if (!name.empty()) ::unlinkat(folder, name.c_str(), 0);
    name.clear();
    fail(error, why);
    return {};
}

// Gives a nameless temporary file a marked name in the folder; false where it cannot.
bool GuardedFile::linkTemporary(const FileDescriptor& temp, std::string& name) {
    const std::string self = "/proc/self/fd/" + std::to_string(temp.get());
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = MarkedName(m_name);
        if (::linkat(AT_FDCWD, self.c_str(), m_folder->get(), name.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        // Without /proc, only a process allowed to link any descriptor can.
        if (errno == ENOENT && ::linkat(temp.get(), "", m_folder->get(), name.c_str(), AT_EMPTY_PATH) == 0)
            return true;
        if (errno != EEXIST) break;
    }
    name.clear();
    return false;
}

// Removes marked temporary files of this file left by killed runs: only the exact form, only
// regular files of ours with one name, only when they are old.
void GuardedFile::clearLeftovers() const {
    const int copy = ::openat(m_folder->get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (copy < 0) return;
    DIR* listing = ::fdopendir(copy);
    if (!listing) {
        ::close(copy);
        return;
    }
    const time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(listing)) {
        if (!IsMarkedName(entry->d_name, m_name)) continue;
        struct stat st {};
        if (::fstatat(m_folder->get(), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            st.st_uid == ::geteuid() && st.st_nlink == 1 && st.st_mtime + kLeftoverSeconds < now)
            ::unlinkat(m_folder->get(), entry->d_name, 0);
    }
    ::closedir(listing);
}

bool GuardedFile::replace(std::string_view text) {
    if (!m_haveRead || !m_options.write) return fail(EINVAL, "cannot write: it was not read for writing");
    m_haveRead = false;
    const int folder = m_folder->get();
    if ((m_read.st_mode & 0222) == 0) return fail(EACCES, "read-only; left alone");
    if (::faccessat(folder, m_name.c_str(), W_OK, AT_EACCESS) != 0) return failWithErrno("cannot write");
    if (m_read.st_nlink > 1)
        return fail(EMLINK, "has " + std::to_string(m_read.st_nlink) +
                                " names (hard links); left alone, as a new file would part them");
    clearLeftovers();

    std::string name;
    FileDescriptor temp = temporary(text, m_options.namedTemporary, name);
    // A nameless file that cannot be named here is written again under a name.
    if (temp && name.empty() && !linkTemporary(temp, name)) temp = temporary(text, true, name);
    if (!temp) return false;
    if (m_options.beforeRename) m_options.beforeRename();
    if (!unchanged()) {
        ::unlinkat(folder, name.c_str(), 0);
        return fail(EBUSY, "changed on disk since it was read; left alone");
    }
    if (::renameat(folder, name.c_str(), folder, m_name.c_str()) != 0) {
        const int error = errno;
        ::unlinkat(folder, name.c_str(), 0);
        errno = error;
        return failWithErrno("cannot write");
    }
    // Makes the rename itself durable; a failure here (a folder that may only be passed
    // through cannot be synced) loses nothing, so it is not reported.
    ::fsync(folder);
    return true;
}

}  // namespace qm
