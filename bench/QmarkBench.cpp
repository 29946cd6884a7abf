// SPDX-License-Identifier: MIT
// qmark's JSON reading: a megabyte of each shape that used to be slow, accepted or refused.
// The goal is under 0.1 s each.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "app/qmark/InputError.h"
#include "app/qmark/ProcedureJson.h"
#include "app/qmark/QmarkCli.h"

namespace qm {
namespace {

constexpr std::size_t kMegabyte = 1u << 20;

// open, then items (numbered by n) separated by commas until about a megabyte, then close.
template <typename Item>
std::string Repeated(const std::string& open, Item item, const std::string& close) {
    std::string text = open + item(0);
    for (int n = 1; text.size() + close.size() < kMegabyte; ++n) text += "," + item(n);
    return text + close;
}

std::string Shape(int shape) {
    const auto fixed = [](const char* item) { return [item](int) { return std::string(item); }; };
    switch (shape) {
    case 0: return Repeated("[", fixed("{}"), "]");
    case 1: return Repeated("{\"x\": [", fixed("[[{\"a\": [1, 2.5, null, true]}]]"), "]}");
    case 2: return Repeated("{\"parameters\": [", fixed("{}"), "]}");
    case 3: return Repeated("{\"parameters\": [", fixed(R"({"name": "a", "type": "b"})"), "]}");
    case 4:
        return Repeated(
            "{", [](int n) { return "\"k" + std::to_string(n) + "\": 1"; }, "}");
    case 5: return "{\"name\": \"" + std::string(kMegabyte, 'n') + "\"}";
    default: return std::string(kMegabyte, '[');
    }
}

// [{},…], nested junk, {"parameters": [{},…]}, full parameters, many keys, a long string, '['s
void BM_ParseMegabyteJson(benchmark::State& state) {
    const std::string json = Shape(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(ParseProcedureJson(json));
        } catch (const InputError&) {
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * json.size()));
}
BENCHMARK(BM_ParseMegabyteJson)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);

// The whole command on the shapes it refuses, standard input included.
void BM_QmarkBlockRefusesMegabyteJson(benchmark::State& state) {
    const std::string json = Shape(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::istringstream in(json);
        std::ostringstream out, err;
        benchmark::DoNotOptimize(
            RunQmark({"block", "--language", "0", "--developer", "x", "--date", "1998-12-06"}, in, out, err));
    }
}
BENCHMARK(BM_QmarkBlockRefusesMegabyteJson)->Arg(0)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qm
