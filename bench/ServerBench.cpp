// SPDX-License-Identifier: MIT
// qmark lsp in-process, measured from a message's arrival to the server's answer: diagnostics
// of a 10,000-line file within 10 ms of a change, code actions within 5 ms (boxes in Visual
// Basic and C++, Doxygen comments in C++); and the heap that 100 open files of 10,000 lines
// take, within 3 times their text.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "generator/CommentBlock.h"
#include "server/Session.h"

namespace qm {
namespace {

using nlohmann::json;

constexpr std::size_t kLines = 10000;

// The variants: Visual Basic with boxes and CR LF, C++ with boxes and LF, C++ with Doxygen
// comments in a project whose style file says so.
constexpr int kDoxygen = 2;

// A folder with a style file that asks for Doxygen comments.
std::string DoxygenProject() {
    const char* tmp = std::getenv("TMPDIR");
    const std::string folder = (std::filesystem::path(tmp ? tmp : "/tmp") / "qm-server-bench").string();
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/.quillmark") << "[style]\ncpp=doxygen\n";
    return folder;
}

// A file of about kLines lines: procedures with headers and bodies of ten lines, every fifth
// header stale.
std::string Source(int variant) {
    const DevelopmentLanguage language = variant == 0 ? kVisualBasic : kVisualCpp;
    std::string text;
    const std::string eol = language == 0 ? "\r\n" : "\n";
    for (int n = 0; std::count(text.begin(), text.end(), '\n') < static_cast<long>(kLines); ++n) {
        ProcedureDescription d{"Procedure" + std::to_string(n),
                               "Does step " + std::to_string(n),
                               "",
                               ProcedureKind::Sub,
                               AccessLevel::Public,
                               {}};
        for (int p = 0; p < 3; ++p)
            d.parameters.push_back(
                {"Arg" + std::to_string(p), "No", language == 0 ? "Long" : "int", "Argument"});
        std::string block = BuildCommentBlock(d, language, "A. Developer", {1998, 12, 6});
        if (language == 1)
            for (std::size_t at; (at = block.find('\r')) != std::string::npos;) block.erase(at, 1);
        if (variant == kDoxygen)
            block = "/**\n * @brief " + d.purpose +
                    "\n * @param Arg0 first\n * @param Arg1 second\n * @param Arg2 third\n */\n";
        text += block;
        const std::string second = n % 5 == 0 ? "Stale" : "Arg1";
        text += language == 0 ? "Public Sub " + d.name + "(ByVal Arg0 As Long, " + second + " As Long, _" +
                                    eol + "    Arg2 As Long)" + eol
                              : "void " + d.name + "(int Arg0, int " + second + ",\n        int Arg2) {\n";
        for (int b = 0; b < 10; ++b) text += "    total = total + Arg0 * " + std::to_string(b) + eol;
        text += (language == 0 ? "End Sub" : "}") + eol + eol;
    }
    return text;
}

std::string Uri(int variant, int n = 0) {
    static const std::string doxygen = DoxygenProject();
    return "file://" + (variant == kDoxygen ? doxygen : "/bench") + "/file" + std::to_string(n) +
           (variant == 0 ? ".bas" : ".cpp");
}

std::string Message(const json& id, const char* method, json params) {
    json m = {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
    if (!id.is_null()) m["id"] = id;
    return m.dump();
}

std::string Open(int language, int n, const std::string& text) {
    return Message(
        nullptr, "textDocument/didOpen",
        {{"textDocument", {{"uri", Uri(language, n)}, {"languageId", "x"}, {"version", 1}, {"text", text}}}});
}

json At(std::size_t line, std::size_t character) { return {{"line", line}, {"character", character}}; }

Session& Opened(Session& s, int language) {
    std::vector<std::string> out;
    s.receive(Message(0, "initialize", json::object()));
    s.receive(Open(language, 0, Source(language)));
    s.process(out);
    s.idle(out);
    return s;
}

// One typed character in the middle of the file, then the diagnostics that follow it.
void DiagnosticsAfterChange(benchmark::State& state) {
    const auto language = static_cast<int>(state.range(0));
    Session s({std::nullopt, "Bo", DateTime{2026, 12, 7}, ""});
    Opened(s, language);
    std::vector<std::string> out;
    int version = 1;
    for (auto _ : state) {
        json change = {{"range", {{"start", At(kLines / 2, 4)}, {"end", At(kLines / 2, 4)}}}, {"text", "x"}};
        s.receive(Message(nullptr, "textDocument/didChange",
                          {{"textDocument", {{"uri", Uri(language)}, {"version", ++version}}},
                           {"contentChanges", json::array({change})}}));
        s.process(out);
        s.idle(out);
        if (out.size() != 1) state.SkipWithError("no diagnostics");
        out.clear();
    }
}
BENCHMARK(DiagnosticsAfterChange)->Arg(0)->Arg(1)->Arg(kDoxygen)->Unit(benchmark::kMillisecond);

// The actions on a stale declaration near the end of the file.
void CodeActions(benchmark::State& state) {
    const auto language = static_cast<int>(state.range(0));
    Session s({std::nullopt, "Bo", DateTime{2026, 12, 7}, ""});
    Opened(s, language);
    const std::string text = Source(language);
    const std::size_t line = std::count(text.begin(), text.begin() + text.rfind("Stale"), '\n');
    const std::string request = Message(1, "textDocument/codeAction",
                                        {{"textDocument", {{"uri", Uri(language)}}},
                                         {"range", {{"start", At(line, 0)}, {"end", At(line, 0)}}},
                                         {"context", {{"diagnostics", json::array()}}}});
    std::vector<std::string> out;
    for (auto _ : state) {
        s.receive(request);
        s.process(out);
        if (out.size() != 1 || out[0].find("Update header") == std::string::npos)
            state.SkipWithError("no action");
        out.clear();
    }
}
BENCHMARK(CodeActions)->Arg(0)->Arg(1)->Arg(kDoxygen)->Unit(benchmark::kMillisecond);

// 100 open files of 10,000 lines, diagnostics published: the heap they hold over their text.
void OpenFilesMemory(benchmark::State& state) {
    for (auto _ : state) {
        const std::string texts[] = {Source(0), Source(1)};
        malloc_trim(0);
        const std::size_t before = mallinfo2().uordblks;
        std::size_t textBytes = 0;
        {
            Session s({std::nullopt, "Bo", DateTime{2026, 12, 7}, ""});
            std::vector<std::string> out;
            s.receive(Message(0, "initialize", json::object()));
            for (int n = 0; n < 100; ++n) {
                s.receive(Open(n % 2, n, texts[n % 2]));
                textBytes += texts[n % 2].size();
                s.process(out);
                s.idle(out);
                out.clear();
            }
            const std::size_t held = mallinfo2().uordblks - before;
            state.counters["text_MB"] = double(textBytes) / 1e6;
            state.counters["heap_MB"] = double(held) / 1e6;
            state.counters["heap_per_text"] = double(held) / double(textBytes);
        }
    }
}
BENCHMARK(OpenFilesMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qm
