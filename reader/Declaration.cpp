// SPDX-License-Identifier: MIT
#include "reader/Declaration.h"

#include "reader/DeclarationLexer.h"

namespace qm {

DeclarationResult ReadDeclaration(std::string_view text, DevelopmentLanguage language) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a byte-order mark from a file
    if (language == kVisualBasic) return ReadVbDeclaration(text);
    if (language == kVisualCpp) return ReadCppDeclaration(text);
    std::string why = "unknown language ";
    why += std::to_string(language);
    return {std::nullopt, why};
}

}  // namespace qm
