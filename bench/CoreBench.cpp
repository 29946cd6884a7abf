// SPDX-License-Identifier: MIT
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "generator/CommentBlock.h"
#include "settings/FreeTextBlock.h"
#include "settings/Settings.h"

namespace qm {
namespace {

const DateTime kDate{1998, 12, 6};

ProcedureDescription WorkedExample() {
    ProcedureDescription d;
    d.name = "GetTotal";
    d.purpose = "Adds up the lines of one order";
    d.returns = "Currency; the order total";
    d.kind = ProcedureKind::Function;
    d.parameters = {{"OrderID", "No", "Long", "Order to total"},
                    {"IncludeTax", "Yes", "Boolean", "Add sales tax"}};
    return d;
}

void BM_CommentBlockWorkedExample(benchmark::State& state) {
    const ProcedureDescription d = WorkedExample();
    for (auto _ : state) benchmark::DoNotOptimize(BuildCommentBlock(d, 0, "A. Developer", kDate));
}
BENCHMARK(BM_CommentBlockWorkedExample);

void BM_CommentBlock50Parameters(benchmark::State& state) {
    ProcedureDescription d = WorkedExample();
    d.parameters.clear();
    for (int i = 1; i <= 50; ++i) {
        d.parameters.push_back({"Param" + std::to_string(i), i % 2 ? "Yes" : "No", "std::vector<std::string>",
                                "Parameter number " + std::to_string(i)});
    }
    for (auto _ : state) benchmark::DoNotOptimize(BuildCommentBlock(d, 0, "A. Developer", kDate));
}
BENCHMARK(BM_CommentBlock50Parameters);

// The text as the dialog hands it over: lines joined by CR LF.
void BM_FreeTextBlock(benchmark::State& state) {
    std::string text;
    for (int i = 0; i < state.range(0); ++i) {
        if (i) text += "\r\n";
        text += "Line " + std::to_string(i) + " of a free-text comment, about fifty characters.";
    }
    for (auto _ : state) benchmark::DoNotOptimize(BuildFreeTextBlock(text, 0));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FreeTextBlock)->Arg(1)->Arg(1000)->Arg(30000)->Unit(benchmark::kMicrosecond);

// A settings file with 500 type names per language, in a private config directory.
class SettingsFile {
public:
    SettingsFile() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qm-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        m_dir = pattern;
        setenv("XDG_CONFIG_HOME", m_dir.c_str(), 1);
        std::filesystem::create_directories(m_dir / "quillmark");
        write();
    }
    ~SettingsFile() { std::filesystem::remove_all(m_dir); }
    // Rewrites the file, so its next read parses it afresh.
    void write() const {
        std::ofstream out(m_dir / "quillmark" / kSettingsFileName, std::ios::binary);
        out << "[General]\r\nComments Type=0\r\nPersonal Name=A. Developer\r\n";
        for (const char* section : {"Param Types VB", "Param Types VC"}) {
            out << "\r\n[" << section << "]\r\nNumber=500\r\n";
            for (int i = 1; i <= 500; ++i) out << "Param" << i << "=TypeName" << i << "\r\n";
        }
    }

private:
    std::filesystem::path m_dir;
};

void BM_LoadSettings(benchmark::State& state) {
    const SettingsFile file;
    for (auto _ : state) {
        LoadSettings();
        benchmark::DoNotOptimize(TheSettings().ParamTypesVC.back());
    }
    if (TheSettings().ParamTypesVC.size() != 500) state.SkipWithError("settings not read");
}
BENCHMARK(BM_LoadSettings)->Unit(benchmark::kMicrosecond);

// As above, but the file changed since the last read, as after an edit.
void BM_LoadSettingsAfterEdit(benchmark::State& state) {
    const SettingsFile file;
    for (auto _ : state) {
        state.PauseTiming();
        file.write();
        state.ResumeTiming();
        LoadSettings();
    }
    if (TheSettings().ParamTypesVC.size() != 500) state.SkipWithError("settings not read");
}
BENCHMARK(BM_LoadSettingsAfterEdit)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace qm
