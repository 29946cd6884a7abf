// SPDX-License-Identifier: MIT
#include "server/Session.h"

#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>

#include "Version.h"
#include "server/HeaderActions.h"
#include "settings/Account.h"
#include "settings/Settings.h"

namespace qm {

using nlohmann::json;

struct Session::State {
    ServerOptions options;
    DocumentStore documents;
    bool initialized = false;
    bool shutdown = false;
    bool documentChanges = false;  // the client takes edits tied to a document's version
    std::optional<int> exitCode;
};

namespace {

// JSON-RPC's and the protocol's error codes.
enum ErrorCode {
    kParseError = -32700,
    kInvalidRequest = -32600,
    kMethodNotFound = -32601,
    kInvalidParams = -32602,
    kServerNotInitialized = -32002,
    kRequestCancelled = -32800,
};

struct ProtocolError : std::runtime_error {
    ProtocolError(int code, const std::string& message) : std::runtime_error(message), code(code) {}
    int code;
};

std::string Dump(const json& message) { return message.dump(-1, ' ', false, json::error_handler_t::replace); }

std::string Response(const json& id, json result) {
    return Dump({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
}

std::string ErrorResponse(const json& id, int code, const std::string& message) {
    return Dump({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}});
}

std::string Notification(std::string_view method, json params) {
    return Dump({{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}});
}

// The member key of object, which must have type; else InvalidParams naming it.
const json& Member(const json& object, const char* key, json::value_t type, const char* what) {
    const auto it = object.is_object() ? object.find(key) : object.end();
    const bool fits =
        it != object.end() &&
        (it->type() == type || (type == json::value_t::number_integer && it->is_number_integer()));
    if (!fits) throw ProtocolError(kInvalidParams, std::string("'") + key + "' is missing or not " + what);
    return *it;
}
const json& Object(const json& j, const char* key) {
    return Member(j, key, json::value_t::object, "an object");
}
const std::string& String(const json& j, const char* key) {
    return Member(j, key, json::value_t::string, "a string").get_ref<const std::string&>();
}
std::int64_t Integer(const json& j, const char* key) {
    return Member(j, key, json::value_t::number_integer, "an integer").get<std::int64_t>();
}

Position ReadPosition(const json& j) {
    const std::int64_t line = Integer(j, "line"), character = Integer(j, "character");
    if (line < 0 || character < 0) throw ProtocolError(kInvalidParams, "a position below zero");
    return {static_cast<std::size_t>(line), static_cast<std::size_t>(character)};
}

std::pair<Position, Position> ReadRange(const json& j) {
    return {ReadPosition(Object(j, "start")), ReadPosition(Object(j, "end"))};
}

const std::string& Uri(const json& params) { return String(Object(params, "textDocument"), "uri"); }

std::string Published(const std::string& uri, std::optional<std::int64_t> version, json diagnostics) {
    json params = {{"uri", uri}, {"diagnostics", std::move(diagnostics)}};
    if (version) params["version"] = *version;
    return Notification("textDocument/publishDiagnostics", std::move(params));
}

using Handler = json (*)(Session::State& s, const json& params, std::vector<std::string>& out);

json Initialize(Session::State& s, const json& params, std::vector<std::string>&) {
    if (s.initialized) throw ProtocolError(kInvalidRequest, "initialize came twice");
    const json& options = params.is_object() ? params.value("initializationOptions", json()) : json();
    if (options.is_object() && options.contains("developer")) {
        const std::string& developer = String(options, "developer");
        if (developer.find_first_of("\r\n") != std::string::npos)
            throw ProtocolError(kInvalidParams, "the developer name holds a line break");
        s.options.developer = developer;
    }
    if (options.is_object() && options.contains("language")) {
        const std::int64_t language = Integer(options, "language");
        if (language != kVisualBasic && language != kVisualCpp)
            throw ProtocolError(kInvalidParams, "language is 0 (Visual Basic) or 1 (Visual C++)");
        s.options.language = static_cast<DevelopmentLanguage>(language);
    }
    const json edits =
        params.is_object()
            ? params.value(json::json_pointer("/capabilities/workspace/workspaceEdit"), json::object())
            : json::object();
    s.documentChanges = edits.is_object() && edits.value("documentChanges", false) == true;
    s.initialized = true;
    return {{"capabilities",
             {{"positionEncoding", "utf-16"},
              {"textDocumentSync", {{"openClose", true}, {"change", 2}}},
              {"codeActionProvider", {{"codeActionKinds", {kUpdateKind, kInsertKind, kUpdateAllKind}}}}}},
            {"serverInfo", {{"name", "qmark"}, {"version", kVersionString}}}};
}

json Ignore(Session::State&, const json&, std::vector<std::string>&) { return nullptr; }

json Shutdown(Session::State& s, const json&, std::vector<std::string>&) {
    s.shutdown = true;
    return nullptr;
}

json Exit(Session::State& s, const json&, std::vector<std::string>&) {
    s.exitCode = s.shutdown ? 0 : 1;
    return nullptr;
}

json DidOpen(Session::State& s, const json& params, std::vector<std::string>&) {
    const json& document = Object(params, "textDocument");
    s.documents
        .open(String(document, "uri"), Integer(document, "version"), String(document, "text"),
              s.options.language)
        .style = s.options.style;
    return nullptr;
}

json DidChange(Session::State& s, const json& params, std::vector<std::string>&) {
    const json& document = Object(params, "textDocument");
    std::vector<TextChange> changes;
    for (const json& c : Member(params, "contentChanges", json::value_t::array, "an array")) {
        TextChange change{std::nullopt, String(c, "text")};
        if (c.contains("range")) change.range = ReadRange(Object(c, "range"));
        changes.push_back(std::move(change));
    }
    const std::string& uri = String(document, "uri");
    if (!s.documents.change(uri, Integer(document, "version"), std::move(changes)))
        throw ProtocolError(kInvalidParams, uri + " was changed without being open");
    return nullptr;
}

json DidClose(Session::State& s, const json& params, std::vector<std::string>& out) {
    const std::string& uri = Uri(params);
    if (s.documents.close(uri)) out.push_back(Published(uri, std::nullopt, json::array()));
    return nullptr;
}

json CodeAction(Session::State& s, const json& params, std::vector<std::string>&) {
    const auto [start, end] = ReadRange(Object(params, "range"));
    ActionRequest request{start, end, nullptr, s.documentChanges};
    if (const json& context = Object(params, "context"); context.contains("only"))
        request.only = context["only"];
    Document* d = s.documents.find(Uri(params));
    if (!d) return json::array();
    return DocumentCodeActions(*d, request, [&s] {
        EditStamp stamp{s.options.developer.value_or(""), s.options.date ? *s.options.date : LocalNow()};
        if (!s.options.developer) {
            LoadSettings();
            stamp.developer = TheSettings().PersonalName;
            if (stamp.developer.empty()) stamp.developer = AccountFullName();
        }
        return stamp;
    });
}

struct MethodRow {
    std::string_view method;
    Handler handler;
};

const MethodRow kMethods[] = {
    {"initialize", Initialize},
    {"initialized", Ignore},
    {"shutdown", Shutdown},
    {"exit", Exit},
    {"textDocument/didOpen", DidOpen},
    {"textDocument/didChange", DidChange},
    {"textDocument/didClose", DidClose},
    {"textDocument/codeAction", CodeAction},
};

void Handle(Session::State& s, const json& m, const std::set<std::string>& cancelled,
            std::vector<std::string>& out) {
    const auto id = m.find("id");
    const bool request = id != m.end();
    const auto method = m.find("method");
    if (method == m.end() || !method->is_string()) {
        // A response to a request of ours: the server sends none, so there is nothing to match.
        if (request && (m.contains("result") || m.contains("error"))) return;
        out.push_back(ErrorResponse(request ? *id : json(), kInvalidRequest, "a message without a method"));
        return;
    }
    const std::string& name = method->get_ref<const std::string&>();
    if (request && !id->is_string() && !id->is_number_integer()) {
        out.push_back(ErrorResponse(json(), kInvalidRequest, "an id that is neither a number nor a string"));
        return;
    }
    if (request && cancelled.count(id->dump())) {
        out.push_back(ErrorResponse(*id, kRequestCancelled, "cancelled"));
        return;
    }
    if (name != "exit" && (!s.initialized || s.shutdown) && name != "initialize") {
        if (request)
            out.push_back(s.shutdown ? ErrorResponse(*id, kInvalidRequest, "the server is shutting down")
                                     : ErrorResponse(*id, kServerNotInitialized, "initialize comes first"));
        return;
    }
    const MethodRow* row = nullptr;
    for (const MethodRow& r : kMethods)
        if (r.method == name) row = &r;
    if (!row) {
        if (request) out.push_back(ErrorResponse(*id, kMethodNotFound, "no method " + name));
        return;
    }
    std::string error;
    int code = kInvalidParams;
    try {
        json result = row->handler(s, m.contains("params") ? m["params"] : json::object(), out);
        if (request) out.push_back(Response(*id, std::move(result)));
        return;
    } catch (const ProtocolError& e) {
        error = e.what();
        code = e.code;
    } catch (const json::exception& e) {
        error = e.what();
    }
    if (request) {
        out.push_back(ErrorResponse(*id, code, name + ": " + error));
    } else {
        out.push_back(
            Notification("window/logMessage", {{"type", 1}, {"message", "qmark: " + name + ": " + error}}));
    }
}

}  // namespace

Session::Session(ServerOptions options) : m_state(std::make_unique<State>()) {
    m_state->options = std::move(options);
}

Session::~Session() = default;

void Session::receive(std::string message) { m_queue.push_back({std::move(message), {}}); }

void Session::refuse(std::string why) { m_queue.push_back({{}, std::move(why)}); }

void Session::process(std::vector<std::string>& out) {
    // Parsed first, so that a cancellation reaches a request queued before it.
    std::vector<json> messages;
    messages.reserve(m_queue.size());
    std::set<std::string> cancelled;
    for (Queued& q : m_queue) {
        json m = q.refused.empty() ? json::parse(q.text, nullptr, false) : json();
        std::string().swap(q.text);
        if (m.is_object() && m.value("method", "") == "$/cancelRequest" && m.contains("params") &&
            m["params"].is_object() && m["params"].contains("id"))
            cancelled.insert(m["params"]["id"].dump());
        messages.push_back(std::move(m));
    }
    for (std::size_t i = 0; i < messages.size() && !m_state->exitCode; ++i) {
        const json& m = messages[i];
        if (!m_queue[i].refused.empty()) {
            out.push_back(ErrorResponse(json(), kInvalidRequest, m_queue[i].refused));
        } else if (m.is_discarded()) {
            out.push_back(ErrorResponse(json(), kParseError, "a message that is not JSON"));
        } else if (!m.is_object()) {
            out.push_back(ErrorResponse(json(), kInvalidRequest, "a message that is not a JSON object"));
        } else {
            Handle(*m_state, m, cancelled, out);
        }
    }
    m_queue.clear();
}

void Session::idle(std::vector<std::string>& out) {
    for (auto& [uri, d] : m_state->documents.all()) {
        if (d.published) continue;
        d.published = true;
        if (d.language) out.push_back(Published(uri, d.version, DocumentDiagnostics(d)));
    }
}

std::optional<int> Session::exitCode() const { return m_state->exitCode; }

}  // namespace qm
