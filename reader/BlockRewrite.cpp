// SPDX-License-Identifier: MIT
#include "reader/BlockRewrite.h"

#include <limits>
#include <string>

namespace qm {
namespace {

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

// One line of the block brought in step: an old line kept, or new text.
struct Item {
    std::size_t old = kNone;
    std::string text;
};

// The edits that turn the old lines into items. Kept lines that come in their old order stay
// where they are and everything between them is replaced; a line that comes out the same at
// either end of a replacement is left out of it.
std::vector<LineEdit> ToEdits(const std::vector<Item>& items, const std::vector<std::string_view>& lines,
                              std::size_t first) {
    std::vector<LineEdit> edits;
    std::vector<std::string> pending;
    std::size_t next = 0;
    const auto flush = [&](std::size_t upTo) {
        const std::size_t count = upTo - next;
        std::size_t lo = 0, hi = 0;
        while (lo < count && lo < pending.size() && lines[next + lo] == pending[lo]) ++lo;
        while (hi < count - lo && hi < pending.size() - lo &&
               lines[upTo - 1 - hi] == pending[pending.size() - 1 - hi])
            ++hi;
        if (count > lo + hi || pending.size() > lo + hi) {
            edits.push_back({first + next + lo,
                             count - lo - hi,
                             {pending.begin() + static_cast<std::ptrdiff_t>(lo),
                              pending.end() - static_cast<std::ptrdiff_t>(hi)}});
        }
        pending.clear();
    };
    for (const Item& item : items) {
        if (item.old != kNone && item.old >= next) {
            flush(item.old);
            next = item.old + 1;
        } else {
            pending.push_back(item.old != kNone ? std::string(lines[item.old]) : item.text);
        }
    }
    flush(lines.size());
    return edits;
}

}  // namespace

std::vector<LineEdit> RewriteBlock(const std::vector<std::string_view>& lines, std::size_t first,
                                   const CommentBlockResult& read, const HeaderComparison& compared,
                                   DevelopmentLanguage language, const HistoryLine& history,
                                   std::string_view indent, std::string_view lineEnd) {
    const ProcedureDescription& block = *read.description;
    const ProcedureDescription& merged = compared.merged;
    const BlockLayout& layout = read.layout;
    const std::size_t count = merged.parameters.size();

    // Wrapped returns text keeps its further lines where the new text still ends with them.
    const std::string tail = block.returns.substr(std::min(layout.leadReturns.size(), block.returns.size()));
    const bool keepTail =
        !tail.empty() && merged.returns.size() > tail.size() && merged.returns.ends_with(tail);

    // The builder's own lines for what is rewritten: each parameter with what its first line
    // describes, the returns text's first line and the new history line.
    ProcedureDescription lead = merged;
    for (std::size_t j = 0; j < count; ++j) {
        const std::size_t from = compared.origins[j];
        lead.parameters[j].Description = from == kNone ? std::string() : layout.leadDescriptions[from];
    }
    if (keepTail) lead.returns.resize(merged.returns.size() - tail.size());
    const std::string built = BuildCommentBlock(lead, language, {history});
    std::vector<std::string_view> rows;
    for (std::size_t at = 0; at < built.size();) {
        const std::size_t end = built.find("\r\n", at);
        rows.push_back(std::string_view(built).substr(at, end - at));
        at = end + 2;
    }
    const auto fresh = [&](std::size_t row) {
        return Item{kNone, std::string(indent).append(rows[row]).append(lineEnd)};
    };
    constexpr std::size_t kHeadingRow = 1, kFirstParameterRow = 5;
    const std::size_t returnsRow = kFirstParameterRow + count + 3, historyRow = returnsRow + 3;

    const bool headingChanged =
        block.name != merged.name || block.kind != merged.kind || block.access != merged.access;
    const bool returnsChanged = block.returns != merged.returns;
    std::vector<Item> items;
    const std::size_t parametersStart =
        layout.parameters.empty() ? layout.parametersEnd : layout.parameters[0];
    for (std::size_t k = 0; k < parametersStart; ++k)
        items.push_back(k == layout.heading && headingChanged ? fresh(kHeadingRow) : Item{k, {}});
    for (std::size_t j = 0; j < count; ++j) {
        const std::size_t from = compared.origins[j];
        if (from == kNone) {
            items.push_back(fresh(kFirstParameterRow + j));
            continue;
        }
        const ParameterEntry& had = block.parameters[from];
        const ParameterEntry& now = merged.parameters[j];
        const bool same = had.Name == now.Name && had.Type == now.Type &&
                          (language != kVisualBasic || had.Optional == now.Optional);
        const std::size_t line = layout.parameters[from];
        items.push_back(same ? Item{line, {}} : fresh(kFirstParameterRow + j));
        const std::size_t end =
            from + 1 < layout.parameters.size() ? layout.parameters[from + 1] : layout.parametersEnd;
        for (std::size_t k = line + 1; k < end; ++k) items.push_back({k, {}});
    }
    for (std::size_t k = layout.parametersEnd; k < lines.size(); ++k) {
        if (k == layout.historyEnd) items.push_back(fresh(historyRow));
        if (returnsChanged && k == layout.returnsFirst) {
            items.push_back(fresh(returnsRow));
            if (layout.returnsFirst < layout.returnsEnd) continue;  // replaced, else inserted before k
        } else if (returnsChanged && !keepTail && k > layout.returnsFirst && k < layout.returnsEnd) {
            continue;
        }
        items.push_back({k, {}});
    }
    return ToEdits(items, lines, first);
}

}  // namespace qm
