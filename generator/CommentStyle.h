// SPDX-License-Identifier: MIT
// House styles: the description written as the box, a Doxygen or XML documentation comment or
// VBA doc tags. Each style is a row of a table; one writer here and one reader in reader/ use it.
#pragma once
#include <algorithm>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "generator/CommentBlock.h"

namespace qm {

// How a style's tags look: "@param x text" commands, or <param name="x">text</param> elements.
enum class TagSyntax { Box, Commands, Elements };

// One style. Templates hold {tag} (the command character), {name}, {text} and {quoted} (text
// inside a Visual Basic string); a '\n' in a template or in the text starts a new comment line.
// Tag lists are blank-separated: the first is written, all are read.
struct CommentStyle {
    std::string_view name;
    TagSyntax syntax;
    std::string_view cppOpeners;  // the frames it is written in for C++, default first; empty: none
    std::string_view vbOpeners;   // likewise for Visual Basic
    std::string_view purposeTags, paramTags, typeParamTags, returnTags;
    // Other tags that open a paragraph of their own ("*": every tag); the rest are inline text.
    std::string_view sectionTags;
    bool midLineTags;               // a tag after a blank inside a line opens a paragraph too
    std::string_view purpose;       // with a purpose tag (@brief)
    std::string_view plainPurpose;  // without one; empty: the purpose tag is always written
    std::string_view param, typeParam, returns;
    std::string_view author, date;  // history lines; empty: the style has none
    bool blankAfterPurpose;         // a blank comment line between the purpose and the tags
};

// How a comment is framed: the opener as a style file names it, the lines around the body
// (empty: none), the prefix of each body line and of an empty one.
struct CommentFrame {
    std::string_view opener, first, prefix, blank, last;
};

// The rows: box, doxygen, xmldoc, vbtags.
std::span<const CommentStyle> CommentStyles();
// The style called name (exact, lower case), or nullptr.
const CommentStyle* FindCommentStyle(std::string_view name);
// The frame of an opener ("/**", "/*!", "///", "//!", "'''", "'"), or nullptr.
const CommentFrame* FindCommentFrame(std::string_view opener);
// Whether style is written in language (0 Visual Basic, 1 C++); the box in every language.
bool StyleServes(const CommentStyle& style, DevelopmentLanguage language);
// Whether style writes opener in language; an empty opener always passes.
bool StyleTakesOpener(const CommentStyle& style, DevelopmentLanguage language, std::string_view opener);
// Whether f returns true for a word of a blank-separated list (the tag lists, the openers).
template <class F>
bool AnyWord(std::string_view list, F f) {
    // A plain loop: the lists are short, and a call to find for each word costs more.
    for (std::size_t at = 0, end = 0; at < list.size(); at = ++end) {
        while (end < list.size() && list[end] != ' ') ++end;
        if (end > at && f(list.substr(at, end - at))) return true;
    }
    return false;
}
// The first word of such a list.
inline std::string_view FirstWord(std::string_view list) { return list.substr(0, list.find(' ')); }

// The project's choices for the comments it writes (the style file's [style] keys).
struct StyleOptions {
    std::string opener;  // empty: the style's default for the language
    char tag = '@';      // the command character of doxygen: '@' or '\\'
    bool brief = true;   // purpose under a purpose tag rather than as a plain first paragraph
    bool history = false;
    bool trim = false;  // no blanks at the end of a line: the box pads its lines
};

// What a house-style comment says: the procedure, its template parameters (name and
// description) and whether a return line is written even while the returns text is empty.
struct StyledDescription {
    ProcedureDescription procedure;
    std::vector<ParameterEntry> templateParameters;
    bool returnsValue = false;
};

// The comment for d in style, each line ended by CR LF and, but for the box's padding, none
// with blanks at its end. The box is BuildCommentBlock's block, trimmed with options.trim; the
// other styles leave out name, kind, access and types, which the declaration shows, and write
// the developer and the date (YYYY-MM-DD) only with options.history. An opener the style does
// not take in language gives the style's default frame; a style that does not serve language
// gives an empty text.
std::string BuildStyledComment(const StyledDescription& d, const CommentStyle& style,
                               DevelopmentLanguage language, const StyleOptions& options,
                               std::string_view developerName, const DateTime& date);

// text without the blanks before each CR LF.
std::string TrimLineEnds(std::string_view text);

}  // namespace qm
