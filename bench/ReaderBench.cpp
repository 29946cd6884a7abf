// SPDX-License-Identifier: MIT
// Reading one declaration: the goal is under 5 µs for a typical line.
#include <benchmark/benchmark.h>

#include <string>

#include "reader/Declaration.h"

namespace {

void Read(benchmark::State& state, const std::string& text, qm::DevelopmentLanguage language) {
    for (auto _ : state) {
        qm::DeclarationResult result = qm::ReadDeclaration(text, language);
        benchmark::DoNotOptimize(result);
    }
}

void BM_ReadVbLine(benchmark::State& state) {
    Read(state,
         "Public Function GetTotal(ByVal OrderID As Long, Optional IncludeTax As Boolean = True) As Currency",
         0);
}
BENCHMARK(BM_ReadVbLine);

void BM_ReadCppLine(benchmark::State& state) {
    Read(state, "static std::vector<std::string> splitFields(const std::string& line, char separator = ',');",
         1);
}
BENCHMARK(BM_ReadCppLine);

void BM_ReadVbMultiLine(benchmark::State& state) {
    Read(state,
         "' Posts one order line to the ledger _\r\n  and updates the totals\r\n"
         "Private Function PostOrderLine(ByVal OrderID As Long, _\r\n"
         "                               ByVal LineNo As Integer, _\r\n"
         "                               ByRef Item As Excel.Range, _\r\n"
         "                               Optional ByVal Quantity As Double = 1#, _\r\n"
         "                               Optional ByVal Note As String = \"none, yet\", _\r\n"
         "                               ParamArray Extras() As Variant) As Boolean\r\n",
         0);
}
BENCHMARK(BM_ReadVbMultiLine);

void BM_ReadCppMultiLine(benchmark::State& state) {
    Read(state,
         "template <typename Key, typename Value, typename Compare = std::less<Key>>\n"
         "[[nodiscard]] static std::map<Key, std::vector<Value>, Compare> const&\n"
         "Index<Key, Value, Compare>::groupBy(  // the rows to group\n"
         "    const std::vector<std::pair<Key, Value>>& rows,\n"
         "    int (*rank)(const Value&, const Value&) = nullptr,\n"
         "    std::function<bool(const Key&)> keep = [](const Key&) { return true; },\n"
         "    /* how many */ std::size_t limit = std::numeric_limits<std::size_t>::max()) const noexcept {\n",
         1);
}
BENCHMARK(BM_ReadCppMultiLine);

}  // namespace
