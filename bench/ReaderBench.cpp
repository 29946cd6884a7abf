// SPDX-License-Identifier: MIT
// Reading one declaration: the goal is under 5 µs for a typical line. Long declarations and
// long selections must take time in proportion to their length (the complexity rows).
#include <benchmark/benchmark.h>

#include <cstdint>
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

void BM_ReadComMethod(benchmark::State& state) {
    Read(state,
         "        virtual /* [propget] */ HRESULT STDMETHODCALLTYPE get_Value( \n"
         "            /* [retval][out] */ BOOL *value) = 0;",
         1);
}
BENCHMARK(BM_ReadComMethod);

void BM_ReadMacroConstructor(benchmark::State& state) {
    Read(state, "  FMT_CONSTEXPR FMT_INLINE value(const T& x FMT_BUILTIN) : pointer(x) {}", 1);
}
BENCHMARK(BM_ReadMacroConstructor);

// Under C++ a line Visual Basic opens is read by both readers.
void BM_ReadStaticCppLine(benchmark::State& state) {
    Read(state, "static void Log(FILE* out, const char* fmt, ...);", 1);
}
BENCHMARK(BM_ReadStaticCppLine);

// One declaration with n parameters.
void BM_ReadParameters(benchmark::State& state, qm::DevelopmentLanguage language) {
    std::string text = language == 0 ? "Sub F(" : "void f(";
    for (std::int64_t i = 0; i < state.range(0); ++i)
        text +=
            (i > 0 ? ", " : "") + std::string(language == 0 ? "ByVal a As Long" : "const char* a = \"x\"");
    text += ")";
    Read(state, text, language);
    state.SetComplexityN(state.range(0));
}
BENCHMARK_CAPTURE(BM_ReadParameters, vb, 0)->RangeMultiplier(8)->Range(8, 32768)->Complexity(benchmark::oN);
BENCHMARK_CAPTURE(BM_ReadParameters, cpp, 1)->RangeMultiplier(8)->Range(8, 32768)->Complexity(benchmark::oN);

// A selection of n declarations, bodies and remarks between, as qmark header reads it.
void BM_ReadSelection(benchmark::State& state, qm::DevelopmentLanguage language) {
    std::string text;
    for (std::int64_t i = 0; i < state.range(0); ++i)
        text += language == 0
                    ? "' totals\nPublic Function Total(ByVal ID As Long) As Currency\nEnd Function\n"
                    : "// totals\nint total(int id) {\n  Foo bar(baz);\n  return id;\n}\n";
    for (auto _ : state) {
        qm::DeclarationList list = qm::ReadDeclarations(text, language);
        benchmark::DoNotOptimize(list);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK_CAPTURE(BM_ReadSelection, vb, 0)->RangeMultiplier(8)->Range(8, 32768)->Complexity(benchmark::oN);
BENCHMARK_CAPTURE(BM_ReadSelection, cpp, 1)->RangeMultiplier(8)->Range(8, 32768)->Complexity(benchmark::oN);

}  // namespace
