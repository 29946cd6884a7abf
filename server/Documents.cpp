// SPDX-License-Identifier: MIT
#include "server/Documents.h"

#include <utility>

#include "platform/Text.h"
#include "server/DocumentStyle.h"

namespace qm {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string PathOfUri(std::string_view uri) {
    constexpr std::string_view kScheme = "file://";
    if (uri.size() < kScheme.size() || !EqualsNoCase(uri.substr(0, kScheme.size()), kScheme)) return {};
    uri.remove_prefix(kScheme.size());
    // The authority, empty or "localhost" for a local file, ends where the path starts.
    const std::size_t slash = uri.find('/');
    if (slash == std::string_view::npos) return {};
    const std::string_view host = uri.substr(0, slash);
    if (!host.empty() && !EqualsNoCase(host, "localhost")) return {};
    uri.remove_prefix(slash);
    uri = uri.substr(0, uri.find_first_of("?#"));
    std::string path;
    for (std::size_t i = 0; i < uri.size(); ++i) {
        int hi = -1, lo = -1;
        if (uri[i] == '%' && i + 2 < uri.size() && (hi = HexDigit(uri[i + 1])) >= 0 &&
            (lo = HexDigit(uri[i + 2])) >= 0) {
            path += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else {
            path += uri[i];
        }
    }
    return path.find('\0') == std::string::npos ? path : std::string();
}

Document& DocumentStore::open(std::string uri, std::int64_t version, std::string text,
                              std::optional<DevelopmentLanguage> language) {
    Document d;
    d.path = PathOfUri(uri);
    d.language = language ? language : DocumentLanguage(d.path);
    d.uri = uri;
    d.version = version;
    d.lines = LineIndex(text);
    d.text = std::move(text);
    return m_documents[std::move(uri)] = std::move(d);
}

Document* DocumentStore::change(std::string_view uri, std::int64_t version, std::vector<TextChange> changes) {
    Document* d = find(uri);
    if (!d) return nullptr;
    for (TextChange& c : changes) {
        if (!c.range) {
            d->text = std::move(c.text);
        } else {
            std::size_t from = d->lines.offsetOf(d->text, c.range->first);
            std::size_t to = d->lines.offsetOf(d->text, c.range->second);
            if (from > to) std::swap(from, to);
            // Built anew at its exact size, so that a document's memory stays its text's.
            std::string text;
            text.reserve(d->text.size() - (to - from) + c.text.size());
            text.append(d->text, 0, from).append(c.text).append(d->text, to);
            d->text = std::move(text);
        }
        d->lines = LineIndex(d->text);
    }
    d->version = version;
    d->published = false;
    d->checked.reset();
    return d;
}

bool DocumentStore::close(std::string_view uri) {
    const auto it = m_documents.find(uri);
    if (it == m_documents.end()) return false;
    m_documents.erase(it);
    return true;
}

Document* DocumentStore::find(std::string_view uri) {
    const auto it = m_documents.find(uri);
    return it == m_documents.end() ? nullptr : &it->second;
}

}  // namespace qm
