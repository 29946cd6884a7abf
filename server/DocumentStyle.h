// SPDX-License-Identifier: MIT
// Where a document's path decides what the server does: the language its name says and the
// comments its project writes.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "generator/CommentBlock.h"
#include "reader/HeaderSync.h"

namespace qm {

// The language a file's name says, as check walks a tree; nullopt for any other name.
std::optional<DevelopmentLanguage> DocumentLanguage(const std::string& path);

// check's findings on a document's text, with update the edits update makes.
HeaderSyncResult SyncDocument(std::string_view text, DevelopmentLanguage language, const std::string& path,
                              const std::optional<HeaderUpdate>& update);

// The header header writes above d, CR LF line ends.
std::string DocumentHeader(const ProcedureDescription& d, DevelopmentLanguage language,
                           const std::string& path, std::string_view developer, const DateTime& date);

}  // namespace qm
