// SPDX-License-Identifier: MIT
#include "server/Transport.h"

#include <algorithm>
#include <utility>

#include "platform/Text.h"

namespace qm {

void FrameReader::feed(std::string_view bytes) {
    // An oversized message's bytes are dropped as they come, never held.
    if (m_skip > 0 && m_used == m_buffer.size()) {
        const std::size_t n = std::min(m_skip, bytes.size());
        m_skip -= n;
        bytes.remove_prefix(n);
    }
    if (m_used == m_buffer.size()) {
        m_buffer.clear();
        m_used = 0;
    } else if (m_used > (1u << 20)) {
        m_buffer.erase(0, m_used);
        m_used = 0;
    }
    m_buffer.append(bytes);
}

std::optional<Frame> FrameReader::next() {
    for (;;) {
        if (m_skip > 0) {
            const std::size_t n = std::min(m_skip, m_buffer.size() - m_used);
            m_skip -= n;
            m_used += n;
            if (m_skip > 0) return std::nullopt;
        }
        if (!m_broken.empty()) return std::nullopt;
        if (m_body) {
            if (m_buffer.size() - m_used < *m_body) return std::nullopt;
            Frame frame{m_buffer.substr(m_used, *m_body), {}};
            m_used += *m_body;
            m_body.reset();
            return frame;
        }
        if (!readHeader()) return std::nullopt;
        if (*m_body > kMaxMessageBytes) {
            m_skip = *std::exchange(m_body, std::nullopt);
            return Frame{{},
                         "a message of " + std::to_string(m_skip) + " bytes is over the " +
                             std::to_string(kMaxMessageBytes >> 20) + " MiB limit; passed over"};
        }
        m_buffer.reserve(m_used + *m_body);
    }
}

// Takes one header from the buffer and sets m_body; false until it is whole, or when broken.
bool FrameReader::readHeader() {
    const std::string_view rest = std::string_view(m_buffer).substr(m_used);
    std::size_t at = 0;
    std::optional<std::size_t> length;
    for (;;) {
        const std::size_t lf = rest.find('\n', at);
        if (lf == std::string_view::npos || lf > kMaxHeaderBytes) {
            if (rest.size() > kMaxHeaderBytes) m_broken = "a message header over 64 KiB";
            return false;
        }
        std::string_view line = rest.substr(at, lf - at);
        if (line.ends_with('\r')) line.remove_suffix(1);
        const bool first = at == 0;
        at = lf + 1;
        if (line.empty()) {
            if (first) {  // a blank line between messages
                m_used += at;
                return readHeader();
            }
            break;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            m_broken = "a message header line without ':'";
            return false;
        }
        if (!EqualsNoCase(TrimBlanks(line.substr(0, colon)), "Content-Length")) continue;
        const std::string_view value = TrimBlanks(line.substr(colon + 1));
        if (value.empty() || value.size() > 18 ||
            !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            m_broken = "a message header whose Content-Length is not a number";
            return false;
        }
        length = 0;
        for (char c : value) *length = *length * 10 + static_cast<std::size_t>(c - '0');
    }
    if (!length) {
        m_broken = "a message header without Content-Length";
        return false;
    }
    m_used += at;
    m_body = length;
    return true;
}

std::string FrameMessage(std::string_view text) {
    return "Content-Length: " + std::to_string(text.size()) + "\r\n\r\n" + std::string(text);
}

}  // namespace qm
