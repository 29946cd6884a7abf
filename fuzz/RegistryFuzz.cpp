// SPDX-License-Identifier: MIT
// Parses a .reg text, writes it out and parses that again: the second reading must be
// clean, hold the same keys and values, and write out the same text. A clean text edited
// in place must stay clean and read the new value back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/RegDocument.h"

namespace {

bool SameKeys(const qm::RegDocument& a, const qm::RegDocument& b) {
    if (a.keys().size() != b.keys().size()) return false;
    for (std::size_t i = 0; i < a.keys().size(); ++i) {
        const qm::RegKeyEntry& x = a.keys()[i];
        const qm::RegKeyEntry& y = b.keys()[i];
        if (x.path != y.path || x.values.size() != y.values.size()) return false;
        for (std::size_t j = 0; j < x.values.size(); ++j) {
            const qm::RegValue& v = x.values[j];
            const qm::RegValue& w = y.values[j];
            if (v.name != w.name || v.type != w.type || v.data != w.data) return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(bytes), size);
    constexpr std::string_view kRoot = "HKEY_LOCAL_MACHINE";
    const qm::RegDocument first = qm::RegDocument::Parse(text, kRoot);
    const std::string written = first.serialize(kRoot);
    const qm::RegDocument second = qm::RegDocument::Parse(written, kRoot);
    if (!second.error().empty()) std::abort();             // its own output is unreadable
    if (!SameKeys(first, second)) std::abort();            // the round trip changed data
    if (second.serialize(kRoot) != written) std::abort();  // writing is not stable

    if (!first.error().empty()) return 0;  // the store never edits a damaged file
    const std::string path = first.keys().empty() ? std::string() : first.keys().back().path;
    const qm::RegValue value{"Fuzz", 4, {1, 2, 3, 4}};
    const qm::RegDocument edited =
        qm::RegDocument::Parse(qm::RegDocument::EditValue(text, kRoot, path, value), kRoot);
    const qm::RegKeyEntry* key = edited.findKey(path);
    const qm::RegValue* got = key ? qm::RegDocument::FindValue(*key, "Fuzz") : nullptr;
    if (!edited.error().empty() || !got || got->data != value.data) std::abort();  // the edit did not take
    return 0;
}
