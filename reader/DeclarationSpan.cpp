// SPDX-License-Identifier: MIT
#include "reader/DeclarationSpan.h"

#include <algorithm>

#include "platform/Text.h"
#include "reader/CppCodeMap.h"
#include "reader/Declaration.h"

namespace qm {
namespace {

// The opening rule of our block standing above line first: blank lines, Visual Basic
// Attribute lines and up to three remark-only lines after its closing rule between.
std::optional<std::size_t> BlockAbove(const SourceText& source, std::size_t first) {
    std::size_t i = first;
    while (i > 0 && source.isSkippable(i - 1)) --i;
    for (int n = 0; n < 3 && i > 0 && source.isPrefixOnly(i - 1); ++n) --i;
    if (i == 0 || !source.isRule(i - 1, '=')) return std::nullopt;
    for (std::size_t open = i - 1; open-- > 0;)
        if (source.isRule(open, '=')) return source.isHeading(open + 1) ? std::optional(open) : std::nullopt;
    return std::nullopt;
}

// The C++ statement going on through line, or why there is none.
bool FindCppStatement(const SourceText& source, std::size_t line, DeclarationSpan& span) {
    CppCodeMap map(source);
    const std::optional<CppCodeMap::Statement> s = map.statementFrom(line);
    if (s && s->firstLine <= line) {
        span.first = s->firstLine;
        span.last = s->lastLine;
        return true;
    }
    span.error = map.leftOut(line)      ? "a line the preprocessor leaves out"
                 : map.opensLabel(line) ? "an access label, not a procedure"
                                        : "a blank, comment or preprocessor line";
    return false;
}

}  // namespace

DeclarationSpan LocateDeclaration(std::string_view text, std::size_t line, DevelopmentLanguage language,
                                  std::size_t through) {
    DeclarationSpan span{line, line, {}, {}, line};
    if (language != kVisualBasic && language != kVisualCpp) {
        span.error = "unknown language " + std::to_string(language);
        return span;
    }
    const SourceText source(text, language);
    if (line >= source.size()) {
        span.error = "the text has only " + std::to_string(source.size()) + " lines";
        return span;
    }
    if (language == kVisualBasic) {
        while (span.first > 0 && ContinuesVbLine(source.content(span.first - 1))) --span.first;
        span.last = source.vbStatementLast(line);
    } else if (!FindCppStatement(source, line, span)) {
        return span;
    }
    const DeclarationResult read = ReadDeclaration(source.lines(span.first, span.last), language);
    if (!read) {
        span.error = read.error;
        return span;
    }
    span.headerOpen = BlockAbove(source, span.first);
    span.headerFor = span.first;
    if (through <= span.last || span.headerOpen) return span;
    // A selection reaching further gets a block above each declaration in it: none may have one.
    span.last = std::min(through, source.size() - 1);
    const std::size_t base = source[span.first].begin;
    std::size_t lineOf = span.first;
    for (const FoundDeclaration& found :
         ReadDeclarations(source.lines(span.first, span.last), language).found) {
        while (source[lineOf].begin < base + found.lineStart) ++lineOf;
        if (lineOf == span.first) continue;
        span.headerOpen = BlockAbove(source, lineOf);
        if (span.headerOpen) {
            span.headerFor = lineOf;
            break;
        }
    }
    return span;
}

}  // namespace qm
