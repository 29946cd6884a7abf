// SPDX-License-Identifier: MIT
#include "app/qmark/StyledBlocks.h"

#include "app/qmark/BlockCommands.h"
#include "app/qmark/InputError.h"
#include "platform/Text.h"
#include "reader/StyledCommentReader.h"

namespace qm {

std::shared_ptr<const HouseStyle> RequestHouseStyle(Request& r) {
    CompleteFromSettings(r, false);
    HouseStyleFinder finder;
    // Without a file named, the style file above the current folder applies, as to a file in it.
    HouseStyleResult found = finder.find(r.sources.stdinFilename ? *r.sources.stdinFilename : "-");
    if (found.style) found = WithStyleName(found.style, r.style.value_or(""));
    if (!found.style) throw InputError(found.error);
    const DevelopmentLanguage language = *r.language;
    if (r.style && found.style->style(language).name != AsciiLower(*r.style))
        throw InputError("style '" + *r.style + "' writes no " +
                         (language == kVisualBasic ? std::string("Visual Basic")
                          : language == kVisualCpp ? std::string("C++")
                                                   : "language " + std::to_string(language)) +
                         " comments");
    return found.style;
}

std::string BuildHouseBlock(Request& r, std::string_view declaration) {
    CompleteFromSettings(r, true);
    const std::shared_ptr<const HouseStyle> house = RequestHouseStyle(r);
    const CommentStyle& style = house->style(*r.language);
    if (style.syntax == TagSyntax::Box) {
        const std::string block = BuildBlock(r);
        return house->options.trim ? TrimLineEnds(block) : block;
    }
    if (r.purpose) r.description.purpose = *r.purpose;
    RequireOneLine("the developer name", *r.developer);
    StyledDescription d{r.description, {}, false};
    if (declaration.empty()) {
        d.returnsValue = !d.procedure.returns.empty() || d.procedure.kind == ProcedureKind::Function;
    } else {
        d = DescribeForComment(r.description, declaration, *r.language);
    }
    return BuildStyledComment(d, style, *r.language, house->options, *r.developer,
                              r.date ? *r.date : LocalNow());
}

ProcedureDescription DescribeWithComment(Request& r, std::string_view text) {
    CompleteFromSettings(r, false);
    ProcedureDescription declaration = ReadDeclarationText(text, *r.language);
    const CommentStyle& style = RequestHouseStyle(r)->style(*r.language);
    if (style.syntax == TagSyntax::Box) return declaration;
    const StyledCommentResult read = ReadStyledComment(LeadingStyledComment(text, style), style, &declaration,
                                                       *r.language == kVisualBasic);
    return read ? read.description->procedure : declaration;
}

}  // namespace qm
