// SPDX-License-Identifier: MIT
#include "ui/PastedDescription.h"

#include "reader/CommentBlockReader.h"
#include "reader/Declaration.h"

namespace qm {

std::optional<PastedDescription> DescribePastedText(std::string_view text, DevelopmentLanguage language) {
    if (CommentBlockResult block = ReadCommentBlock(text);
        block && block.description->kind != ProcedureKind::General)
        return PastedDescription{std::move(*block.description), true};
    if (DeclarationResult declaration = ReadDeclaration(text, language);
        declaration && declaration.description->kind != ProcedureKind::General)
        return PastedDescription{std::move(*declaration.description), false};
    return std::nullopt;
}

}  // namespace qm
