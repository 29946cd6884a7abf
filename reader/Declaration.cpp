// SPDX-License-Identifier: MIT
#include "reader/Declaration.h"

#include <initializer_list>

#include "reader/CppCodeMap.h"
#include "reader/DeclarationLexer.h"

namespace qm {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kNoDeclaration = "no declaration";

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Visual Basic opens its text: a remark, or the words that open a procedure there and never
// in C++ ([Public|Private|Friend] [Static] [Declare] Sub|Function|Property, letter case
// ignored), continuations allowed between them.
bool OpensLikeVb(std::string_view text) {
    std::size_t i = 0;
    const auto word = [&] {
        while (i < text.size() &&
               (IsSpace(text[i]) || (text[i] == '_' && i + 1 < text.size() && IsSpace(text[i + 1]))))
            ++i;
        const std::size_t start = i;
        while (i < text.size() && ((text[i] | 0x20) >= 'a' && (text[i] | 0x20) <= 'z')) ++i;
        return text.substr(start, i - start);
    };
    const auto oneOf = [](std::string_view w, std::initializer_list<std::string_view> list) {
        for (std::string_view item : list)
            if (EqualsNoCase(w, item)) return true;
        return false;
    };
    std::string_view w = word();
    if (w.empty()) return i < text.size() && text[i] == '\'';
    if (oneOf(w, {"Public", "Private", "Friend"})) w = word();
    if (oneOf(w, {"Static"})) w = word();
    if (oneOf(w, {"Declare"})) return true;
    return oneOf(w, {"Sub", "Function", "Property"});
}

// Each statement: a line and the lines its " _" continues onto.
DeclarationList ReadVbDeclarations(const SourceText& source) {
    DeclarationList list;
    for (std::size_t first = 0, last; first < source.size(); first = last + 1) {
        last = source.vbStatementLast(first);
        const std::string_view statement = source.lines(first, last);
        if (statement.find_first_not_of(" \t\r\n") == std::string_view::npos) continue;
        DeclarationResult read = ReadDeclaration(statement, kVisualBasic);
        if (read) list.found.push_back({source[first].begin, std::move(*read.description)});
        else if (list.error.empty() && read.error != kNoDeclaration) list.error = std::move(read.error);
    }
    return list;
}

// The statements at namespace and class scope, each with the access its class's labels give it.
DeclarationList ReadCppDeclarations(const SourceText& source) {
    DeclarationList list;
    CppCodeMap map(source);
    for (const CppCodeMap::Statement& s : map.statements()) {
        if (!s.declares || s.label) continue;
        DeclarationResult read = ReadDeclaration(source.text().substr(s.begin, s.end - s.begin), kVisualCpp);
        if (!read) {
            if (list.error.empty() && read.error != kNoDeclaration) list.error = std::move(read.error);
            continue;
        }
        if (s.access) read.description->access = *s.access;
        const std::size_t line = source[s.firstLine].begin;
        if (list.found.empty() || list.found.back().lineStart != line)
            list.found.push_back({line, std::move(*read.description)});
    }
    return list;
}

}  // namespace

DeclarationResult ReadDeclaration(std::string_view text, DevelopmentLanguage language) {
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    if (language == kVisualBasic) {
        DeclarationResult read = ReadVbDeclaration(text);
        // Nothing of Visual Basic opens the text: it may be C++.
        if (!read && read.error == kNotAVbProcedure && ReadCppDeclaration(text))
            read.error = "this reads as C++; use --language 1";
        return read;
    }
    if (language == kVisualCpp) {
        if (OpensLikeVb(text) && ReadVbDeclaration(text))
            return {std::nullopt, "this reads as Visual Basic; use --language 0"};
        return ReadCppDeclaration(text);
    }
    std::string why = "unknown language ";
    why += std::to_string(language);
    return {std::nullopt, why};
}

DeclarationList ReadDeclarations(std::string_view text, DevelopmentLanguage language) {
    if (language != kVisualBasic && language != kVisualCpp)
        return {{}, ReadDeclaration(text, language).error};
    const SourceText source(text, language);
    DeclarationList list =
        language == kVisualBasic ? ReadVbDeclarations(source) : ReadCppDeclarations(source);
    if (list.found.empty() && list.error.empty()) list.error = kNoDeclaration;
    return list;
}

}  // namespace qm
