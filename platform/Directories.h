// SPDX-License-Identifier: MIT
// Where things live, and the stand-ins for the Windows directory and temp-file calls.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// $XDG_CONFIG_HOME/quillmark, else $HOME/.config/quillmark; no trailing slash. Not created here.
std::string ConfigDir();
// $TMPDIR, else /tmp; always ends in '/'.
std::string TempDir();
// Reported as the system directory; never used for anything.
std::string SystemDir();
// The system-wide folders read beneath ConfigDir(), most important first: each entry of
// $XDG_CONFIG_DIRS (default /etc/xdg) plus "/quillmark"; relative entries are skipped.
std::vector<std::string> SystemConfigDirs();
// Folder holding the registry files of the roots other than HKEY_CURRENT_USER:
// $QUILLMARK_SYSTEM_REGISTRY, else /etc/quillmark/registry.
std::string SystemRegistryDir();
// A bare file name (no '/') resolves against ConfigDir(); any other path is used as is.
std::string ResolveProfilePath(std::string_view fileName);
// Creates dir and its parents (mode 0700 for new ones, given to their folder's owner as
// GiveToFolderOwner does); false with errno set on failure.
bool MakeDirectories(const std::string& dir);
// Run as root (sudo -E keeps a user's HOME), gives a file or folder just made to the owner
// of the folder holding it, so that the user is not locked out of their own home.
void GiveToFolderOwner(const std::string& path);

namespace win {

// Each writes the directory into out and returns its length in characters.
std::size_t GetWindowsDirectory(std::string& out);
std::size_t GetSystemDirectory(std::string& out);
std::size_t GetTempPath(std::string& out);

// With unique == 0: creates a new empty file (O_EXCL, mode 0600) named
// <first 3 characters of prefix><hex digits>.tmp in dir, retrying on collision, writes its
// full path into out and returns the number used (never 0). With unique != 0 the name is
// built from unique and nothing is created. Returns 0 with errno set on failure.
unsigned GetTempFileName(std::string_view dir, std::string_view prefix, unsigned unique, std::string& out);

}  // namespace win
}  // namespace qm
