// SPDX-License-Identifier: MIT
#include "generator/FreeTextBlock.h"

#include <cerrno>
#include <unistd.h>

#include "platform/AtomicFile.h"
#include "platform/FileError.h"
#include "settings/RegIni.h"
#include "settings/Utility.h"

namespace qm {
namespace {

constexpr std::size_t kRuleLength = 72;

// Removes the scratch file however the build ends.
class ScratchFile {
public:
    explicit ScratchFile(std::string path) : m_path(std::move(path)) {}
    ~ScratchFile() { ::unlink(m_path.c_str()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

}  // namespace

std::string BuildFreeTextBlock(std::string_view freeText, DevelopmentLanguage language) {
    const std::string_view prefix = RemarkPrefix(language);
    const ScratchFile scratch(RegIni().GetTempFile("~qm", 0));
    Utility().FileSave(scratch.path(), freeText);

    std::string content;
    if (!ReadWholeFile(scratch.path(), content)) throw FileError("cannot read", scratch.path(), errno);

    std::string out;
    // Each line gains the prefix, a blank and maybe a LF; lines of a dozen characters or more
    // fit without a reallocation.
    out.reserve(content.size() + content.size() / 4 + 2 * (kRuleLength + 4));
    out += prefix;
    out.append(kRuleLength, '=');
    out += "\r\n";
    // A line ends at CR LF or a lone CR; a lone LF stays in the line. A last line without
    // a line end still counts.
    std::size_t start = 0;
    const std::size_t n = content.size();
    while (start < n) {
        std::size_t cr = content.find('\r', start);
        const std::size_t end = (cr == std::string::npos) ? n : cr;
        out += prefix;
        out += ' ';
        out.append(content, start, end - start);
        out += "\r\n";
        if (cr == std::string::npos) break;
        start = cr + 1;
        if (start < n && content[start] == '\n') ++start;
    }
    out += prefix;
    out.append(kRuleLength, '-');
    out += "\r\n";
    return out;
}

}  // namespace qm
