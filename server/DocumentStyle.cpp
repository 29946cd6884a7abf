// SPDX-License-Identifier: MIT
#include "server/DocumentStyle.h"

#include "platform/SourceWalk.h"
#include "reader/StyledCommentReader.h"
#include "reader/StyledCommentSync.h"

namespace qm {

std::optional<DevelopmentLanguage> DocumentLanguage(const std::string& path) {
    return SourceLanguageOf(path.substr(path.rfind('/') + 1));
}

HouseStyleResult DocumentHouseStyle(const Document& d) {
    // A finder of its own each time, so that an edited style file counts at the next change.
    HouseStyleResult found = d.path.empty() ? HouseStyleResult{std::make_shared<HouseStyle>(), {}}
                                            : HouseStyleFinder().find(d.path);
    return found.style ? WithStyleName(found.style, d.style) : found;
}

HeaderSyncResult SyncDocument(const Document& d, const std::optional<HeaderUpdate>& update) {
    const HouseStyleResult found = DocumentHouseStyle(d);
    if (!found.style) {
        HeaderSyncResult result;
        result.error = found.error;
        return result;
    }
    const HouseStyle& house = *found.style;
    if (house.ignores(d.path)) return {};
    return SyncHouseStyle(d.text, *d.language, house.style(*d.language), house.options,
                          {house.undocumented, house.order}, {house.missing, update});
}

std::string DocumentHeader(const Document& d, std::size_t first, std::size_t last,
                           std::string_view declaration, const ProcedureDescription& described,
                           std::string_view developer, const DateTime& date) {
    const HouseStyleResult found = DocumentHouseStyle(d);
    if (!found.style) return {};
    const CommentStyle& style = found.style->style(*d.language);
    const StyleOptions& options = found.style->options;
    if (style.syntax == TagSyntax::Box) {
        const std::string block = BuildCommentBlock(described, *d.language, developer, date);
        return options.trim ? TrimLineEnds(block) : block;
    }
    if (StyledCommentAbove(d.text, *d.language, style, first, last)) return {};
    return BuildStyledComment(DescribeForComment(described, declaration, *d.language), style, *d.language,
                              options, developer, date);
}

}  // namespace qm
