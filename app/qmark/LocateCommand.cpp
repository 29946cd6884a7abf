// SPDX-License-Identifier: MIT
#include "app/qmark/LocateCommand.h"

#include <charconv>
#include <ostream>
#include <string>

#include "app/qmark/BlockCommands.h"
#include "app/qmark/InputError.h"
#include "app/qmark/MessageText.h"
#include "app/qmark/StyledBlocks.h"
#include "reader/DeclarationSpan.h"
#include "reader/StyledCommentSync.h"

namespace qm {
namespace {

std::size_t LineNumber(const std::string& arg) {
    std::size_t line = 0;
    const auto [end, ec] = std::from_chars(arg.data(), arg.data() + arg.size(), line);
    if (arg.empty() || ec != std::errc() || end != arg.data() + arg.size() || line == 0)
        throw UsageError("invalid line " + QuoteForMessage(arg, '\'') + " (a line number from 1)");
    return line;
}

}  // namespace

int RunLocate(Request& r, std::istream& in, std::ostream& out, std::ostream&) {
    if (r.operands.empty() || r.operands.size() > 2)
        throw UsageError(r.operands.empty() ? "missing line number to locate"
                                            : "locate takes one or two line numbers");
    const std::size_t line = LineNumber(r.operands[0]);
    const std::size_t through = r.operands.size() > 1 ? LineNumber(r.operands[1]) : line;
    CompleteFromSettings(r, false);
    const std::string text = ReadInput(in);
    const DeclarationSpan span = LocateDeclaration(text, line - 1, *r.language, through - 1);
    if (!span.error.empty()) throw InputError("line " + std::to_string(line) + ": " + span.error);
    if (span.headerOpen) {
        throw InputError("line " + std::to_string(span.headerFor + 1) + " has a header block (line " +
                         std::to_string(*span.headerOpen + 1) + "); use 'qmark update'");
    }
    // In a house style, a comment of the style above is the procedure's header as well.
    const CommentStyle& style = RequestHouseStyle(r)->style(*r.language);
    if (const auto d = StyledCommentAbove(text, *r.language, style, span.first, span.last))
        throw InputError("line " + std::to_string(*d + 1) + " has a " + std::string(style.name) +
                         " comment; use 'qmark update'");
    out << span.first + 1 << ' ' << span.last + 1 << '\n';
    return kExitOk;
}

}  // namespace qm
