// SPDX-License-Identifier: MIT
// The protocol's byte stream: messages framed by a "Content-Length: N" header and a blank line.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// No document anyone edits comes near this; a larger message is passed over unread.
inline constexpr std::size_t kMaxMessageBytes = 64u << 20;
// A header longer than this is no header; the stream cannot be followed past it.
inline constexpr std::size_t kMaxHeaderBytes = 64u << 10;

// One message cut from the stream: its JSON text, or why it was passed over.
struct Frame {
    std::string body;
    std::string error;
};

// Cuts the bytes fed to it into messages. Header lines end in CR LF (a bare LF is taken too),
// "Content-Length" is matched in any letter case and other fields are ignored. A message over
// kMaxMessageBytes is skipped without being held and gives a frame with an error; a header
// without a usable Content-Length, or longer than kMaxHeaderBytes, makes the reader broken:
// nothing after it can be told apart.
class FrameReader {
public:
    void feed(std::string_view bytes);
    // The next whole message, or nullopt until more bytes come.
    std::optional<Frame> next();
    // Why the stream cannot be read further; empty while it can.
    const std::string& broken() const { return m_broken; }

private:
    bool readHeader();

    std::string m_buffer;
    std::size_t m_used = 0;               // bytes of m_buffer already taken
    std::optional<std::size_t> m_body;    // the length of the message being read, once its header is
    std::size_t m_skip = 0;               // bytes of an oversized message still to pass over
    std::optional<std::size_t> m_length;  // Content-Length seen in the header being read
    std::string m_broken;
};

// text framed for the stream.
std::string FrameMessage(std::string_view text);

}  // namespace qm
