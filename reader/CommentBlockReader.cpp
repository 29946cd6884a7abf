// SPDX-License-Identifier: MIT
#include "reader/CommentBlockReader.h"

#include <algorithm>
#include <array>
#include <deque>
#include <unordered_map>

#include "platform/Text.h"
#include "reader/SourceLines.h"

namespace qm {
namespace {

// Character columns (0-based) where the builder starts each field.
constexpr std::size_t kValueColumn = 7;
constexpr std::size_t kNameColumn = 28;
constexpr std::size_t kDescriptionColumn = 46;
// A name this long fills its column, so the description follows it directly.
constexpr std::size_t kFullName = kDescriptionColumn - kNameColumn;
constexpr std::size_t kTabStop = 8;
constexpr std::string_view kOptional = "Optional ";
constexpr std::array<std::string_view, 3> kSections = {"Purpose:", "Parameters:", "Returns:"};

struct ReadError {
    std::size_t line;  // 0-based
    std::string why;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

std::string_view Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

// Characters [from, to) of text, counted in characters; to = npos takes the rest.
std::string_view Chars(std::string_view text, std::size_t from, std::size_t to = std::string_view::npos) {
    const std::size_t start = CharPrefix(text, from).size();
    if (to == std::string_view::npos) return text.substr(start);
    return text.substr(start, CharPrefix(text, to).size() - start);
}

bool AllBlank(std::string_view s) { return TrimLeft(s).empty(); }

bool StartsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

// The line with each tab replaced by the blanks up to the next stop, columns in characters.
std::string ExpandTabs(std::string_view line) {
    std::string out;
    std::size_t column = 0;
    for (std::size_t at = 0; at <= line.size();) {
        const std::size_t tab = std::min(line.find('\t', at), line.size());
        const std::string_view run = line.substr(at, tab - at);
        out.append(run);
        column += CharLength(run);
        if (tab == line.size()) break;
        const std::size_t blanks = kTabStop - column % kTabStop;
        out.append(blanks, ' ');
        column += blanks;
        at = tab + 1;
    }
    return out;
}

// What a heading's access and kind can be, for the error that names them.
constexpr std::string_view kAccessWords = "Public, Private, Protected or Friend";
constexpr std::string_view kKindWords = "Sub, Function or Property";

enum class HeadingError { None, Access, Kind };

HeadingError ReadHeading(std::string_view words, ProcedureDescription& into) {
    const std::size_t afterAccess = words.find(' ');
    const auto access = ParseAccessName(words.substr(0, afterAccess));
    if (!access || afterAccess == std::string_view::npos) return HeadingError::Access;
    words.remove_prefix(afterAccess + 1);
    const std::size_t afterKind = words.find(' ');
    const auto kind = ParseKindName(words.substr(0, afterKind));
    if (!kind || *kind == ProcedureKind::General) return HeadingError::Kind;
    into.access = *access;
    into.kind = *kind;
    into.name =
        afterKind == std::string_view::npos ? std::string() : std::string(words.substr(afterKind + 1));
    return HeadingError::None;
}

class BlockParser {
public:
    BlockParser(std::string_view text, const ProcedureDescription* declaration) : m_declaration(declaration) {
        for (const SourceLine& l : SplitSourceLines(text)) {
            std::string_view line = text.substr(l.begin, l.end - l.begin);
            if (line.find('\t') != std::string_view::npos) line = m_expanded.emplace_back(ExpandTabs(line));
            m_lines.push_back(line);
        }
    }

    CommentBlockResult read() {
        CommentBlockResult r;
        ProcedureDescription d;
        BlockLayout& layout = r.layout;
        if (m_lines.empty()) throw ReadError{0, "empty text"};
        const std::string_view first = TrimLeft(m_lines[0]);
        m_prefix = StartsWith(first, "//") ? "//" : StartsWith(first, "'") ? "'" : "";
        // Without a prefix the padding starts the line, so only the first line's indent goes.
        const std::size_t indent = m_lines[0].size() - first.size();
        for (std::string_view& line : m_lines) {
            if (!m_prefix.empty()) line = TrimLeft(line);
            else if (AllBlank(line.substr(0, indent))) line.remove_prefix(std::min(indent, line.size()));
        }
        r.language = m_prefix == "'" ? 0 : m_prefix == "//" ? 1 : -1;
        if (!isRule(0, '=')) throw ReadError{0, "not a header block: no double rule"};
        readHeading(1, d);
        expectLabel(2, "Purpose:");

        std::size_t known = 1;  // sections of kSections seen, in their order
        std::size_t section = 0;
        Text purpose, returns;
        std::size_t i = 3;
        for (; !isRule(i, '-'); ++i) {
            if (isRule(i, '=')) throw ReadError{i, "expected the single rule"};
            if (const std::string_view label = labelOf(i); !label.empty()) {
                if (label == "History:") throw ReadError{i, "expected the single rule"};
                section = std::find(kSections.begin(), kSections.end(), label) - kSections.begin();
                if (section < kSections.size()) {
                    if (section != known) {
                        throw ReadError{i, known < kSections.size()
                                               ? expected(kSections[known])
                                               : "\"" + std::string(label) + "\" a second time"};
                    }
                    ++known;
                }
                if (section == 1) {
                    layout.parametersLabel = i;
                    layout.parametersEnd = i + 1;
                }
                if (section == 2) layout.returnsLabel = i;
                continue;
            }
            if (section == 0) purpose.add(i, *this);
            if (section == 1) readParameterLine(i, r.language, d, layout);
            if (section == 2) returns.add(i, *this);
        }
        if (known < kSections.size()) throw ReadError{i, expected(kSections[known])};
        d.purpose = purpose.text;
        d.returns = returns.text;
        layout.returnsFirst = returns.end ? returns.first : layout.returnsLabel + 1;
        layout.returnsEnd = returns.end ? returns.end : layout.returnsFirst;
        layout.leadReturns = returns.lead;

        for (++i; isEmpty(i);) ++i;
        expectLabel(i, "History:");
        layout.historyEnd = i + 1;
        bool ownSection = false;
        for (++i; !isRule(i, '='); ++i) {
            ownSection = ownSection || !labelOf(i).empty();
            if (ownSection || isEmpty(i)) continue;
            r.history.push_back(readHistory(i, r.history.empty()));
            layout.historyEnd = i + 1;
        }
        for (++i; i < m_lines.size(); ++i)
            if (!isEmpty(i)) throw ReadError{i, "text after the closing rule"};
        if (!r.history.empty()) {
            r.dateText = r.history.front().date;
            r.developerName = r.history.front().developer;
        }
        r.description = std::move(d);
        return r;
    }

private:
    // The text of a section: the first line with text as it stands (a lone empty line gives
    // its blanks), the lines after it trimmed and joined by one blank.
    struct Text {
        std::string text, lead;
        std::size_t first = 0, end = 0;  // lines [first, end) hold it; end 0: the section has none
        bool hasText = false;
        void add(std::size_t i, const BlockParser& p) {
            const bool blank = p.isEmpty(i);
            if (end != 0 && (blank || hasText)) {
                if (blank) return;
                if (lead.size() == text.size()) text = lead = std::string(TrimRight(lead));
                text.append(" ").append(Trim(p.body(i)));
            } else {
                first = i;
                text = lead = std::string(p.value(i));
                hasText = !blank;
            }
            end = i + 1;
        }
    };

    static std::string expected(std::string_view label) { return "expected \"" + std::string(label) + "\""; }

    // The line behind its prefix (an empty line stands for an empty remark); a missing line
    // or prefix is an error.
    std::string_view body(std::size_t i) const {
        if (i >= m_lines.size()) throw ReadError{m_lines.size() - 1, "the block ends too early"};
        if (m_lines[i].empty()) return {};
        if (!StartsWith(m_lines[i], m_prefix))
            throw ReadError{i, "expected the remark prefix \"" + std::string(m_prefix) + "\""};
        return m_lines[i].substr(m_prefix.size());
    }

    bool isRule(std::size_t i, char c) const {
        const std::string_view b = TrimRight(body(i));
        return b.size() == kRuleLength && b.find_first_not_of(c) == std::string_view::npos;
    }
    bool isEmpty(std::size_t i) const { return AllBlank(body(i)); }
    // A section's label: text ending in ':' that starts left of the value column.
    std::string_view labelOf(std::size_t i) const {
        const std::string_view b = body(i);
        const std::string_view text = Trim(b);
        if (text.size() < 2 || text.back() != ':' ||
            b.size() - TrimLeft(b).size() + m_prefix.size() >= kValueColumn)
            return {};
        return text;
    }
    void expectLabel(std::size_t i, std::string_view label) const {
        if (labelOf(i) != label) throw ReadError{i, expected(label)};
    }
    std::size_t textColumn(std::size_t i) const {
        return m_prefix.size() + body(i).size() - TrimLeft(body(i)).size();
    }

    // A field starting in column 8; trailing blanks stripped by an editor read as empty.
    std::string_view value(std::size_t i) const {
        body(i);
        const std::string_view line = m_lines[i];
        if (textColumn(i) < kValueColumn) return Trim(body(i));
        return Chars(line, kValueColumn);
    }

    void readHeading(std::size_t i, ProcedureDescription& d) const {
        switch (ReadHeading(TrimLeft(body(i)), d)) {
        case HeadingError::Access: throw ReadError{i, "expected " + std::string(kAccessWords)};
        case HeadingError::Kind: throw ReadError{i, "expected " + std::string(kKindWords)};
        case HeadingError::None: break;
        }
    }

    // A parameter's first line, or a line that continues its description (text only from
    // the description's column on).
    void readParameterLine(std::size_t i, DevelopmentLanguage language, ProcedureDescription& d,
                           BlockLayout& layout) {
        if (isEmpty(i)) return;
        if (!d.parameters.empty() && textColumn(i) >= kDescriptionColumn) {
            std::string& description = d.parameters.back().Description;
            if (!description.empty()) description = std::string(TrimRight(description)) + " ";
            description.append(Trim(body(i)));
            layout.parametersEnd = i + 1;
            return;
        }
        if (language == -1) throw ReadError{i, "a block without remark prefix lists no parameters"};
        d.parameters.push_back(readParameter(i, language, d.parameters.size()));
        layout.parameters.push_back(i);
        layout.leadDescriptions.push_back(d.parameters.back().Description);
        layout.parametersEnd = i + 1;
    }

    ParameterEntry readParameter(std::size_t i, DevelopmentLanguage language, std::size_t index) {
        const std::string_view line = m_lines[i];
        if (textColumn(i) < kValueColumn) throw ReadError{i, "a parameter line starts in column 8"};
        ParameterEntry p{{}, "No", {}, {}};
        std::string_view area = Chars(line, kValueColumn);
        std::size_t typeColumn = kValueColumn;
        if (language == kVisualBasic && (StartsWith(area, kOptional) || TrimRight(area) == "Optional")) {
            p.Optional = "Yes";
            area = Chars(area, kOptional.size());
            typeColumn += kOptional.size();
        }
        const std::string_view nameArea = Chars(line, kNameColumn - 1);
        const bool runsOn = !nameArea.empty() && !IsBlank(nameArea.front());
        if (const ParameterEntry* d = runTogether(area, typeColumn, index, runsOn)) {
            p.Type = d->Type;
            p.Name = d->Name;
            readDescription(i, line, typeColumn + CharLength(d->Type), p);
            return p;
        }
        if (runsOn) throw ReadError{i, "the type runs into the name; cannot tell where the name starts"};
        p.Type = std::string(TrimRight(Chars(line, typeColumn, kNameColumn)));
        std::string_view rest = Chars(line, kNameColumn);
        const std::string_view namePart = Chars(rest, 0, kFullName);
        if (CharLength(namePart) < kFullName || IsBlank(namePart.back())) {
            p.Name = std::string(TrimRight(namePart));
            p.Description = std::string(Chars(rest, kFullName));
            return p;
        }
        // The name filled its column, so the description (if any) follows it directly.
        std::size_t nameChars = longName(rest, index);
        if (nameChars == 0) {
            if (rest.find(' ') != std::string_view::npos)
                throw ReadError{i, "the name runs into the description; cannot tell where it ends"};
            nameChars = CharLength(rest);
        }
        p.Name = std::string(Chars(rest, 0, nameChars));
        p.Description = std::string(Chars(rest, nameChars));
        return p;
    }

    // The declaration's parameter whose type ran into its name at the start of area: the one
    // at the same place, else, where no blank stands before the name's column, the one of
    // that type and name (a name holds no blank, so the two end at the first blank past it).
    const ParameterEntry* runTogether(std::string_view area, std::size_t typeColumn, std::size_t index,
                                      bool runsOn) {
        if (!m_declaration) return nullptr;
        const auto fits = [&](const ParameterEntry& d) {
            return StartsWith(area, d.Type) && StartsWith(area.substr(d.Type.size()), d.Name) &&
                   typeColumn + CharLength(d.Type) >= kNameColumn;
        };
        const std::vector<ParameterEntry>& parameters = m_declaration->parameters;
        if (index < parameters.size() && fits(parameters[index])) return &parameters[index];
        if (!runsOn) return nullptr;
        if (m_byTypeAndName.empty())
            for (const ParameterEntry& d : parameters) m_byTypeAndName.emplace(d.Type + d.Name, &d);
        const std::size_t from = CharPrefix(area, kNameColumn - typeColumn).size();
        const auto found = m_byTypeAndName.find(std::string(area.substr(0, area.find_first_of(' ', from))));
        return found != m_byTypeAndName.end() && fits(*found->second) ? found->second : nullptr;
    }

    // Characters of the declaration's name that rest starts with and that filled its column:
    // the parameter at the same place, else the longest of the few that share its start.
    std::size_t longName(std::string_view rest, std::size_t index) {
        if (!m_declaration) return 0;
        const auto fits = [&](const ParameterEntry& d) {
            return CharLength(d.Name) >= kFullName && StartsWith(rest, d.Name);
        };
        const std::vector<ParameterEntry>& parameters = m_declaration->parameters;
        if (index < parameters.size() && fits(parameters[index])) return CharLength(parameters[index].Name);
        if (m_byNameStart.empty())
            for (const ParameterEntry& d : parameters)
                if (CharLength(d.Name) >= kFullName)
                    m_byNameStart[std::string(CharPrefix(d.Name, kFullName))].push_back(&d);
        const auto found = m_byNameStart.find(std::string(CharPrefix(rest, kFullName)));
        std::size_t best = 0;
        if (found == m_byNameStart.end()) return 0;
        for (std::size_t k = 0; k < std::min<std::size_t>(found->second.size(), 8); ++k)
            if (fits(*found->second[k])) best = std::max(best, CharLength(found->second[k]->Name));
        return best;
    }

    // After a name taken from the declaration: blanks up to the description's column, if any.
    void readDescription(std::size_t i, std::string_view line, std::size_t nameStart,
                         ParameterEntry& p) const {
        const std::size_t nameEnd = nameStart + CharLength(p.Name);
        if (nameEnd < kDescriptionColumn && !AllBlank(Chars(line, nameEnd, kDescriptionColumn)))
            throw ReadError{i, "the name runs into the description"};
        p.Description = std::string(Chars(line, std::max(nameEnd, kDescriptionColumn)));
    }

    // Date, name and a note that ends in the rules' last column. The date is the first word;
    // where it left the name its column, any split of the name and the note at a run of
    // blanks builds the same line, so take the widest run, the last on a tie: names and
    // notes seldom hold two blanks in a row. A line aligned by hand reads the same way.
    HistoryLine readHistory(std::size_t i, bool creation) const {
        const std::string_view line = m_lines[i];
        const std::string_view from = TrimLeft(body(i));
        HistoryLine h;
        h.date = std::string(from.substr(0, from.find(' ')));
        std::string_view rest = TrimLeft(from.substr(h.date.size()));
        if (textColumn(i) + CharLength(h.date) < kNameColumn &&
            CharLength(line) - CharLength(rest) >= kNameColumn)
            rest = Chars(line, kNameColumn);
        // The builder writes one note on every line, so trailing blanks stripped here keep
        // the last word as the note.
        if (creation && TrimRight(rest).ends_with("Creation Date")) {
            h.note = "Creation Date";
            h.developer = std::string(TrimRight(rest.substr(0, TrimRight(rest).size() - h.note.size())));
            return h;
        }
        std::size_t bestAt = std::string_view::npos, bestLength = 0;
        for (std::size_t at = 0; at < rest.size();) {
            if (!IsBlank(rest[at])) {
                ++at;
                continue;
            }
            std::size_t end = at;
            while (end < rest.size() && IsBlank(rest[end])) ++end;
            if (end - at >= bestLength) {
                bestAt = at;
                bestLength = end - at;
            }
            at = end;
        }
        if (bestAt == std::string_view::npos) {
            h.developer = std::string(rest);
        } else {
            h.developer = std::string(rest.substr(0, bestAt));
            h.note = std::string(rest.substr(bestAt + bestLength));
        }
        return h;
    }

    std::vector<std::string_view> m_lines;
    std::deque<std::string> m_expanded;  // lines with tabs, expanded; a deque keeps them in place
    std::string_view m_prefix;
    const ProcedureDescription* m_declaration;
    std::unordered_map<std::string, const ParameterEntry*> m_byTypeAndName;
    std::unordered_map<std::string, std::vector<const ParameterEntry*>> m_byNameStart;
};

}  // namespace

CommentBlockResult ReadCommentBlock(std::string_view text, const ProcedureDescription* declaration) {
    try {
        return BlockParser(text, declaration).read();
    } catch (const ReadError& e) {
        CommentBlockResult r;
        r.errorLine = e.line + 1;
        r.error = "line " + std::to_string(r.errorLine) + ": " + e.why;
        return r;
    }
}

bool ReadBlockHeading(std::string_view words, ProcedureDescription& into) {
    return ReadHeading(words, into) == HeadingError::None;
}

}  // namespace qm
