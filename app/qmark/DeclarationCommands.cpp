// SPDX-License-Identifier: MIT
#include "app/qmark/DeclarationCommands.h"

#include <istream>
#include <ostream>
#include <string>
#include <string_view>

#include "app/qmark/BlockCommands.h"
#include "app/qmark/InputError.h"
#include "app/qmark/ProcedureJson.h"
#include "app/qmark/StyledBlocks.h"
#include "reader/Declaration.h"

namespace qm {
namespace {

// How the line at start ends: CR LF or LF. A last line without an end follows the first
// line; LF stands when no line has one, as on Unix.
std::string_view LineEndAt(std::string_view text, std::size_t start) {
    std::size_t lf = text.find('\n', start);
    if (lf == std::string_view::npos) lf = text.find('\n');
    return lf != std::string_view::npos && lf > 0 && text[lf - 1] == '\r' ? "\r\n" : "\n";
}

// The block above the declaration whose line starts at lineStart, indented and ended like it.
void AddBlock(Request& r, std::string_view text, std::size_t lineStart, std::string& out) {
    const std::string block = BuildHouseBlock(r, text.substr(lineStart));
    const std::string_view line = text.substr(lineStart);
    const std::string_view indent = line.substr(0, line.find_first_not_of(" \t"));
    const std::string_view lineEnd = LineEndAt(text, lineStart);
    for (std::size_t start = 0; start < block.size();) {
        const std::size_t end = block.find("\r\n", start);
        out += indent;
        out.append(block, start, end - start);
        out += lineEnd;
        start = end + 2;
    }
}

// The text with a block above each declaration in it.
std::string WithHeaders(Request& r, std::string_view text) {
    CompleteFromSettings(r, true);
    DeclarationList list = ReadDeclarations(text, *r.language);
    if (list.found.empty()) throw InputError("cannot read the declaration: " + list.error);
    std::string out;
    out.reserve(text.size() + list.found.size() * 1500);
    std::size_t copied = 0;
    for (FoundDeclaration& found : list.found) {
        out.append(text, copied, found.lineStart - copied);
        copied = found.lineStart;
        r.description = std::move(found.description);
        AddBlock(r, text, found.lineStart, out);
    }
    out.append(text, copied);
    return out;
}

}  // namespace

int RunDescribe(Request& r, std::istream& in, std::ostream& out, std::ostream&) {
    const std::string text = ReadInput(in);
    CompleteFromSettings(r, false);
    Write(out, WriteProcedureJson(DescribeWithComment(r, text)));
    return kExitOk;
}

int RunHeader(Request& r, std::istream& in, std::ostream& out, std::ostream&) {
    std::string text;
    const bool whole = ReadInputWithinCap(in, text);
    std::string headed;
    try {
        if (!whole) ThrowInputTooLarge();
        headed = WithHeaders(r, text);
    } catch (...) {
        Write(out, text);
        CopyRest(in, out);
        throw;
    }
    Write(out, headed);
    return kExitOk;
}

}  // namespace qm
