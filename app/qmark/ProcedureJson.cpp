// SPDX-License-Identifier: MIT
#include "app/qmark/ProcedureJson.h"

#include <algorithm>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/qmark/InputError.h"
#include "app/qmark/MessageText.h"

namespace qm {
namespace {

using Json = nlohmann::json;

// A description nests three levels deep; the cap stops a megabyte of '[' long before it
// becomes a tower of empty arrays.
constexpr int kMaxDepth = 16;

// Control characters would break the one-line message.
std::string OneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? '?' : c;
    return out;
}

std::string Quoted(std::string_view text) {
    return QuoteForMessage(text, '"');
}

std::string KeyList(std::initializer_list<std::string_view> keys) {
    std::string out;
    for (std::string_view k : keys) {
        if (!out.empty()) out += ", ";
        out += k;
    }
    return out;
}

void RejectUnknownKeys(const Json& object, std::initializer_list<std::string_view> known,
                       const std::string& where) {
    std::string unknown;
    int count = 0;
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (std::find(known.begin(), known.end(), it.key()) != known.end()) continue;
        unknown += (count++ ? ", " : "") + Quoted(it.key());
    }
    if (count > 0) {
        throw InputError((count == 1 ? "unknown key " : "unknown keys ") + unknown + " in " +
                         where + " (known keys: " + KeyList(known) + ")");
    }
}

// The text under key, or empty when the key is absent.
std::string TextField(const Json& object, const char* key, const std::string& where) {
    const auto it = object.find(key);
    if (it == object.end()) return {};
    if (!it->is_string()) {
        throw InputError(where + ": \"" + key + "\" must be a string, not " + it->type_name());
    }
    return it->get<std::string>();
}

ProcedureKind ParseKind(const Json& root) {
    if (!root.contains("kind")) return ProcedureKind::Sub;
    const std::string kind = TextField(root, "kind", "the description");
    if (kind == "Sub") return ProcedureKind::Sub;
    if (kind == "Function") return ProcedureKind::Function;
    if (kind == "Property") return ProcedureKind::Property;
    if (kind == "General") {
        throw InputError(
            "the kind General has no structured block; use 'qmark free' for free text");
    }
    throw InputError("unknown kind " + Quoted(kind) + " (use Sub, Function or Property)");
}

AccessLevel ParseAccess(const Json& root) {
    if (!root.contains("access")) return AccessLevel::Public;
    const std::string access = TextField(root, "access", "the description");
    if (access == "Public") return AccessLevel::Public;
    if (access == "Private") return AccessLevel::Private;
    if (access == "Protected") return AccessLevel::Protected;
    throw InputError("unknown access " + Quoted(access) + " (use Public, Private or Protected)");
}

ParameterEntry ParseParameter(const Json& item, std::size_t number) {
    const std::string where = "parameter " + std::to_string(number);
    if (!item.is_object()) {
        throw InputError(where + " must be an object, not " + std::string(item.type_name()));
    }
    RejectUnknownKeys(item, {"name", "optional", "type", "description"}, where);
    ParameterEntry entry;
    entry.Name = TextField(item, "name", where);
    entry.Optional = TextField(item, "optional", where);
    entry.Type = TextField(item, "type", where);
    entry.Description = TextField(item, "description", where);
    // Anything else would silently lose the marker ("yes" is not "Yes").
    if (!entry.Optional.empty() && entry.Optional != "Yes" && entry.Optional != "No") {
        throw InputError(where + ": \"optional\" must be \"Yes\" or \"No\", not " +
                         Quoted(entry.Optional));
    }
    return entry;
}

// The parsed tree; repeated keys, which the tree would silently collapse to the last one,
// and deep nesting are refused while parsing.
Json ParseTree(std::string_view text) {
    std::vector<std::set<std::string>> keysSeen;
    const Json::parser_callback_t watch = [&keysSeen](int depth, Json::parse_event_t event,
                                                      Json& parsed) {
        if (depth > kMaxDepth) throw InputError("the JSON nests too deeply for a description");
        switch (event) {
            case Json::parse_event_t::object_start: keysSeen.emplace_back(); break;
            case Json::parse_event_t::object_end: keysSeen.pop_back(); break;
            case Json::parse_event_t::key:
                if (!keysSeen.back().insert(parsed.get<std::string>()).second) {
                    throw InputError("key " + Quoted(parsed.get<std::string>()) +
                                     " appears more than once in one object");
                }
                break;
            default: break;
        }
        return true;
    };
    try {
        return Json::parse(text.begin(), text.end(), watch);
    } catch (const Json::exception& e) {
        // Drops the library's "[json.exception.parse_error.101] " tag.
        std::string_view message = e.what();
        if (!message.empty() && message.front() == '[') {
            const auto close = message.find("] ");
            if (close != std::string_view::npos) message.remove_prefix(close + 2);
        }
        throw InputError("invalid JSON: " + OneLine(message));
    }
}

}  // namespace

ProcedureDescription ParseProcedureJson(std::string_view text) {
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        throw InputError("no input: expected a JSON object describing the procedure");
    }
    const Json root = ParseTree(text);
    if (!root.is_object()) {
        throw InputError("the input must be a JSON object, not " + std::string(root.type_name()));
    }
    RejectUnknownKeys(root, {"name", "purpose", "returns", "kind", "access", "parameters"},
                      "the description");

    ProcedureDescription d;
    d.name = TextField(root, "name", "the description");
    d.purpose = TextField(root, "purpose", "the description");
    d.returns = TextField(root, "returns", "the description");
    d.kind = ParseKind(root);
    d.access = ParseAccess(root);
    if (const auto it = root.find("parameters"); it != root.end()) {
        if (!it->is_array()) {
            throw InputError(std::string("the description: \"parameters\" must be an array, not ") +
                             it->type_name());
        }
        d.parameters.reserve(it->size());
        for (std::size_t i = 0; i < it->size(); ++i)
            d.parameters.push_back(ParseParameter((*it)[i], i + 1));
    }
    return d;
}

}  // namespace qm
