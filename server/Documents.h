// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "generator/CommentBlock.h"
#include "reader/HeaderSync.h"
#include "server/TextPositions.h"

namespace qm {

// One document the client has open, with its text as the client last sent it.
struct Document {
    std::string uri;
    std::string path;                             // a file: URI's file; empty for any other
    std::optional<DevelopmentLanguage> language;  // nullopt: not a file qmark reads
    std::string style;                            // a house style over the style file's; empty: the file's
    std::int64_t version = 0;
    std::string text;
    LineIndex lines;
    bool published = false;                   // diagnostics of this text have gone out
    std::optional<HeaderSyncResult> checked;  // check's findings on this text, once made
};

// One change of a didChange: the range it replaces (positions as the protocol counts them),
// or the whole text when there is none.
struct TextChange {
    std::optional<std::pair<Position, Position>> range;
    std::string text;
};

// The file a file: URI names, percent escapes decoded ("file:///a%20b.bas" is "/a b.bas");
// empty for any other URI, and for one whose path holds a NUL.
std::string PathOfUri(std::string_view uri);

// The open documents by URI.
class DocumentStore {
public:
    // Opens (or reopens) uri with text; language overrides the one its file name says.
    Document& open(std::string uri, std::int64_t version, std::string text,
                   std::optional<DevelopmentLanguage> language);
    // Applies changes in order; a range's ends out of order are swapped, ends past the text
    // are its end. nullptr when uri is not open.
    Document* change(std::string_view uri, std::int64_t version, std::vector<TextChange> changes);
    bool close(std::string_view uri);
    Document* find(std::string_view uri);
    std::map<std::string, Document, std::less<>>& all() { return m_documents; }

private:
    std::map<std::string, Document, std::less<>> m_documents;
};

}  // namespace qm
