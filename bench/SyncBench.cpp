// SPDX-License-Identifier: MIT
// `qmark check` over a generated source tree, files read from disk: the goal is a tree of
// 1,000,000 lines in under 3 s on 2 cores, time linear in the size. And one in-step block of
// 200,000 parameters (14 MB, a hostile file in a pull request): well under a second.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/qmark/SourceCommands.h"
#include "generator/CommentBlock.h"
#include "reader/HeaderSync.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

constexpr int kProceduresPerFile = 20;

ProcedureDescription Procedure(int n, DevelopmentLanguage language) {
    ProcedureDescription d;
    d.name = "Procedure" + std::to_string(n);
    d.purpose = "Does step " + std::to_string(n) + " of the order run";
    d.returns = language == 0 ? "Long; the count" : "int; the count";
    d.kind = ProcedureKind::Function;
    for (int p = 0; p < 3; ++p)
        d.parameters.push_back({"Arg" + std::to_string(p), p == 2 ? "Yes" : "No",
                                language == 0 ? "Long" : "int", "Argument " + std::to_string(p)});
    return d;
}

// One file of procedures with headers, a body of ten lines each; every fifth header is stale
// and every seventh Visual Basic procedure has none. Returns its line count.
std::size_t WriteFile(const fs::path& path, DevelopmentLanguage language, int first) {
    std::string text;
    std::size_t lines = 0;
    const std::string eol = language == 0 ? "\r\n" : "\n";
    for (int n = first; n < first + kProceduresPerFile; ++n) {
        const ProcedureDescription d = Procedure(n, language);
        if (language == 1 || n % 7 != 0) {
            std::string block = BuildCommentBlock(d, language, "A. Developer", {1998, 12, 6});
            if (language == 1)
                for (std::size_t at; (at = block.find("\r\n")) != std::string::npos;)
                    block.replace(at, 2, "\n");
            text += block;
            lines += 19;
        }
        const std::string second = n % 5 == 0 ? "Arg9" : "Arg1";
        if (language == 0) {
            text += "Public Function " + d.name + "(ByVal Arg0 As Long, " + second + " As Long, _" + eol +
                    "    Optional Arg2 As Long) As Long" + eol;
            for (int b = 0; b < 10; ++b) text += "    total = total + Arg0 * " + std::to_string(b) + eol;
            text += "End Function" + eol + eol;
        } else {
            text += "int " + d.name + "(int Arg0, int " + second + ",\n        int Arg2) {\n";
            for (int b = 0; b < 10; ++b) text += "    total += Arg0 * " + std::to_string(b) + ";\n";
            text += "}\n\n";
        }
        lines += 14;
    }
    std::ofstream(path, std::ios::binary) << text;
    return lines;
}

// A tree of about `lines` lines, half Visual Basic and half C++, 40 files to a folder.
fs::path MakeTree(std::size_t lines) {
    const char* tmp = std::getenv("TMPDIR");
    const fs::path root = fs::path(tmp ? tmp : "/tmp") / ("qm-sync-bench-" + std::to_string(lines));
    if (fs::exists(root / "done")) return root;
    fs::remove_all(root);
    std::size_t written = 0;
    for (int file = 0; written < lines; ++file) {
        const fs::path dir = root / ("module" + std::to_string(file / 40));
        fs::create_directories(dir);
        const DevelopmentLanguage language = file % 2;
        written += WriteFile(dir / ("file" + std::to_string(file) + (language == 0 ? ".bas" : ".cpp")),
                             language, file * kProceduresPerFile);
    }
    std::ofstream(root / "done") << written << "\n";
    return root;
}

void BM_CheckTree(benchmark::State& state) {
    const fs::path root = MakeTree(static_cast<std::size_t>(state.range(0)));
    SourceOptions options;
    options.paths = {root.string()};
    for (auto _ : state) {
        std::ostringstream out, err;
        benchmark::DoNotOptimize(RunSourceCommand(options, out, err));
        benchmark::DoNotOptimize(out.str().size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetLabel("lines");
}
BENCHMARK(BM_CheckTree)
    ->Arg(250'000)
    ->Arg(500'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_CheckLongBlock(benchmark::State& state) {
    ProcedureDescription d;
    d.name = "F";
    std::string declaration = "Public Sub F(";
    for (int i = 0; i < state.range(0); ++i) {
        const std::string name = "Arg" + std::to_string(i);
        d.parameters.push_back({name, "No", "Long", "Argument " + std::to_string(i)});
        declaration += (i == 0 ? "" : ", ") + name + " As Long";
    }
    const std::string text =
        BuildCommentBlock(d, 0, "A. Developer", {1998, 12, 6}) + declaration + ")\r\nEnd Sub\r\n";
    for (auto _ : state) benchmark::DoNotOptimize(SyncHeaders(text, 0).findings.size());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_CheckLongBlock)->Arg(20'000)->Arg(200'000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qm
