// SPDX-License-Identifier: MIT
#pragma once
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileDescriptor.h"

namespace qm {

// The language a source file's name says, by its extension, case ignored: 0 Visual Basic
// (.bas .cls .frm .ctl .dsr .pag .dob), 1 Visual C++ (.h .hh .hpp .hxx .c .cc .cpp .cxx);
// nullopt for any other name, a dotfile such as ".bas" included.
std::optional<int> SourceLanguageOf(std::string_view name);
// language's extensions, blank-separated, as help texts list them: ".bas .cls ...".
std::string SourceExtensions(int language);

// One thing a walk meets.
struct WalkItem {
    enum class Kind {
        File,   // a file to read, in folder under name
        Link,   // a symbolic link found in a folder: not followed
        Error,  // a path that cannot be read or walked: why
    };
    Kind kind = Kind::File;
    // As named, or found beneath what was named; it may be longer than any path the system
    // opens, so files are opened in folder.
    std::string path;
    std::shared_ptr<const FileDescriptor> folder;
    std::string name;
    bool named = false;  // a file named as such, so its name need not say its language
    std::string why;
};

struct WalkOptions {
    // Folders kept open along the path being walked; those above them are opened again from
    // below on the way back.
    std::size_t openFolders = 16;
};

// Visits what paths name, in order: a file as it is (a symbolic link named followed), a folder
// depth first with each folder's entries in byte order of their names, giving its source
// files (by SourceLanguageOf), the symbolic links among them and to folders as Link items,
// never followed, and everything that cannot be read as an Error item; hidden folders are
// skipped. Memory grows with the depth and the size of the folders on the path, and at most
// openFolders descriptors stay open, plus those the caller keeps in items.
void WalkSources(const std::vector<std::string>& paths, const std::function<void(WalkItem&&)>& visit,
                 const WalkOptions& options = {});

}  // namespace qm
