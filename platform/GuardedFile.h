// SPDX-License-Identifier: MIT
#pragma once
#include <sys/stat.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/FileDescriptor.h"
#include "platform/WholeFile.h"

namespace qm {

struct GuardOptions {
    // Lock the file so that it can be replaced; without, it is only read.
    bool write = false;
    // With write: a missing file is made empty (mode 0600; made by root in a user's folder, it
    // goes to that user) and locked, as a settings file is on its first write.
    bool create = false;
    // How long a lock that another program holds, and does not let go of, is waited for.
    std::chrono::milliseconds lockWait{2000};
    // The new text goes to a marked temporary name at once, as where the file system cannot
    // make a nameless file; tests take this path on purpose.
    bool namedTemporary = false;
    // Runs when the new text is written, synced and has the old file's metadata, right before
    // the last check and the rename: where tests stage their races.
    std::function<void()> beforeRename{};
};

// One file in one folder, read, locked and replaced through the folder's descriptor: the
// folder is opened once and never looked up again, and the file's own name is never followed
// when it is a symbolic link. A replace writes a new file beside the old one, gives it the old
// one's owner, group, mode, ACL and extended attributes, syncs it, checks that the name still
// holds the very file that was read, unchanged, and renames the new one over it; so the
// window in which another program's write can be lost is the rename itself. Anything that
// cannot be kept leaves the file alone. A file with more than one name (hard links) is left
// alone too, as a replace would part the names. Temporary files are nameless where the file
// system allows, else named ".NAME.qmark-XXXXXX.tmp", and only that exact form, left by a
// killed run, is ever deleted.
class GuardedFile {
public:
    // path's folder is opened now (symbolic links on the way followed); its last part is not.
    GuardedFile(const std::string& path, GuardOptions options);
    // name in a folder already open, as a walk hands it over.
    GuardedFile(std::shared_ptr<const FileDescriptor> folder, std::string name, GuardOptions options);
    GuardedFile(const GuardedFile&) = delete;
    GuardedFile& operator=(const GuardedFile&) = delete;

    // Opens the file (with write, locks it too) and reads all of it; false with error() and
    // why() set: a missing file, a symbolic link, one that is not regular (EISDIR, EINVAL),
    // over maxBytes (EFBIG), locked by another program past lockWait (EWOULDBLOCK), or
    // changed while it was read (EBUSY).
    bool read(std::string& text, std::size_t maxBytes = kMaxWholeFileBytes);
    // Replaces the file read, still locked, with text. true once the rename happened; false
    // with error() and why() set, the file untouched: read-only (EACCES), several names
    // (EMLINK), changed since it was read (EBUSY), metadata that could not be kept, or a
    // failed write (ENOSPC and the like). Once per read.
    bool replace(std::string_view text);

    int error() const noexcept { return m_error; }
    // Why the file was left alone, for a message after its name: "locked by another program".
    const std::string& why() const noexcept { return m_why; }

private:
    bool fail(int error, std::string why);
    bool failWithErrno(const std::string& what);
    bool open();
    bool unchanged() const;
    FileDescriptor temporary(std::string_view text, bool named, std::string& name);
    bool linkTemporary(const FileDescriptor& temp, std::string& name);
    void clearLeftovers() const;

    std::shared_ptr<const FileDescriptor> m_folder;
    std::string m_name;
    GuardOptions m_options;
    FileDescriptor m_file;
    struct stat m_read {};
    bool m_haveRead = false;
    int m_error = 0;
    std::string m_why;
};

// Opens the folder at path as GuardedFile and the walk hold one: for reading where it may be
// read, else, when it may only be passed through, for finding names in it. Empty with errno set.
FileDescriptor OpenFolder(const std::string& path);

}  // namespace qm
