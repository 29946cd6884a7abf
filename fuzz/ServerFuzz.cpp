// SPDX-License-Identifier: MIT
// The first byte picks the language (its low bit), the rest is a document. The server opens it,
// publishes its diagnostics and answers code actions on its first lines: every range lies in
// the document, and "Update all headers in this file" applied gives what update gives. The same
// bytes then reach the server as a raw stream, which it answers or refuses without failing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

#include "platform/Text.h"
#include "reader/HeaderSync.h"
#include "reader/TextEncoding.h"
#include "server/Session.h"
#include "server/TextPositions.h"
#include "server/Transport.h"

namespace {

using nlohmann::json;

std::string Message(const json& id, const char* method, json params) {
    json m = {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
    if (!id.is_null()) m["id"] = id;
    return m.dump();
}

std::size_t Offset(const std::string& text, const qm::LineIndex& lines, const json& p) {
    const qm::Position at{p["line"].get<std::size_t>(), p["character"].get<std::size_t>()};
    const std::size_t offset = lines.offsetOf(text, at);
    const qm::Position back = lines.positionOf(text, offset);
    if (back.line != at.line || back.character != at.character) std::abort();
    return offset;
}

// text with the edits applied, last first; aborts on a range outside text or out of order.
std::string Applied(std::string text, const json& edits) {
    const qm::LineIndex lines(text);
    std::size_t limit = text.size();
    for (auto e = edits.rbegin(); e != edits.rend(); ++e) {
        const std::size_t from = Offset(text, lines, (*e)["range"]["start"]);
        const std::size_t to = Offset(text, lines, (*e)["range"]["end"]);
        if (from > to || to > limit) std::abort();
        text.replace(from, to - from, (*e)["newText"].get<std::string>());
        limit = from;
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size == 0) return 0;
    const qm::DevelopmentLanguage language = bytes[0] & 1;
    const std::string text(reinterpret_cast<const char*>(bytes) + 1, size - 1);
    const std::string uri = language == 0 ? "file:///f.bas" : "file:///f.cpp";
    const qm::DateTime date{2026, 12, 7};
    std::vector<std::string> out;
    if (qm::IsUtf8(text)) {
        qm::Session s({std::nullopt, "Bo", date, ""});
        s.receive(Message(0, "initialize", json::object()));
        s.receive(
            Message(nullptr, "textDocument/didOpen",
                    {{"textDocument", {{"uri", uri}, {"languageId", "x"}, {"version", 1}, {"text", text}}}}));
        const std::size_t lines = qm::LineIndex(text).lineCount();
        for (std::size_t line = 0; line < lines && line < 64; ++line) {
            const json at = {{"line", line}, {"character", 0}};
            s.receive(Message(line + 1, "textDocument/codeAction",
                              {{"textDocument", {{"uri", uri}}},
                               {"range", {{"start", at}, {"end", at}}},
                               {"context", {{"diagnostics", json::array()}}}}));
        }
        s.process(out);
        s.idle(out);
        const qm::HeaderSyncResult update = qm::SyncHeaders(
            text, language, {false, qm::HeaderUpdate{{"07-Dec-26", "Bo", "Updated"}, false, date}});
        for (const std::string& message : out) {
            const json m = json::parse(message);
            if (m.contains("error")) std::abort();
            if (m.contains("params"))
                for (const json& d : m["params"]["diagnostics"])
                    Applied(text, {{{"range", d["range"]}, {"newText", ""}}});
            if (!m.contains("result") || !m["result"].is_array()) continue;
            for (const json& action : m["result"]) {
                const std::string edited = Applied(text, action["edit"]["changes"][uri]);
                if (action["title"] == "Update all headers in this file" &&
                    edited != qm::ApplyEdits(text, update.edits))
                    std::abort();
            }
        }
    }
    qm::Session raw;
    qm::FrameReader reader;
    reader.feed(text);
    while (std::optional<qm::Frame> f = reader.next()) {
        if (f->error.empty()) raw.receive(std::move(f->body));
        else raw.refuse(f->error);
    }
    raw.process(out);
    raw.idle(out);
    return 0;
}
