// SPDX-License-Identifier: MIT
#include "server/DocumentStyle.h"

#include "platform/SourceWalk.h"

namespace qm {

std::optional<DevelopmentLanguage> DocumentLanguage(const std::string& path) {
    return SourceLanguageOf(path.substr(path.rfind('/') + 1));
}

HeaderSyncResult SyncDocument(std::string_view text, DevelopmentLanguage language, const std::string&,
                              const std::optional<HeaderUpdate>& update) {
    return SyncHeaders(text, language, {false, update});
}

std::string DocumentHeader(const ProcedureDescription& d, DevelopmentLanguage language, const std::string&,
                           std::string_view developer, const DateTime& date) {
    return BuildCommentBlock(d, language, developer, date);
}

}  // namespace qm
