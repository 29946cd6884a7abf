// SPDX-License-Identifier: MIT
#include "app/qmark/DeclarationCommands.h"

#include <istream>
#include <ostream>
#include <string>
#include <string_view>

#include "app/qmark/BlockCommands.h"
#include "app/qmark/ProcedureJson.h"
#include "app/qmark/StyledBlocks.h"

namespace qm {
namespace {

// The line end of the input's first line: CR LF or LF; LF when there is none, as on Unix.
std::string_view LineEndOf(std::string_view text) {
    const std::size_t lf = text.find('\n');
    return lf != std::string_view::npos && lf > 0 && text[lf - 1] == '\r' ? "\r\n" : "\n";
}

// The blanks and tabs that start the first line holding anything else.
std::string_view IndentOf(std::string_view text) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find_first_not_of(" \t", start);
        if (end == std::string_view::npos) return {};
        if (text[end] != '\r' && text[end] != '\n') return text.substr(start, end - start);
        start = text.find('\n', end);
        if (start == std::string_view::npos) return {};
        ++start;
    }
}

std::string HeaderFor(Request& r, std::string_view text) {
    CompleteFromSettings(r, true);
    r.description = ReadDeclarationText(text, *r.language);
    const std::string block = BuildHouseBlock(r, text);
    const std::string_view indent = IndentOf(text);
    const std::string_view lineEnd = LineEndOf(text);
    std::string out;
    out.reserve(block.size() + (indent.size() + 1) * 32);
    for (std::size_t start = 0; start < block.size();) {
        const std::size_t end = block.find("\r\n", start);
        out += indent;
        out.append(block, start, end - start);
        out += lineEnd;
        start = end + 2;
    }
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
    std::string header;
    try {
        if (!whole) ThrowInputTooLarge();
        header = HeaderFor(r, text);
    } catch (...) {
        Write(out, text);
        CopyRest(in, out);
        throw;
    }
    Write(out, header);
    Write(out, text);
    return kExitOk;
}

}  // namespace qm
