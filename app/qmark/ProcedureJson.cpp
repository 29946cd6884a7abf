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
constexpr std::size_t kMaxDepth = 16;

// Control characters would break the one-line message.
std::string OneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? '?' : c;
    return out;
}

std::string Quoted(std::string_view text) { return QuoteForMessage(text, '"'); }

std::string KeyList(std::initializer_list<std::string_view> keys) {
    std::string out;
    for (std::string_view k : keys) {
        if (!out.empty()) out += ", ";
        out += k;
    }
    return out;
}

// Where an error is: parameter number, or the description itself for 0. Built only for
// the message, as there may be many thousands of parameters.
std::string Where(std::size_t parameter) {
    return parameter == 0 ? "the description" : "parameter " + std::to_string(parameter);
}

void RejectUnknownKeys(const Json& object, std::initializer_list<std::string_view> known,
                       std::size_t parameter) {
    std::string unknown;
    int count = 0;
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (std::find(known.begin(), known.end(), it.key()) != known.end()) continue;
        unknown += (count++ ? ", " : "") + Quoted(it.key());
    }
    if (count > 0) {
        throw InputError((count == 1 ? "unknown key " : "unknown keys ") + unknown + " in " +
                         Where(parameter) + " (known keys: " + KeyList(known) + ")");
    }
}

// The text under key, or empty when the key is absent.
std::string TextField(const Json& object, const char* key, std::size_t parameter) {
    const auto it = object.find(key);
    if (it == object.end()) return {};
    if (!it->is_string()) {
        throw InputError(Where(parameter) + ": \"" + key + "\" must be a string, not " + it->type_name());
    }
    return it->get<std::string>();
}

ProcedureKind ParseKind(const Json& root) {
    if (!root.contains("kind")) return ProcedureKind::Sub;
    const std::string kind = TextField(root, "kind", 0);
    const auto parsed = ParseKindName(kind);
    if (parsed == ProcedureKind::General) throw InputError(std::string(kGeneralHasNoBlock));
    if (!parsed) throw InputError("unknown kind " + Quoted(kind) + " (use Sub, Function or Property)");
    return *parsed;
}

AccessLevel ParseAccess(const Json& root) {
    if (!root.contains("access")) return AccessLevel::Public;
    const std::string access = TextField(root, "access", 0);
    const auto parsed = ParseAccessName(access);
    if (!parsed) {
        throw InputError("unknown access " + Quoted(access) + " (use Public, Private, Protected or Friend)");
    }
    return *parsed;
}

ParameterEntry ParseParameter(const Json& item, std::size_t number) {
    if (!item.is_object()) {
        throw InputError(Where(number) + " must be an object, not " + std::string(item.type_name()));
    }
    RejectUnknownKeys(item, {"name", "optional", "type", "description"}, number);
    ParameterEntry entry;
    entry.Name = TextField(item, "name", number);
    entry.Optional = TextField(item, "optional", number);
    entry.Type = TextField(item, "type", number);
    entry.Description = TextField(item, "description", number);
    // Anything else would silently lose the marker ("yes" is not "Yes").
    if (!entry.Optional.empty() && entry.Optional != "Yes" && entry.Optional != "No") {
        throw InputError(Where(number) + ": \"optional\" must be \"Yes\" or \"No\", not " +
                         Quoted(entry.Optional));
    }
    return entry;
}

// Builds the tree from the parser's events. nlohmann's callback parser rescans a container
// after each child, which made a megabyte of [{},{},...] take half a minute; this stays
// linear. Only what a description can use is stored: the root object, its "parameters"
// array and that array's objects. Any other container stays an empty one of its type,
// which is all its error message shows, so junk costs no memory. Repeated keys, which a tree would silently
// collapse to the last one, and deep nesting are refused on the way.
class TreeBuilder : public nlohmann::json_sax<Json> {
public:
    Json root;

    bool null() override { return scalar(nullptr); }
    bool boolean(bool value) override { return scalar(value); }
    bool number_integer(number_integer_t value) override { return scalar(value); }
    bool number_unsigned(number_unsigned_t value) override { return scalar(value); }
    bool number_float(number_float_t value, const string_t&) override { return scalar(value); }
    bool string(string_t& value) override { return scalar(std::move(value)); }
    bool binary(binary_t&) override { return scalar(nullptr); }
    bool start_object(std::size_t) override { return open(Json::object()); }
    bool start_array(std::size_t) override { return open(Json::array()); }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }

    bool key(string_t& key) override {
        Open& object = m_open.back();
        if (object.node ? object.node->contains(key) : !object.keys.insert(key).second) {
            throw InputError("key " + Quoted(key) + " appears more than once in one object");
        }
        object.key = std::move(key);
        return true;
    }

    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) override {
        // Drops the library's "[json.exception.parse_error.101] " tag.
        std::string_view message = e.what();
        if (!message.empty() && message.front() == '[') {
            const auto close = message.find("] ");
            if (close != std::string_view::npos) message.remove_prefix(close + 2);
        }
        throw InputError("invalid JSON: " + OneLine(message));
    }

private:
    struct Open {
        Json* node;                  // null when the container is not stored
        std::set<std::string> keys;  // those of an object not stored
        std::string key;
    };
    std::vector<Open> m_open;

    // Where the next value goes; null when it is not stored.
    Json* place(Json&& value) {
        if (m_open.empty()) return &(root = std::move(value));
        Open& parent = m_open.back();
        if (!parent.node) return nullptr;
        if (parent.node->is_array()) {
            parent.node->push_back(std::move(value));
            return &parent.node->back();
        }
        return &((*parent.node)[parent.key] = std::move(value));
    }

    bool scalar(Json&& value) {
        place(std::move(value));
        return true;
    }

    bool open(Json&& container) {
        if (m_open.size() >= kMaxDepth) throw InputError("the JSON nests too deeply for a description");
        const std::size_t depth = m_open.size();
        const bool keepChildren =
            depth == 0   ? container.is_object()
            : depth == 1 ? m_open[0].node && m_open[0].key == "parameters" && container.is_array()
                         : depth == 2 && m_open[1].node && container.is_object();
        Json* node = place(std::move(container));
        m_open.push_back({keepChildren ? node : nullptr, {}, {}});
        return true;
    }

    bool close() {
        m_open.pop_back();
        return true;
    }
};

Json ParseTree(std::string_view text) {
    TreeBuilder builder;
    Json::sax_parse(text.begin(), text.end(), &builder);
    return std::move(builder.root);
}

}  // namespace

std::string WriteProcedureJson(const ProcedureDescription& d) {
    using Ordered = nlohmann::ordered_json;
    Ordered parameters = Ordered::array();
    for (const ParameterEntry& p : d.parameters) {
        parameters.push_back(
            {{"name", p.Name}, {"optional", p.Optional}, {"type", p.Type}, {"description", p.Description}});
    }
    const Ordered root = {
        {"name", d.name},           {"purpose", d.purpose},           {"returns", d.returns},
        {"kind", KindName(d.kind)}, {"access", AccessName(d.access)}, {"parameters", std::move(parameters)}};
    try {
        return root.dump(2) + "\n";
    } catch (const Ordered::type_error&) {
        throw InputError("the declaration is not UTF-8 text, which JSON cannot carry");
    }
}

ProcedureDescription ParseProcedureJson(std::string_view text) {
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        throw InputError("no input: expected a JSON object describing the procedure");
    }
    const Json root = ParseTree(text);
    if (!root.is_object()) {
        throw InputError("the input must be a JSON object, not " + std::string(root.type_name()));
    }
    RejectUnknownKeys(root, {"name", "purpose", "returns", "kind", "access", "parameters"}, 0);

    ProcedureDescription d;
    d.name = TextField(root, "name", 0);
    d.purpose = TextField(root, "purpose", 0);
    d.returns = TextField(root, "returns", 0);
    d.kind = ParseKind(root);
    d.access = ParseAccess(root);
    if (const auto it = root.find("parameters"); it != root.end()) {
        if (!it->is_array()) {
            throw InputError(std::string("the description: \"parameters\" must be an array, not ") +
                             it->type_name());
        }
        d.parameters.reserve(it->size());
        for (std::size_t i = 0; i < it->size(); ++i) d.parameters.push_back(ParseParameter((*it)[i], i + 1));
    }
    return d;
}

}  // namespace qm
