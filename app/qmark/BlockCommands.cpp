// SPDX-License-Identifier: MIT
#include "app/qmark/BlockCommands.h"

#include <algorithm>
#include <istream>
#include <ostream>
#include <vector>

#include "app/qmark/InputError.h"
#include "app/qmark/ProcedureJson.h"
#include "app/qmark/StyledBlocks.h"
#include "platform/SourceWalk.h"
#include "reader/Declaration.h"
#include "settings/FreeTextBlock.h"
#include "settings/Settings.h"

namespace qm {
namespace {

// Input is read a block at a time and a long note framed a slice at a time, so neither
// step holds a second copy of the whole text.
constexpr std::size_t kReadBlock = 1u << 20;
constexpr std::size_t kFreeSlice = 256u << 10;

// Frames slice and appends its body lines to block; the first slice also gives the top
// rule. Returns the bottom rule line.
std::string FrameSlice(std::string_view slice, DevelopmentLanguage language, std::string& block) {
    const std::string framed = BuildFreeTextBlock(slice, language);
    const std::size_t bodyStart = block.empty() ? 0 : framed.find("\r\n") + 2;
    const std::size_t bottomStart = framed.rfind("\r\n", framed.size() - 3) + 2;
    block.append(framed, bodyStart, bottomStart - bodyStart);
    return framed.substr(bottomStart);
}

}  // namespace

void Write(std::ostream& out, std::string_view text) {
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

bool ReadInputWithinCap(std::istream& in, std::string& text) {
    // Blocks of at most kReadBlock: growing one string would briefly hold three times the text.
    std::vector<std::string> blocks(1);
    std::size_t total = 0;
    char buffer[65536];
    while (total <= kMaxInputBytes && (in.read(buffer, sizeof buffer) || in.gcount() > 0)) {
        const auto count = static_cast<std::size_t>(in.gcount());
        if (blocks.back().size() + count > kReadBlock) {
            blocks.emplace_back();
            blocks.back().reserve(kReadBlock);
        }
        blocks.back().append(buffer, count);
        total += count;
    }
    if (in.bad()) throw std::runtime_error("cannot read standard input");
    if (blocks.size() == 1) {
        text = std::move(blocks[0]);
    } else {
        text.clear();
        text.reserve(total);
        for (std::string& block : blocks) {
            text += block;
            std::string().swap(block);
        }
    }
    return total <= kMaxInputBytes;
}

std::string ReadInput(std::istream& in) {
    std::string text;
    if (!ReadInputWithinCap(in, text)) ThrowInputTooLarge();
    return text;
}

void ThrowInputTooLarge() {
    throw InputError("standard input is over " + std::to_string(kMaxInputBytes >> 20) +
                     " MiB, more than any description or note");
}

void CopyRest(std::istream& in, std::ostream& out) {
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) out.write(buffer, in.gcount());
}

// A line break inside a field would leave a line without the remark prefix, which breaks
// the source code the block is pasted into.
void RequireOneLine(std::string_view what, std::string_view text) {
    if (text.find_first_of("\r\n") != std::string_view::npos) {
        throw InputError(std::string(what) + " holds a line break; each field is one line of the block");
    }
}

void RequireOneLineFields(const ProcedureDescription& d) {
    RequireOneLine("the name", d.name);
    RequireOneLine("the purpose", d.purpose);
    RequireOneLine("the returns text", d.returns);
    for (std::size_t i = 0; i < d.parameters.size(); ++i) {
        const ParameterEntry& p = d.parameters[i];
        const std::string where = "parameter " + std::to_string(i + 1);
        RequireOneLine(where + "'s name", p.Name);
        RequireOneLine(where + "'s type", p.Type);
        RequireOneLine(where + "'s description", p.Description);
    }
}

std::string BuildBlock(Request& r) {
    if (r.purpose) r.description.purpose = *r.purpose;
    RequireOneLineFields(r.description);
    if (r.developer) RequireOneLine("the developer name", *r.developer);
    CompleteFromSettings(r, true);
    return BuildCommentBlock(r.description, *r.language, *r.developer, r.date ? *r.date : LocalNow());
}

ProcedureDescription ReadDeclarationText(std::string_view text, DevelopmentLanguage language) {
    DeclarationResult result = ReadDeclaration(text, language);
    if (!result) throw InputError("cannot read the declaration: " + result.error);
    return std::move(*result.description);
}

void CompleteFromSettings(Request& r, bool needDeveloper) {
    // The file standard input belongs to tells its language, as it does for check.
    if (!r.language && r.sources.stdinFilename) r.language = SourceLanguageOf(*r.sources.stdinFilename);
    if (r.language && (r.developer || !needDeveloper)) return;
    LoadSettings();
    if (!r.language) r.language = TheSettings().CommentsType;
    if (!r.developer) r.developer = TheSettings().PersonalName;
}

int RunBlock(Request& r, std::istream& in, std::ostream& out, std::ostream&) {
    std::string declaration;
    if (r.declaration) {
        if (!r.firstDescriptionFlag.empty()) {
            throw UsageError("option '" + r.firstDescriptionFlag + "' cannot be combined with --declaration");
        }
        CompleteFromSettings(r, true);
        declaration = ReadInput(in);
        r.description = ReadDeclarationText(declaration, *r.language);
    } else if (r.firstDescriptionFlag.empty() && !r.purpose) {
        r.description = ParseProcedureJson(ReadInput(in));
    }
    Write(out, BuildHouseBlock(r, declaration));
    return kExitOk;
}

// Every LF, CR LF and lone CR ends a line, as the dialog's text box hands its lines over
// with CR LF; a final line end only ends the last line, as in any text file.
int RunFree(Request& r, std::istream& in, std::ostream& out, std::ostream&) {
    const std::string text = ReadInput(in);
    CompleteFromSettings(r, false);
    std::string block, slice, bottom;
    block.reserve(text.size() + text.size() / 8 + 256);
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        slice.append(text, start, end - start);
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        // The lines of one slice are joined as the builder splits them.
        const bool last = start >= text.size();
        if (last || slice.size() >= kFreeSlice) {
            bottom = FrameSlice(slice, *r.language, block);
            slice.clear();
            if (last) break;
        } else {
            slice += "\r\n";
        }
    }
    block += bottom;
    Write(out, block);
    return kExitOk;
}

}  // namespace qm
