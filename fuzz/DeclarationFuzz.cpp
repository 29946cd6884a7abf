// SPDX-License-Identifier: MIT
// The first byte picks the language (its low bit), the rest is the declaration. Either a
// description comes out whose every field is well formed, or a one-line reason.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "reader/Declaration.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size == 0) return 0;
    const qm::DevelopmentLanguage language = bytes[0] & 1;
    const std::string_view text(reinterpret_cast<const char*>(bytes) + 1, size - 1);
    const qm::DeclarationResult result = qm::ReadDeclaration(text, language);
    if (!result) {
        if (result.error.empty() || result.error.find('\n') != std::string::npos) std::abort();
        return 0;
    }
    const qm::ProcedureDescription& d = *result.description;
    if (!result.error.empty() || d.name.empty() || !d.purpose.empty()) std::abort();
    if (d.kind == qm::ProcedureKind::Sub && !d.returns.empty()) std::abort();
    if (d.kind == qm::ProcedureKind::Function && d.returns.empty()) std::abort();
    for (const qm::ParameterEntry& p : d.parameters)
        if ((p.Optional != "Yes" && p.Optional != "No") || p.Type.empty() || !p.Description.empty())
            std::abort();
    return 0;
}
