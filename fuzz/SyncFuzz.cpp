// SPDX-License-Identifier: MIT
// The first byte picks the language (its low bit), the rest is a source file. Checking and
// updating it never fails; the edits stand in line order inside the file, and the file they
// give needs no further update: every block it rewrote is in step.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "reader/HeaderSync.h"

namespace {

bool InOrder(const qm::HeaderSyncResult& r, std::string_view text) {
    std::size_t lines = 0;
    for (std::size_t at = 0; at < text.size(); ++at)
        lines += text[at] == '\n' || (text[at] == '\r' && (at + 1 == text.size() || text[at + 1] != '\n'));
    std::size_t done = 0;
    for (const qm::LineEdit& e : r.edits) {
        if (e.first < done || e.first + e.count > lines + 1) return false;
        done = e.first + e.count;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size == 0) return 0;
    const qm::DevelopmentLanguage language = bytes[0] & 1;
    const std::string_view text(reinterpret_cast<const char*>(bytes) + 1, size - 1);
    qm::HeaderSyncOptions options{true,
                                  qm::HeaderUpdate{{"07-Dec-26", "Bo", "Updated"}, true, {2026, 12, 7}}};
    const qm::HeaderSyncResult first = qm::SyncHeaders(text, language, options);
    if (!InOrder(first, text)) std::abort();
    const std::string updated = qm::ApplyEdits(text, first.edits);
    for (const qm::HeaderFinding& f : qm::SyncHeaders(updated, language, options).findings)
        if (first.updated > 0 && f.fix == qm::HeaderFinding::Fix::Updated) std::abort();
    return 0;
}
