// SPDX-License-Identifier: MIT
// The first byte picks the language (bit 0), the house style (bits 1-2: doxygen, xmldoc,
// vbtags, doxygen) and what check reports (bits 3-5: undocumented, order, missing); the rest
// is a source file, and also a style file. Reading either never fails; an update's edits stand
// in line order inside the file, and the comments of the file they give are in step.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "reader/StyledCommentSync.h"
#include "settings/HouseStyle.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t pick = bytes[0];
    const std::string_view text(reinterpret_cast<const char*>(bytes) + 1, size - 1);
    (void)qm::ParseHouseStyle(text, ".quillmark");
    const qm::DevelopmentLanguage language = pick & 1;
    static const char* const kStyles[] = {"doxygen", "xmldoc", "vbtags", "doxygen"};
    const qm::CommentStyle& style = *qm::FindCommentStyle(kStyles[(pick >> 1) & 3]);
    const qm::StyledReport report{(pick & 8) != 0, (pick & 16) != 0};
    const qm::HeaderSyncOptions options{
        (pick & 32) != 0, qm::HeaderUpdate{{"07-Dec-26", "Bo", "Updated"}, true, {2026, 12, 7}}};
    const qm::HeaderSyncResult first = qm::SyncHouseStyle(text, language, style, {}, report, options);
    std::size_t done = 0;
    for (const qm::LineEdit& e : first.edits) {
        if (e.first < done) std::abort();
        done = e.first + e.count;
    }
    // The comments an update brought in step have nothing left to update.
    const std::string updated = qm::ApplyEdits(text, first.edits);
    if (!qm::SyncStyledComments(updated, language, style, report, true).edits.empty()) std::abort();
    return 0;
}
