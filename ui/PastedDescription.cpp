// SPDX-License-Identifier: MIT
#include "ui/PastedDescription.h"

#include "reader/CommentBlockReader.h"
#include "reader/Declaration.h"

namespace qm {
namespace {

std::string_view TrimLeft(std::string_view line) {
    const std::size_t start = line.find_first_not_of(" \t");
    return start == std::string_view::npos ? std::string_view() : line.substr(start);
}

// Where the comment lines that open text end (npos when they do not, or text opens with code):
// our blocks are comment lines throughout, the declaration under them is not.
std::size_t EndOfCommentLines(std::string_view text) {
    const std::string_view first = TrimLeft(text);
    const std::string_view prefix = first.starts_with("//") ? "//" : first.starts_with("'") ? "'" : "";
    if (prefix.empty()) return std::string_view::npos;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        if (!TrimLeft(text.substr(at, end - at)).starts_with(prefix)) return at;
        at = end + 1;
    }
    return std::string_view::npos;
}

// The window offers Public, Private and Protected only; a Friend procedure shows as Public.
PastedDescription ForTheWindow(ProcedureDescription d, bool hasPurpose,
                               std::optional<std::vector<HistoryLine>> history) {
    if (d.access == AccessLevel::Friend) d.access = AccessLevel::Public;
    return {std::move(d), hasPurpose, std::move(history)};
}

}  // namespace

std::optional<PastedDescription> DescribePastedText(std::string_view text, DevelopmentLanguage language) {
    CommentBlockResult block = ReadCommentBlock(text);
    // A block copied with its declaration: the declaration splits a type that ran into its name.
    if (const std::size_t end = EndOfCommentLines(text); !block && end != std::string_view::npos) {
        if (DeclarationResult below = ReadDeclaration(text.substr(end), language))
            block = ReadCommentBlock(text.substr(0, end), &*below.description);
    }
    if (block && block.description->kind != ProcedureKind::General)
        return ForTheWindow(std::move(*block.description), true, std::move(block.history));
    if (DeclarationResult declaration = ReadDeclaration(text, language);
        declaration && declaration.description->kind != ProcedureKind::General)
        return ForTheWindow(std::move(*declaration.description), false, std::nullopt);
    return std::nullopt;
}

}  // namespace qm
