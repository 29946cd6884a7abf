// SPDX-License-Identifier: MIT
// What the server says about one open document: check's findings as diagnostics, and the
// code actions that write or update its headers. Functions of the document's state only.
#pragma once
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "platform/DateTime.h"
#include "server/Documents.h"

namespace qm {

// The kinds of "Update header", "Insert header" and "Update all headers in this file".
inline constexpr std::string_view kUpdateKind = "quickfix";
inline constexpr std::string_view kInsertKind = "refactor.rewrite";
inline constexpr std::string_view kUpdateAllKind = "source.updateHeaders";

// Who and when, for the history line and a new header's creation line.
struct EditStamp {
    std::string developer;
    DateTime date;
};

// The document's diagnostics: one per finding of check on its text, on the declaration's name
// (the line's text where the finding is on no declaration), severity Warning, source "qmark".
// None for a document qmark does not read.
nlohmann::json DocumentDiagnostics(Document& d);

// How the client asked for code actions.
struct ActionRequest {
    Position start, end;           // the selection or the cursor
    nlohmann::json only;           // the kinds wanted (an array), or null for all
    bool documentChanges = false;  // edits tied to the document's version
};

// "Update header" on each stale declaration the range touches (its block or its lines), with
// exactly the edits update makes; "Insert header" on a declaration without a header that the
// start line is part of, indented and ended like its first line; "Update all headers in this
// file" when any is stale. stamp is asked only when an action is given.
nlohmann::json DocumentCodeActions(Document& d, const ActionRequest& request,
                                   const std::function<EditStamp()>& stamp);

}  // namespace qm
