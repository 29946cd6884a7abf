// SPDX-License-Identifier: MIT
#include "app/qmark/SourceCommands.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <thread>

#include "app/qmark/BlockCommands.h"
#include "app/qmark/Request.h"
#include "platform/FileLock.h"
#include "platform/Text.h"
#include "platform/WholeFile.h"
#include "reader/HeaderSync.h"
#include "reader/StyledCommentSync.h"
#include "settings/HouseStyle.h"
#include "reader/SourceLines.h"
#include "settings/Account.h"
#include "settings/Settings.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

struct Message {
    std::size_t line = 0;  // 0: about the whole file
    std::string severity;
    std::string text;
};

struct FileJob {
    std::string path;
    DevelopmentLanguage language = 0;
    std::vector<Message> messages;
    std::string diff;
    std::size_t findings = 0, left = 0, updated = 0, added = 0;
    bool failed = false;
    std::shared_ptr<const HouseStyle> house;
};

std::optional<DevelopmentLanguage> LanguageOf(const fs::path& path) {
    const std::string ext = AsciiLower(path.extension().string());
    for (const char* vb : {".bas", ".cls", ".frm", ".ctl", ".dsr"})
        if (ext == vb) return 0;
    for (const char* cpp : {".h", ".hh", ".hpp", ".hxx", ".c", ".cc", ".cpp", ".cxx"})
        if (ext == cpp) return 1;
    return std::nullopt;
}

std::string Reason(int error) { return std::strerror(error); }

// The only place that touches the files: read once with the state it was read in, and
// replace only when that state still holds, so an edit made meanwhile is never lost. A writer
// holds the file's lock throughout, as the platform's replace expects.
class SourceFile {
public:
    SourceFile(std::string path, bool write) : m_path(std::move(path)) {
        if (write) m_lock.emplace(m_path, false);
    }

    // Empty on success, else why the file is left alone.
    std::string read(std::string& text) {
        if (::stat(m_path.c_str(), &m_before) != 0) return "cannot read: " + Reason(errno);
        if (!S_ISREG(m_before.st_mode)) return "not a regular file";
        if (m_lock && !m_lock->locked()) return "cannot lock: " + Reason(m_lock->error());
        if (!ReadWholeFile(m_path, text)) {
            if (errno == EFBIG) return "larger than any source file kept with headers; left alone";
            return "cannot read: " + Reason(errno);
        }
        if (!unchanged() || text.size() != static_cast<std::size_t>(m_before.st_size))
            return "changed on disk while being read; left alone";
        return {};
    }

    std::string replace(const std::string& text) {
        if (!unchanged()) return "changed on disk since it was read; left alone";
        if (!AtomicReplace(m_path, text)) return "cannot write: " + Reason(errno);
        return {};
    }

private:
    bool unchanged() const {
        struct stat now {};
        return ::stat(m_path.c_str(), &now) == 0 && now.st_ino == m_before.st_ino &&
               now.st_dev == m_before.st_dev && now.st_size == m_before.st_size &&
               now.st_mtim.tv_sec == m_before.st_mtim.tv_sec &&
               now.st_mtim.tv_nsec == m_before.st_mtim.tv_nsec;
    }

    std::string m_path;
    std::optional<FileLock> m_lock;
    struct stat m_before {};
};

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
    SourceFile file(job.path, options.update && !options.dryRun);
    if (std::string error = file.read(text); !error.empty()) {
        job.messages.push_back({0, "error", error});
        job.failed = true;
        return;
    }
    HeaderSyncOptions sync{options.missing, std::nullopt};
    if (options.update)
        sync.update = {{FormatCommentDate(options.date), options.developer, options.note},
                       options.addMissing,
                       options.date};
    const HouseStyle& house = *job.house;
    sync.missing = sync.missing || house.missing;
    const HeaderSyncResult result = SyncHouseStyle(text, job.language, house.style(job.language),
                                                   house.options, {house.undocumented, house.order}, sync);
    if (!result.error.empty()) {
        job.messages.push_back({0, "error", result.error});
        job.failed = true;
    }
    for (const HeaderFinding& f : result.findings) {
        ++job.findings;
        using Fix = HeaderFinding::Fix;
        if (f.fix == Fix::None) ++job.left;
        job.messages.push_back({f.line, f.fix == Fix::None ? "warning" : "note",
                                f.fix == Fix::None
                                    ? f.message
                                    : f.message + (options.dryRun ? " (would " : " (") +
                                          (f.fix == Fix::Added ? (options.dryRun ? "add)" : "added)")
                                                               : (options.dryRun ? "update)" : "updated)"))});
    }
    if (!options.update || result.edits.empty()) return;
    if (options.dryRun) {
        job.diff = UnifiedDiff(job.path, text, result.edits);
    } else if (std::string error = file.replace(ApplyEdits(text, result.edits)); !error.empty()) {
        job.messages.push_back({0, "error", error});
        job.failed = true;
        return;
    }
    job.updated = result.updated;
    job.added = result.added;
}

// Every file the paths name, in a stable order; a path that cannot be walked is a failed job.
std::vector<FileJob> CollectFiles(const SourceOptions& options) {
    std::vector<FileJob> jobs;
    const auto add = [&](const std::string& path, std::optional<DevelopmentLanguage> language) {
        FileJob job;
        job.path = path;
        if (options.language) language = options.language;
        if (!language) {
            job.failed = true;
            job.messages.push_back({0, "error", "cannot tell the language from the name; use --language"});
        }
        job.language = language.value_or(0);
        jobs.push_back(std::move(job));
    };
    for (const std::string& path : options.paths) {
        std::error_code ec;
        if (!fs::is_directory(path, ec)) {
            add(path, LanguageOf(path));
            continue;
        }
        std::vector<std::string> found;
        fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied, ec), end;
        for (; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (it->is_directory(ec) && name.size() > 1 && name[0] == '.') {
                it.disable_recursion_pending();
            } else if (LanguageOf(it->path()) && it->is_regular_file(ec)) {
                found.push_back(it->path().string());
            }
        }
        std::sort(found.begin(), found.end());
        for (const std::string& f : found) add(f, LanguageOf(f));
        if (ec) {
            FileJob job;
            job.path = path;
            job.failed = true;
            job.messages.push_back({0, "error", "cannot walk the folder: " + ec.message()});
            jobs.push_back(std::move(job));
        }
    }
    return jobs;
}

int RunSources(Request& r, bool update, std::ostream& out, std::ostream& err) {
    SourceOptions o = r.sources;
    o.update = update;
    o.paths = r.operands;
    o.language = r.language;
    o.style = r.style.value_or("");
    if (o.paths.empty())
        throw UsageError("missing file or folder to " + std::string(update ? "update" : "check"));
    if (o.language && *o.language != kVisualBasic && *o.language != kVisualCpp)
        throw UsageError("check and update read language 0 (Visual Basic) or 1 (Visual C++) only");
    if (o.json && o.dryRun) throw UsageError("option '--dry-run' prints a diff, not --format json");
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

std::string Plural(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

// Each file's house style, each folder's style file read once; files it ignores are dropped.
// Empty, or why the run stops: a style file that cannot be read or is malformed.
std::string ResolveHouseStyles(const SourceOptions& options, std::vector<FileJob>& jobs) {
    HouseStyleFinder finder;
    std::vector<FileJob> kept;
    for (FileJob& job : jobs) {
        HouseStyleResult found = finder.find(job.path);
        if (found.style) found = WithStyleName(found.style, options.style);
        if (!found.style) return found.error;
        job.house = std::move(found.style);
        if (!job.house->ignores(job.path)) kept.push_back(std::move(job));
    }
    jobs = std::move(kept);
    return {};
}

int RunSourceCommand(const SourceOptions& options, std::ostream& out, std::ostream& err) {
    std::vector<FileJob> jobs = CollectFiles(options);
    if (const std::string error = ResolveHouseStyles(options, jobs); !error.empty()) {
        err << "qmark: " << error << '\n';
        return 2;
    }
    // The engine is pure, so files are shared out between two workers with no further locking.
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i; (i = next++) < jobs.size();)
            if (!jobs[i].failed) ProcessFile(options, jobs[i]);
    };
    std::thread helper(work);
    work();
    helper.join();

    std::size_t findings = 0, left = 0, updated = 0, added = 0, filesWithFindings = 0, failed = 0;
    nlohmann::json array = nlohmann::json::array();
    std::ostream& lines = options.dryRun ? err : out;
    for (const FileJob& job : jobs) {
        findings += job.findings;
        left += job.left;
        updated += job.updated;
        added += job.added;
        filesWithFindings += job.findings > 0;
        failed += job.failed;
        if (options.dryRun) out << job.diff;
        for (const Message& m : job.messages) {
            if (options.json) {
                array.push_back({{"file", job.path},
                                 {"line", m.line ? nlohmann::json(m.line) : nlohmann::json()},
                                 {"severity", m.severity},
                                 {"message", m.text}});
            } else {
                lines << job.path;
                if (m.line) lines << ':' << m.line;
                lines << ": " << m.severity << ": " << m.text << '\n';
            }
        }
    }
    // Names in Windows-1252 files and paths are not UTF-8; JSON must be, so they are replaced.
    if (options.json) out << array.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';

    const std::string files = Plural(jobs.size() - failed, "file", "files");
    std::string summary = "qmark: ";
    if (!options.update || options.dryRun) {
        summary += findings ? Plural(findings, "finding", "findings") + " in " +
                                  std::to_string(filesWithFindings) + " of " + files
                            : files + " checked, every header in step";
    } else {
        summary += Plural(updated, "header", "headers") + " updated, " + std::to_string(added) +
                   " added in " + files + "; " + Plural(left, "finding", "findings") + " left";
    }
    if (failed) summary += "; " + Plural(failed, "path", "paths") + " could not be read or written";
    err << summary << '\n';
    out.flush();
    if (failed) return 2;
    return (options.update && !options.dryRun ? left : findings) ? 1 : 0;
}

int RunCheck(Request& request, std::istream&, std::ostream& out, std::ostream& err) {
    return RunSources(request, false, out, err);
}

int RunUpdate(Request& request, std::istream&, std::ostream& out, std::ostream& err) {
    return RunSources(request, true, out, err);
}

}  // namespace qm
