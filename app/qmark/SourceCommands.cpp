// SPDX-License-Identifier: MIT
#include "app/qmark/SourceCommands.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <functional>
#include <istream>
#include <memory>
#include <mutex>
#include <optional>
#include <nlohmann/json.hpp>
#include <ostream>
#include <thread>

#include "app/qmark/BlockCommands.h"
#include "app/qmark/InputError.h"
#include "app/qmark/Request.h"
#include "platform/GuardedFile.h"
#include "platform/SourceWalk.h"
#include "reader/HeaderSync.h"
#include "reader/SourceLines.h"
#include "reader/StyledCommentSync.h"
#include "settings/Account.h"
#include "settings/HouseStyle.h"
#include "settings/Settings.h"

namespace qm {
namespace {

struct Message {
    std::size_t line = 0;  // 0: about the whole file
    std::string severity;
    std::string text;
};

struct FileJob {
    std::string path;
    std::shared_ptr<const FileDescriptor> folder;  // the file: name in folder, or text
    std::string name;
    const std::string* text = nullptr;  // the text given on standard input
    DevelopmentLanguage language = 0;
    std::vector<Message> messages;
    std::string diff;
    std::size_t findings = 0, left = 0, updated = 0, added = 0;
    bool read = false, failed = false, link = false, done = false;
    std::shared_ptr<const HouseStyle> house;
};

constexpr std::string_view kLinkNote = "a symbolic link; not followed (name it to check what it points to)";

// path as a text line shows it: a name holding control characters, line breaks, quotes or
// backslashes is quoted with C escapes, as git quotes such names, so that it can neither
// forge a finding line nor command the terminal.
std::string ShownPath(std::string_view path) {
    constexpr char kHex[] = "0123456789abcdef";
    const auto control = [&](std::size_t i) {
        const auto c = static_cast<unsigned char>(path[i]);
        // U+0080 to U+009F, the C1 controls, steer some terminals as much as the C0 ones.
        return c < 0x20 || c == 0x7f || c == '"' || c == '\\' ||
               (c == 0xc2 && i + 1 < path.size() && (static_cast<unsigned char>(path[i + 1]) & 0xe0) == 0x80);
    };
    std::size_t i = 0;
    while (i < path.size() && !control(i)) ++i;
    if (i == path.size()) return std::string(path);
    std::string out = "\"";
    for (i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (!control(i)) {
            out += static_cast<char>(c);
        } else if (c == '"' || c == '\\') {
            out.append(1, '\\') += static_cast<char>(c);
        } else if (c == '\n' || c == '\r' || c == '\t') {
            out.append(1, '\\') += c == '\n' ? 'n' : c == '\r' ? 'r' : 't';
        } else {
            const auto code = c == 0xc2 ? static_cast<unsigned char>(path[++i]) : c;
            out.append(c == 0xc2 ? "\\u00" : "\\x").append(1, kHex[code >> 4]).append(1, kHex[code & 15]);
        }
    }
    return out + '"';
}

std::string_view WithoutNewline(std::string_view line) {
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    return line;
}

// The lines as the edits count them (a lone CR ends one too), each with its CR but without
// its LF; a byte-order mark stays on the first.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    for (const SourceLine& l : SplitSourceLines(text)) {
        const std::size_t begin = lines.empty() ? 0 : l.begin;
        lines.push_back(WithoutNewline(text.substr(begin, l.next - begin)));
    }
    return lines;
}

// A unified diff with three lines of context, built from the edits themselves.
std::string UnifiedDiff(const std::string& path, std::string_view text, const std::vector<LineEdit>& edits) {
    const std::vector<std::string_view> old = Lines(text);
    std::string out = "--- " + path + "\n+++ " + path + "\n";
    // A last line without a line end is marked as diff marks it, so patch and git apply agree.
    const auto oldLine = [&](const char* mark, std::size_t k) {
        out.append(mark).append(old[k]) += '\n';
        if (k + 1 == old.size() && !text.ends_with('\n')) out += "\\ No newline at end of file\n";
    };
    long delta = 0;
    for (std::size_t e = 0; e < edits.size();) {
        const std::size_t start = edits[e].first >= 3 ? edits[e].first - 3 : 0;
        std::size_t end = std::min(old.size(), edits[e].first + edits[e].count + 3);
        std::size_t last = e;
        long grow = long(edits[e].lines.size()) - long(edits[e].count);
        while (last + 1 < edits.size() && edits[last + 1].first <= end + 3) {
            ++last;
            end = std::min(old.size(), edits[last].first + edits[last].count + 3);
            grow += long(edits[last].lines.size()) - long(edits[last].count);
        }
        out += "@@ -" + std::to_string(start + 1) + "," + std::to_string(end - start) + " +" +
               std::to_string(long(start) + delta + 1) + "," + std::to_string(long(end - start) + grow) +
               " @@\n";
        for (std::size_t i = start; i < end || (e <= last && edits[e].first == i);) {
            if (e <= last && edits[e].first == i) {
                for (std::size_t k = i; k < i + edits[e].count; ++k) oldLine("-", k);
                for (const std::string& l : edits[e].lines) out.append("+").append(WithoutNewline(l)) += '\n';
                i += edits[e].count;
                ++e;
            } else {
                oldLine(" ", i++);
            }
        }
        delta += grow;
        e = last + 1;
    }
    return out;
}

void ProcessFile(const SourceOptions& options, FileJob& job) {
    std::string text;
    std::optional<GuardedFile> file;
    if (job.text) {
        text = *job.text;
    } else {
        file.emplace(job.folder, job.name, GuardOptions{.write = options.update && !options.dryRun});
        if (!file->read(text)) {
            job.messages.push_back({0, "error", file->why()});
            job.failed = true;
            return;
        }
    }
    job.read = true;
    HeaderSyncOptions sync{options.missing, std::nullopt};
    if (options.update)
        sync.update = {{FormatCommentDate(options.date), options.developer, options.note},
                       options.addMissing,
                       options.date};
    const HouseStyle& house = *job.house;
    sync.missing = sync.missing || house.missing;
    const HeaderSyncResult result = SyncHouseStyle(text, job.language, house.style(job.language),
                                                   house.options, {house.undocumented, house.order}, sync);
    // A fix is told as made only once its file is written.
    bool written = false;
    std::string error = result.error;
    if (error.empty() && options.update && !result.edits.empty()) {
        if (options.dryRun) {
            job.diff = UnifiedDiff(ShownPath(job.path), text, result.edits);
        } else if (!file) {
            error = "cannot write: the text came from standard input";
        } else if (file->replace(ApplyEdits(text, result.edits))) {
            written = true;
        } else {
            error = file->why();
        }
    }
    for (const HeaderFinding& f : result.findings) {
        ++job.findings;
        using Fix = HeaderFinding::Fix;
        if (f.fix == Fix::None || !(options.dryRun || written)) {
            ++job.left;
            job.messages.push_back({f.line, "warning", f.message});
            continue;
        }
        const bool added = f.fix == Fix::Added;
        job.messages.push_back({f.line, "note",
                                f.message + (options.dryRun ? (added ? " (would add)" : " (would update)")
                                                            : (added ? " (added)" : " (updated)"))});
    }
    if (!error.empty()) {
        job.messages.push_back({0, "error", error});
        job.failed = true;
    } else if (written) {
        job.updated = result.updated;
        job.added = result.added;
    }
}

// A job for what the walk met; one that needs no reading is done already.
FileJob JobFor(const SourceOptions& options, WalkItem&& item) {
    FileJob job;
    job.path = std::move(item.path);
    if (item.kind == WalkItem::Kind::Error) {
        job.failed = true;
        job.messages.push_back({0, "error", std::move(item.why)});
    } else if (item.kind == WalkItem::Kind::Link) {
        job.link = true;
        job.messages.push_back({0, "note", std::string(kLinkNote)});
    } else {
        const std::optional<DevelopmentLanguage> language =
            options.language ? options.language : SourceLanguageOf(job.path);
        if (!language) {
            job.failed = true;
            job.messages.push_back({0, "error", "cannot tell the language from the name; use --language"});
        }
        job.language = language.value_or(0);
        job.folder = std::move(item.folder);
        job.name = std::move(item.name);
    }
    return job;
}

// Files are read and synced by two workers while the walk goes on, and reported in the walk's
// order as soon as all before them are; at most kInFlight jobs are held, so that memory and
// open folders stay bounded however large the tree.
class Pipeline {
public:
    static constexpr std::size_t kInFlight = 16;

    Pipeline(const SourceOptions& options, std::function<void(const FileJob&)> report)
        : m_options(options), m_report(std::move(report)) {
        for (int i = 0; i < 2; ++i) m_workers.emplace_back([this] { work(); });
    }
    ~Pipeline() { finish(); }

    void add(FileJob job) {
        std::unique_lock lock(m_mutex);
        job.done = job.failed || job.link;
        m_jobs.push_back(std::make_unique<FileJob>(std::move(job)));
        m_changed.notify_all();
        flush(lock, kInFlight);
    }

    void finish() {
        {
            std::unique_lock lock(m_mutex);
            m_closing = true;
            m_changed.notify_all();
            flush(lock, 0);
        }
        for (std::thread& worker : m_workers)
            if (worker.joinable()) worker.join();
    }

private:
    // Reports the finished jobs at the front, then waits until at most keep are held.
    void flush(std::unique_lock<std::mutex>& lock, std::size_t keep) {
        for (;;) {
            while (!m_jobs.empty() && m_jobs.front()->done) {
                const std::unique_ptr<FileJob> job = std::move(m_jobs.front());
                m_jobs.pop_front();
                ++m_reported;
                lock.unlock();
                m_report(*job);
                lock.lock();
            }
            if (m_jobs.size() <= keep) return;
            m_changed.wait(lock);
        }
    }

    void work() {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [&] {
                return m_closing || std::max(m_taken, m_reported) < m_reported + m_jobs.size();
            });
            // Jobs done when added may be reported before a worker reached them.
            m_taken = std::max(m_taken, m_reported);
            if (m_taken == m_reported + m_jobs.size()) return;
            FileJob& job = *m_jobs[m_taken++ - m_reported];
            if (!job.done) {
                lock.unlock();
                try {
                    ProcessFile(m_options, job);
                } catch (const std::exception& e) {
                    job.messages.push_back({0, "error", e.what()});
                    job.failed = true;
                }
                lock.lock();
            }
            job.done = true;
            m_changed.notify_all();
        }
    }

    const SourceOptions& m_options;
    std::function<void(const FileJob&)> m_report;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::unique_ptr<FileJob>> m_jobs;
    std::size_t m_reported = 0, m_taken = 0;  // jobs handed out or reported since the start
    bool m_closing = false;
    std::vector<std::thread> m_workers;
};

std::string Plural(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Prints each job's findings as they come and the summary at the end; counts for the status.
class Report {
public:
    Report(const SourceOptions& options, std::ostream& out, std::ostream& err)
        : m_options(options), m_out(out), m_lines(options.dryRun ? err : out), m_err(err) {}

    void add(const FileJob& job) {
        m_findings += job.findings;
        m_left += job.left;
        m_updated += job.updated;
        m_added += job.added;
        m_filesWithFindings += job.findings > 0;
        m_files += job.read;
        m_failed += job.failed;
        m_links += job.link;
        if (m_options.dryRun) m_out << job.diff;
        for (const Message& m : job.messages) {
            if (m_options.json) {
                const nlohmann::json finding = {{"file", job.path},
                                                {"line", m.line ? nlohmann::json(m.line) : nlohmann::json()},
                                                {"severity", m.severity},
                                                {"message", m.text}};
                // Names in Windows-1252 files and paths are not UTF-8; JSON must be, so they are replaced.
                std::string text = finding.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
                for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 3)
                    text.insert(at + 1, "  ");
                m_out << (m_jsonOpen ? ",\n  " : "[\n  ") << text;
                m_jsonOpen = true;
            } else {
                m_lines << ShownPath(job.path);
                if (m.line) m_lines << ':' << m.line;
                m_lines << ": " << m.severity << ": " << m.text << '\n';
            }
        }
    }

    int finish() {
        if (m_options.json) m_out << (m_jsonOpen ? "\n]\n" : "[]\n");
        const std::string files = Plural(m_files, "file", "files");
        const bool writes = m_options.update && !m_options.dryRun;
        std::string summary = "qmark: ";
        if (writes) {
            summary += Plural(m_updated, "header", "headers") + " updated, " + std::to_string(m_added) +
                       " added in " + files + "; " + Plural(m_left, "finding", "findings") + " left";
        } else if (m_findings) {
            summary += Plural(m_findings, "finding", "findings") + " in " +
                       std::to_string(m_filesWithFindings) + " of " + files;
        } else {
            // Only what was read is in step; a failure below says what was not.
            summary += files + " checked" + (m_failed ? "" : ", every header in step");
        }
        if (m_failed)
            summary += "; " + Plural(m_failed, "path", "paths") +
                       (writes ? " could not be read or written" : " could not be read");
        if (m_links) summary += "; " + Plural(m_links, "symbolic link", "symbolic links") + " not followed";
        m_err << summary << '\n';
        m_out.flush();
        if (m_failed) return kExitBadInput;
        return (writes ? m_left : m_findings) ? kExitReported : kExitOk;
    }

private:
    const SourceOptions& m_options;
    std::ostream &m_out, &m_lines, &m_err;
    std::size_t m_findings = 0, m_left = 0, m_updated = 0, m_added = 0, m_filesWithFindings = 0;
    std::size_t m_files = 0, m_failed = 0, m_links = 0;
    bool m_jsonOpen = false;
};

// All of in, or false past kMaxWholeFileBytes.
bool ReadStandardInput(std::istream& in, std::string& text) {
    char buffer[65536];
    while (text.size() <= kMaxWholeFileBytes && (in.read(buffer, sizeof buffer) || in.gcount() > 0))
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (in.bad()) throw std::runtime_error("cannot read standard input");
    return text.size() <= kMaxWholeFileBytes;
}

int RunSources(Request& r, bool update, std::istream& in, std::ostream& out, std::ostream& err) {
    SourceOptions o = r.sources;
    o.update = update;
    o.paths = r.operands;
    o.language = r.language;
    o.style = r.style.value_or("");
    if (o.stdinFilename && !o.paths.empty())
        throw UsageError("option '--stdin-filename' reads standard input, not the paths named");
    if (o.paths.empty() && !o.stdinFilename)
        throw UsageError("missing file or folder to " + std::string(update ? "update" : "check"));
    if (o.language && *o.language != kVisualBasic && *o.language != kVisualCpp)
        throw UsageError("check and update read language 0 (Visual Basic) or 1 (Visual C++) only");
    if (o.json && o.dryRun) throw UsageError("option '--dry-run' prints a diff, not --format json");
    if (o.stdinFilename && !ReadStandardInput(in, o.stdinText))
        throw InputError("standard input is over " + std::to_string(kMaxWholeFileBytes >> 20) +
                         " MiB, more than any source file kept with headers");
    if (update) {
        if (!r.developer) {
            LoadSettings();
            r.developer = TheSettings().PersonalName;
            if (r.developer->empty()) r.developer = AccountFullName();
        }
        RequireOneLine("the developer name", *r.developer);
        RequireOneLine("the note", o.note);
        o.developer = *r.developer;
        o.date = r.date ? *r.date : LocalNow();
    }
    return RunSourceCommand(o, out, err);
}

}  // namespace

int RunSourceCommand(const SourceOptions& options, std::ostream& out, std::ostream& err) {
    Report report(options, out, err);
    // Each file's house style, each folder's style file read once; a file it ignores is left
    // out, and a style file that cannot be read or is malformed stops the run.
    HouseStyleFinder finder;
    const auto add = [&](Pipeline& pipeline, FileJob job) {
        if (!job.failed && !job.link) {
            HouseStyleResult found = finder.find(job.path);
            if (found.style) found = WithStyleName(found.style, options.style);
            if (!found.style) throw InputError(found.error);
            if (found.style->ignores(job.path)) return;
            job.house = std::move(found.style);
        }
        pipeline.add(std::move(job));
    };
    {
        Pipeline pipeline(options, [&](const FileJob& job) { report.add(job); });
        if (options.stdinFilename) {
            FileJob job = JobFor(options, {WalkItem::Kind::File, *options.stdinFilename, {}, {}, true, {}});
            job.text = &options.stdinText;
            add(pipeline, std::move(job));
        }
        WalkSources(options.paths, [&](WalkItem&& item) { add(pipeline, JobFor(options, std::move(item))); });
    }
    return report.finish();
}

int RunCheck(Request& request, std::istream& in, std::ostream& out, std::ostream& err) {
    return RunSources(request, false, in, out, err);
}

int RunUpdate(Request& request, std::istream& in, std::ostream& out, std::ostream& err) {
    return RunSources(request, true, in, out, err);
}

}  // namespace qm
