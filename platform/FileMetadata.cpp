// SPDX-License-Identifier: MIT
#include "platform/FileMetadata.h"

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

namespace qm {
namespace {

using Attributes = std::map<std::string, std::string>;

// Calls get(buffer, size) the way the xattr calls want: first for the size, then again while
// the value grows between the two calls. false with errno set.
template <typename Get>
bool ReadSized(Get get, std::string& out) {
    for (;;) {
        const ssize_t size = get(nullptr, 0);
        if (size < 0) return false;
        out.resize(static_cast<std::size_t>(size));
        const ssize_t got = get(out.data(), out.size());
        if (got >= 0) {
            out.resize(static_cast<std::size_t>(got));
            return true;
        }
        if (errno != ERANGE) return false;
    }
}

// fd's extended attributes by name; a file system without them has none. false with errno set.
bool ReadAttributes(int fd, Attributes& out) {
    out.clear();
    std::string names;
    if (!ReadSized([&](char* b, std::size_t n) { return ::flistxattr(fd, b, n); }, names))
        return errno == ENOTSUP;
    for (std::size_t at = 0; at < names.size();) {
        const std::size_t end = std::min(names.find('\0', at), names.size());
        const std::string name = names.substr(at, end - at);
        at = end + 1;
        std::string value;
        if (ReadSized([&](char* b, std::size_t n) { return ::fgetxattr(fd, name.c_str(), b, n); }, value)) {
            out[name] = std::move(value);
        } else if (errno != ENODATA) {
            return false;  // ENODATA: removed since it was listed
        }
    }
    return true;
}

std::string Because(const std::string& what) { return what + ": " + std::strerror(errno); }

std::string Octal(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

}  // namespace

std::string CopyMetadata(int from, int to) {
    struct stat want {
    }, have{};
    if (::fstat(from, &want) != 0 || ::fstat(to, &have) != 0) return Because("cannot read its metadata");
    if (have.st_uid != want.st_uid && ::fchown(to, want.st_uid, static_cast<gid_t>(-1)) != 0)
        return Because("cannot keep its owner");
    if (have.st_gid != want.st_gid && ::fchown(to, static_cast<uid_t>(-1), want.st_gid) != 0)
        return Because("cannot keep its group");

    Attributes wanted, present;
    if (!ReadAttributes(from, wanted)) return Because("cannot read its extended attributes");
    if (!ReadAttributes(to, present)) return Because("cannot read the new file's extended attributes");
    for (const auto& [name, value] : wanted) {
        const auto it = present.find(name);
        // An equal value is kept as it is: a security label set by the system may not be set again.
        if (it != present.end() && it->second == value) continue;
        if (::fsetxattr(to, name.c_str(), value.data(), value.size(), 0) != 0)
            return Because("cannot keep its extended attribute " + name);
    }
    // What the new file inherited that the old one lacks, a folder's default ACL above all.
    for (const auto& [name, value] : present)
        if (!wanted.count(name) && ::fremovexattr(to, name.c_str()) != 0 && errno != ENODATA)
            return Because("cannot drop the inherited extended attribute " + name);
    if (::fchmod(to, want.st_mode & 07777) != 0)
        return Because("cannot keep its mode " + Octal(want.st_mode));

    // Read back: the kernel may quietly drop a set-id bit or fold an ACL into the mode.
    if (::fstat(to, &have) != 0 || !ReadAttributes(to, present)) return Because("cannot read its metadata");
    if (have.st_uid != want.st_uid || have.st_gid != want.st_gid) return "cannot keep its owner and group";
    if ((have.st_mode & 07777) != (want.st_mode & 07777))
        return "cannot keep its mode " + Octal(want.st_mode) + " (it came out " + Octal(have.st_mode) + ")";
    if (present != wanted) return "cannot keep its extended attributes exactly";
    return {};
}

}  // namespace qm
