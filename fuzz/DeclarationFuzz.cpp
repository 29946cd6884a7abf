// SPDX-License-Identifier: MIT
// The first byte picks the language (its low bit), the rest is the text. Either a description
// comes out whose every field is well formed, or a one-line reason; a longer text gives well
// formed descriptions at line starts, in order.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "reader/Declaration.h"

namespace {

void RequireWellFormed(const qm::ProcedureDescription& d) {
    if (d.name.empty() || !d.purpose.empty()) std::abort();
    if (d.kind == qm::ProcedureKind::Sub && !d.returns.empty()) std::abort();
    if (d.kind == qm::ProcedureKind::Function && d.returns.empty()) std::abort();
    for (const qm::ParameterEntry& p : d.parameters)
        if ((p.Optional != "Yes" && p.Optional != "No") || p.Type.empty() || !p.Description.empty())
            std::abort();
}

void RequireOneLine(const std::string& error) {
    if (error.empty() || error.find('\n') != std::string::npos) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size == 0) return 0;
    const qm::DevelopmentLanguage language = bytes[0] & 1;
    const std::string_view text(reinterpret_cast<const char*>(bytes) + 1, size - 1);
    const qm::DeclarationResult result = qm::ReadDeclaration(text, language);
    if (result) {
        if (!result.error.empty()) std::abort();
        RequireWellFormed(*result.description);
    } else {
        RequireOneLine(result.error);
    }
    const qm::DeclarationList list = qm::ReadDeclarations(text, language);
    if (list.found.empty()) RequireOneLine(list.error);
    std::size_t after = 0;
    for (const qm::FoundDeclaration& found : list.found) {
        const std::size_t at = found.lineStart;
        if (at < after || at >= text.size() ||
            (at > 0 && text[at - 1] != '\n' && !(at == 3 && text[0] == '\xEF')))
            std::abort();
        after = at + 1;
        RequireWellFormed(found.description);
    }
    return 0;
}
