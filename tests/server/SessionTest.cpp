// SPDX-License-Identifier: MIT
#include "server/Session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

#include "reader/HeaderSync.h"
#include "server/TextPositions.h"
#include "generator/CommentBlock.h"

namespace qm {
namespace {

using nlohmann::json;

const DateTime kDate{2026, 12, 7};
const ServerOptions kOptions{std::nullopt, "Bo", kDate, ""};
const std::string kUri = "file:///src/Orders.bas";

std::string Message(const json& id, std::string method, json params = json::object()) {
    json m = {{"jsonrpc", "2.0"}, {"method", std::move(method)}, {"params", std::move(params)}};
    if (!id.is_null()) m["id"] = id;
    return m.dump();
}
std::string Init(bool documentChanges = false) {
    return Message(
        0, "initialize",
        {{"capabilities", {{"workspace", {{"workspaceEdit", {{"documentChanges", documentChanges}}}}}}}});
}
std::string Open(const std::string& text, const std::string& uri = kUri) {
    return Message({}, "textDocument/didOpen",
                   {{"textDocument", {{"uri", uri}, {"languageId", "vb"}, {"version", 1}, {"text", text}}}});
}
json Range(std::size_t l1, std::size_t c1, std::size_t l2, std::size_t c2) {
    return {{"start", {{"line", l1}, {"character", c1}}}, {"end", {{"line", l2}, {"character", c2}}}};
}
std::string Actions(int id, std::size_t from, std::size_t to, json only = nullptr,
                    const std::string& uri = kUri) {
    json context = {{"diagnostics", json::array()}};
    if (!only.is_null()) context["only"] = std::move(only);
    return Message(
        id, "textDocument/codeAction",
        {{"textDocument", {{"uri", uri}}}, {"range", Range(from, 0, to, 0)}, {"context", context}});
}

// What came back, a line each: "ID result", "ID error CODE", "diagnostics vN L:C-L:C message..."
// or a notification's method; initialize's result is "capabilities".
std::string Exchange(Session& s, const std::vector<std::string>& in, std::vector<json>* raw = nullptr) {
    for (const std::string& m : in) s.receive(m);
    std::vector<std::string> out;
    s.process(out);
    s.idle(out);
    std::string lines;
    for (const std::string& text : out) {
        const json m = json::parse(text);
        if (raw) raw->push_back(m);
        if (m.contains("error")) {
            lines += m["id"].dump() + " error " + m["error"]["code"].dump();
        } else if (m.contains("result")) {
            lines += m["id"].dump() + " " +
                     (m["result"].contains("capabilities") ? "capabilities" : m["result"].dump());
        } else if (m["method"] == "textDocument/publishDiagnostics") {
            lines += "diagnostics v" + m["params"].value("version", json("-")).dump();
            for (const json& d : m["params"]["diagnostics"]) {
                const json& r = d["range"];
                for (const char* end : {"start", "end"}) {
                    lines += end[0] == 's' ? " " : "-";
                    lines += r[end]["line"].dump() + ":" + r[end]["character"].dump();
                }
                lines += ' ';
                lines += d["message"].get<std::string>();
            }
        } else {
            lines += m["method"].get<std::string>();
        }
        lines += "\n";
    }
    return lines;
}

TEST(Session, FollowsTheLifecycleAndAnswersBadMessages) {
    const struct {
        std::vector<std::string> in;
        std::string out;
        std::optional<int> exit;
    } rows[] = {
        {{Actions(7, 0, 0), Open("x"), Init(), Init(), Message(nullptr, "exit")},
         "7 error -32002\n0 capabilities\n0 error -32600\n",
         1},
        {{Init(), "nonsense", "[1]", Message(3, "workspace/symbol"), Message({}, "$/setTrace"), R"({"id":4})",
          R"({"jsonrpc":"2.0","id":9,"result":null})"},
         "0 capabilities\nnull error -32700\nnull error -32600\n3 error -32601\n4 error -32600\n",
         std::nullopt},
        {{Init(), Message(2, "shutdown"), Actions(3, 0, 0), Message(nullptr, "exit"), Message(4, "shutdown")},
         "0 capabilities\n2 null\n3 error -32600\n",
         0},
        {{Message(nullptr, "exit")}, "", 1},
        {{Init(), Actions(5, 0, 0), Message({}, "$/cancelRequest", {{"id", 5}})},
         "0 capabilities\n5 error -32800\n",
         std::nullopt},
        {{Init(), Message({}, "textDocument/didOpen", {{"textDocument", {{"uri", kUri}}}}),
          Message(6, "textDocument/codeAction", {{"textDocument", {{"uri", kUri}}}}),
          Message(8, "initialize", {{"initializationOptions", {{"language", 2}}}})},
         "0 capabilities\nwindow/logMessage\n6 error -32602\n8 error -32600\n",
         std::nullopt},
        {{Message(1, "initialize", {{"initializationOptions", {{"developer", "A\nB"}}}})},
         "1 error -32602\n",
         std::nullopt},
    };
    for (const auto& r : rows) {
        Session s(kOptions);
        EXPECT_EQ(Exchange(s, r.in), r.out) << r.in.front();
        EXPECT_EQ(s.exitCode(), r.exit) << r.in.front();
    }
}

// A stale header (CR LF, as the block writes it) above a name of accents and CJK, and a
// procedure without one.
std::string StaleText() {
    const ProcedureDescription d{"Größe日本",
                                 "",
                                 "",
                                 ProcedureKind::Sub,
                                 AccessLevel::Public,
                                 {{"OrderID", "No", "Long", "Order to total"}}};
    return BuildCommentBlock(d, kVisualBasic, {{"06-Dec-98", "Ada", "Creation Date"}}) +
           "Public Sub Größe日本(ByVal OrderNo _\r\n    As Long)\r\nEnd Sub\r\n\r\n"
           "  Private Function Plain(A As Long, _\r\n      B As Long) As Long\r\n";
}

std::string Change(int version, json change) {
    return Message(
        {}, "textDocument/didChange",
        {{"textDocument", {{"uri", kUri}, {"version", version}}}, {"contentChanges", {std::move(change)}}});
}

TEST(Session, PublishesCheckFindingsOncePerBurstOfChanges) {
    Session s(kOptions);
    const std::string stale = "diagnostics v1 17:11-17:18 parameter 'OrderID' is now 'OrderNo'\n";
    const struct {
        std::vector<std::string> in;
        std::string out;
    } rows[] = {
        {{Init(), Open(StaleText()), Open("Sub F()", "file:///src/notes.txt"),
          Open("Sub F()", "file:///src/P.bas")},
         "0 capabilities\n" + stale + "diagnostics v1\n"},
        {{Change(2, {{"range", Range(17, 25, 17, 32)}, {"text", "OrderID"}}),
          Change(3, {{"range", Range(17, 25, 17, 25)}, {"text", "x"}})},
         "diagnostics v3 17:11-17:18 parameter 'OrderID' is now 'xOrderID'\n"},
        {{Change(4, {{"range", Range(17, 25, 17, 26)}, {"text", ""}})}, "diagnostics v4\n"},
        {{Change(5, {{"text", StaleText()}})},
         "diagnostics v5 17:11-17:18 parameter 'OrderID' is now 'OrderNo'\n"},
        {{Message({}, "textDocument/didClose", {{"textDocument", {{"uri", kUri}}}})}, "diagnostics v\"-\"\n"},
    };
    for (const auto& r : rows) EXPECT_EQ(Exchange(s, r.in), r.out) << r.in.front();
}

// text with a WorkspaceEdit's edits for it applied, last first.
std::string Applied(std::string text, const json& edit) {
    const json& edits =
        edit.contains("changes") ? edit["changes"].front() : edit["documentChanges"][0]["edits"];
    const LineIndex lines(text);
    for (auto e = edits.rbegin(); e != edits.rend(); ++e) {
        const auto at = [&](const char* end) {
            return lines.offsetOf(text, {(*e)["range"][end]["line"], (*e)["range"][end]["character"]});
        };
        text.replace(at("start"), at("end") - at("start"), (*e)["newText"].get<std::string>());
    }
    return text;
}

TEST(Session, OffersTheEditsOfUpdateAndHeader) {
    const std::string text = StaleText();
    Session s(kOptions);
    Exchange(s, {Init(true), Open(text)});
    const struct {
        std::size_t from, to;
        json only;
        std::string titles;
    } rows[] = {
        {17, 17, nullptr, "Update header|Update all headers in this file|"},
        {3, 3, nullptr, "Update header|Update all headers in this file|"},
        {18, 18, {"quickfix"}, "Update header|"},
        {22, 22, nullptr, "Insert header|Update all headers in this file|"},
        {19, 20, nullptr, "Update all headers in this file|"},
        {22, 22, {"quickfix", "refactor"}, "Insert header|"},
        {0, 0, {"source"}, "Update all headers in this file|"},
        {0, 0, {"source.organizeImports"}, ""},
    };
    for (const auto& r : rows) {
        std::vector<json> out;
        Exchange(s, {Actions(1, r.from, r.to, r.only)}, &out);
        std::string titles;
        for (const json& a : out.at(0)["result"]) titles += a["title"].get<std::string>() + "|";
        EXPECT_EQ(titles, r.titles) << r.from;
    }
    std::vector<json> out;
    Exchange(s, {Actions(1, 17, 17, {"quickfix"}), Actions(2, 22, 22, {"refactor"})}, &out);
    const HeaderSyncResult update =
        SyncHeaders(text, kVisualBasic, {false, HeaderUpdate{{"07-Dec-26", "Bo", "Updated"}, false, kDate}});
    EXPECT_EQ(Applied(text, out.at(0)["result"][0]["edit"]), ApplyEdits(text, update.edits));
    EXPECT_EQ(out.at(0)["result"][0]["edit"]["documentChanges"][0]["textDocument"]["version"], 1);
    std::string header;
    const std::string block = BuildCommentBlock({"Plain",
                                                 "",
                                                 "Long",
                                                 ProcedureKind::Function,
                                                 AccessLevel::Private,
                                                 {{"A", "No", "Long", ""}, {"B", "No", "Long", ""}}},
                                                kVisualBasic, "Bo", kDate);
    for (std::size_t at = 0; at < block.size(); at = block.find('\n', at) + 1)
        header += "  " + block.substr(at, block.find('\n', at) + 1 - at);
    const std::size_t plain = text.find("  Private");
    EXPECT_EQ(Applied(text, out.at(1)["result"][0]["edit"]),
              text.substr(0, plain) + header + text.substr(plain));
    // A byte-order mark is no part of the first line: a header goes below it.
    out.clear();
    Exchange(s,
             {Open("\xEF\xBB\xBFSub F()\r\n", "file:///src/Bom.bas"),
              Message(3, "textDocument/codeAction",
                      {{"textDocument", {{"uri", "file:///src/Bom.bas"}}},
                       {"range", Range(0, 0, 0, 0)},
                       {"context", json::object()}})},
             &out);
    EXPECT_EQ(out.at(0)["result"][0]["edit"]["documentChanges"][0]["edits"][0]["range"], Range(0, 1, 0, 1));
}

// A project whose style file says doxygen: its comments are checked and updated, and a new
// one written, as qmark does; a style file that cannot be used is said on the document.
TEST(Session, FollowsTheProjectsHouseStyle) {
    const std::string folder = std::string(std::getenv("TMPDIR")) + "project";
    std::filesystem::create_directories(folder + "/bad");
    std::ofstream(folder + "/.quillmark") << "[style]\ncpp=doxygen\n";
    std::ofstream(folder + "/bad/.quillmark") << "[style]\ncpp=fancy\n";
    const std::string text =
        "/**\n * @brief Adds.\n * @param a first\n * @param c gone\n */\nint Add(int a, int b);\n\n"
        "int Sub(int a,\n        int b);\n";
    const std::string uri = "file://" + folder + "/a.cpp";
    Session s(kOptions);
    EXPECT_EQ(Exchange(s, {Init(), Open(text, uri), Open(text, "file://" + folder + "/bad/a.cpp")}),
              "0 capabilities\ndiagnostics v1 5:4-5:7 documents parameter 'c', which the declaration does "
              "not have\n"
              "diagnostics v1 0:0-0:0 " +
                  folder + "/bad/.quillmark:2: no C++ style 'fancy' (use box, doxygen or xmldoc)\n");
    std::vector<json> out;
    Exchange(s, {Actions(1, 5, 5, {"quickfix"}, uri), Actions(2, 8, 8, {"refactor"}, uri)}, &out);
    EXPECT_EQ(Applied(text, out.at(0)["result"][0]["edit"]),
              "/**\n * @brief Adds.\n * @param a first\n * @param b gone\n */\nint Add(int a, int b);\n\n"
              "int Sub(int a,\n        int b);\n");
    EXPECT_EQ(Applied(text, out.at(1)["result"][0]["edit"]),
              text.substr(0, text.find("int Sub")) +
                  "/**\n * @brief\n *\n * @param a\n * @param b\n * @return\n */\n" +
                  text.substr(text.find("int Sub")));
}

}  // namespace
}  // namespace qm
