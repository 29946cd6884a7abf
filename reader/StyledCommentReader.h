// SPDX-License-Identifier: MIT
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "generator/CommentStyle.h"

namespace qm {

// One name a parameter tag documents; [begin, end) are its bytes in the comment's text.
struct TagName {
    std::string name;
    std::size_t begin = 0, end = 0;
};

// One tag, or one paragraph of prose, of a house-style comment. Offsets are bytes of the text
// read; lines count from 0.
struct CommentTag {
    enum class Kind { Purpose, Param, TypeParam, Return, Other, Prose };
    Kind kind = Kind::Other;
    std::size_t begin = 0, end = 0;           // from its '@', '\' or '<' to the end of its text
    std::size_t firstLine = 0, lastLine = 0;  // the lines it spans, both included
    bool wholeLines = false;                  // alone on its lines, which hold no opener or closer
    std::string spelling;                     // how it opens: "@param", "\param", "<param", "@Description"
    std::vector<TagName> names;
    std::string direction;  // "[in,out]" as written
    std::string type;       // a VBA tag's "{Long}" as written
    std::string text;       // its description, lines joined by '\n', blanks at their ends dropped
};

struct StyledCommentResult {
    std::optional<StyledDescription> description;
    std::vector<CommentTag> tags;  // in the order they stand
    std::string opener;            // "/**", "///", "'"... as the comment opens
    std::string error;
    explicit operator bool() const { return description.has_value(); }
};

// Reads a comment of style (whole lines, from its opener to its closer; CR LF or LF; any
// indentation): the purpose tag's text or else the first paragraph of prose, the parameter,
// template-parameter and return tags, and every other tag and paragraph as it stands. Tags in
// code blocks (@code, \verbatim, ``` and ~~~ fences) are text. With declaration, the result
// describes it: its name, kind, access and parameters, each with the text documenting its name
// (Visual Basic names match in any letter case). Without one, the documented parameters in
// their order, with no type. A text that is not a comment of the style is an error.
StyledCommentResult ReadStyledComment(std::string_view text, const CommentStyle& style,
                                      const ProcedureDescription* declaration = nullptr, bool vb = false);

// The tags of such a comment alone, read faster: texts cut to their first character, enough
// to tell an empty one, and no description; error as ReadStyledComment's.
StyledCommentResult ReadStyledTags(std::string_view text, const CommentStyle& style);

// Whether t is a return tag that says something is returned ("@returns {void}" does not).
bool DocumentsReturn(const CommentTag& t);

// The opener of style that line (blanks before it dropped) starts with, or empty: "////" and
// "/***" are rules, and "'''" opens XML documentation, not VBA tags.
std::string_view StyledCommentOpener(std::string_view line, const CommentStyle& style);

// The comment of style that text starts with, blank lines before it left out: its lines with
// their line ends; empty when text starts with none.
std::string_view LeadingStyledComment(std::string_view text, const CommentStyle& style);

// The names of the template parameters of a C++ declaration's head ("template <class T, int N>"
// gives T and N); none when it has no template head.
std::vector<std::string> TemplateParameterNames(std::string_view declaration);

// What a comment above a declaration says of it: declared, as read from the declaration's text,
// with no returns text, as the declaration shows the type, but saying whether a value comes back,
// and in C++ (language 1) with its template parameters.
StyledDescription DescribeForComment(ProcedureDescription declared, std::string_view declaration,
                                     DevelopmentLanguage language);

}  // namespace qm
