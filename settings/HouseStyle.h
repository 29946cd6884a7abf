// SPDX-License-Identifier: MIT
// The project's style file, .quillmark: which house style each language is written in and
// what check reports. Found by walking up from a source file, as .clang-format is.
#pragma once
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "generator/CommentStyle.h"

namespace qm {

inline constexpr std::string_view kStyleFileName = ".quillmark";

struct HouseStyle {
    const CommentStyle* cpp = FindCommentStyle("box");
    const CommentStyle* vb = FindCommentStyle("box");
    StyleOptions options;
    bool missing = false;             // check reports procedures without a comment
    bool undocumented = false;        // and parameters and returns a comment leaves out
    bool order = false;               // and parameters documented in another order
    std::vector<std::string> ignore;  // patterns of paths that check and update leave alone
    std::string folder;               // the style file's folder; empty with no file

    // The style of language; the box for a language other than 0 and 1.
    const CommentStyle& style(DevelopmentLanguage language) const {
        return language == kVisualBasic ? *vb : language == kVisualCpp ? *cpp : *FindCommentStyle("box");
    }
    // Whether path (a file under folder) matches an ignore pattern: a pattern with a '/'
    // matches the path from folder on or a folder it lies in; one without, any of its names.
    bool ignores(std::string_view path) const;
};

// Either the style or "FILE:LINE: why" (FILE: why for a file that cannot be read).
struct HouseStyleResult {
    std::shared_ptr<const HouseStyle> style;
    std::string error;
};

// Reads a style file's text, path naming it in errors and giving the folder of its ignore
// patterns. Sections [style] (cpp, vb, opener, tag, brief, history, trim) and [check]
// (missing, undocumented, order, ignore); booleans are yes/no, true/false, on/off or 1/0;
// ';' and '#' start comment lines. An unknown section or key, a value out of its range, an
// opener the C++ style does not write or a line that is none of these is an error.
HouseStyleResult ParseHouseStyle(std::string_view text, const std::string& path);

// style with name's style for the languages it serves (an empty name leaves it), or an error
// naming the styles.
HouseStyleResult WithStyleName(std::shared_ptr<const HouseStyle> style, std::string_view name);

// Finds each source file's style file, reading each folder's once: the first .quillmark in the
// file's folder or above it. No file gives the defaults (the box everywhere). Thread-safe.
class HouseStyleFinder {
public:
    HouseStyleResult find(const std::string& sourcePath);
    // Folders looked at on disk so far.
    std::size_t foldersLooked() const;

private:
    HouseStyleResult lookIn(const std::string& folder);

    mutable std::mutex m_mutex;
    std::unordered_map<std::string, HouseStyleResult> m_byFolder;
    std::size_t m_looked = 0;
};

}  // namespace qm
