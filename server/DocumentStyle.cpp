// SPDX-License-Identifier: MIT
#include "server/DocumentStyle.h"

#include <filesystem>

#include "platform/Text.h"

namespace qm {

std::optional<DevelopmentLanguage> DocumentLanguage(const std::string& path) {
    const std::string ext = AsciiLower(std::filesystem::path(path).extension().string());
    for (const char* vb : {".bas", ".cls", ".frm", ".ctl", ".dsr"})
        if (ext == vb) return kVisualBasic;
    for (const char* cpp : {".h", ".hh", ".hpp", ".hxx", ".c", ".cc", ".cpp", ".cxx"})
        if (ext == cpp) return kVisualCpp;
    return std::nullopt;
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
