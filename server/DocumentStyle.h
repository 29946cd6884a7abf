// SPDX-License-Identifier: MIT
// Where a document's path decides what the server does: the language its name says and the
// house style its project's style file picks.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "reader/HeaderSync.h"
#include "server/Documents.h"
#include "settings/HouseStyle.h"

namespace qm {

// The language a file's name says, as check walks a tree; nullopt for any other name.
std::optional<DevelopmentLanguage> DocumentLanguage(const std::string& path);

// The document's house style: the style file found from its path, read afresh (the box
// everywhere without one, and for a document that is no file), with the document's style name
// over it; else why the style file cannot be used.
HouseStyleResult DocumentHouseStyle(const Document& d);

// check's findings on the document's text in its house style, with update also the edits
// update makes; none for a file the style file ignores. A style file that cannot be used is
// the result's error.
HeaderSyncResult SyncDocument(const Document& d, const std::optional<HeaderUpdate>& update);

// The comment header writes, in the document's house style, above the declaration on lines
// first to last, whose text is declaration and which says described; CR LF line ends. Empty
// when a comment of the style already stands above it, or the style file cannot be used.
std::string DocumentHeader(const Document& d, std::size_t first, std::size_t last,
                           std::string_view declaration, const ProcedureDescription& described,
                           std::string_view developer, const DateTime& date);

}  // namespace qm
