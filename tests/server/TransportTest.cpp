// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <stdio.h>
#include <unistd.h>

#include <sstream>

#include "server/LanguageServer.h"
#include "server/TextPositions.h"
#include "server/Transport.h"

namespace qm {
namespace {

// The frames of a stream fed whole and fed a byte at a time: "body", "error: why", and
// "broken: why" once the stream cannot be followed.
std::string Frames(std::string_view stream, bool bytewise) {
    FrameReader reader;
    std::string out;
    for (std::size_t at = 0; at < stream.size();) {
        const std::size_t n = bytewise ? 1 : stream.size();
        reader.feed(stream.substr(at, n));
        at += n;
        while (std::optional<Frame> f = reader.next())
            out += (f->error.empty() ? f->body : "error: " + f->error) + "|";
    }
    if (!reader.broken().empty()) out += "broken: " + reader.broken();
    return out;
}

TEST(FrameReader, CutsMessagesAndPassesOverBadOnes) {
    const std::string over = std::to_string(kMaxMessageBytes + 1);
    const struct {
        std::string stream, frames;
    } rows[] = {
        {"Content-Length: 2\r\n\r\n{}Content-Length: 3\r\n\r\n[1]", "{}|[1]|"},
        {"content-length:2\r\nContent-Type: application/vscode-jsonrpc; charset=utf-8\r\n\r\n{}", "{}|"},
        {"Content-Length: 2\n\n{}\r\nContent-Length: 1\r\n\r\n1", "{}|1|"},
        {"Content-Length: 5\r\n\r\n{}", ""},
        {"Content-Length: " + over + "\r\n\r\n{\"a\":1}",
         "error: a message of " + over + " bytes is over the 64 MiB limit; passed over|"},
        {"Content-Length: 12x\r\n\r\n{}", "broken: a message header whose Content-Length is not a number"},
        {"Content-Type: x\r\n\r\n{}", "broken: a message header without Content-Length"},
        {"{}\r\n\r\n", "broken: a message header line without ':'"},
        {std::string(kMaxHeaderBytes + 1, 'x'), "broken: a message header over 64 KiB"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(Frames(r.stream, false), r.frames) << r.stream.substr(0, 60);
        if (r.stream.size() < 1000) {
            EXPECT_EQ(Frames(r.stream, true), r.frames) << r.stream;
        }
    }
    EXPECT_EQ(Frames(FrameMessage("{\"é\":1}"), false), "{\"é\":1}|");
}

TEST(LineIndex, CountsCharactersInUtf16Units) {
    // "é" is two bytes and one unit, "日" three bytes and one, "😀" four bytes and two.
    const std::string text = "ab\r\nxé日😀z\rq\n";
    const LineIndex lines(text);
    const struct {
        Position p;
        std::size_t offset;
        Position back;
    } rows[] = {
        {{0, 2}, 2, {0, 2}},  {{0, 9}, 2, {0, 2}},  {{1, 0}, 4, {1, 0}},  {{1, 2}, 7, {1, 2}},
        {{1, 3}, 10, {1, 3}}, {{1, 4}, 10, {1, 3}}, {{1, 5}, 14, {1, 5}}, {{1, 6}, 15, {1, 6}},
        {{2, 1}, 17, {2, 1}}, {{3, 0}, 18, {3, 0}}, {{7, 3}, 18, {3, 0}},
    };
    EXPECT_EQ(lines.lineCount(), 4u);
    for (const auto& r : rows) {
        EXPECT_EQ(lines.offsetOf(text, r.p), r.offset) << r.p.line << ':' << r.p.character;
        const Position back = lines.positionOf(text, r.offset);
        EXPECT_EQ(back.line * 100 + back.character, r.back.line * 100 + r.back.character) << r.offset;
    }
}

// The server over a pipe holding stream: its exit code, then each answer's error code or "ok"
// and what it logged.
std::string Serve(const std::string& stream) {
    int in[2];
    if (::pipe(in) != 0 ||
        ::write(in[1], stream.data(), stream.size()) != static_cast<ssize_t>(stream.size()))
        return "no pipe";
    ::close(in[1]);
    FILE* out = std::tmpfile();
    std::ostringstream log;
    std::string result = std::to_string(RunLanguageServer(in[0], ::fileno(out), {}, log));
    ::close(in[0]);
    std::string sent(1 << 12, '\0');
    std::rewind(out);
    sent.resize(std::fread(sent.data(), 1, sent.size(), out));
    std::fclose(out);
    FrameReader answers;
    answers.feed(sent);
    while (std::optional<Frame> f = answers.next())
        result += f->body.find("\"error\":") != std::string::npos ? " error" : " ok";
    return result + " " + log.str();
}

TEST(LanguageServer, EndsAsTheProtocolSays) {
    const std::string init = FrameMessage(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})");
    const std::string shutdown = FrameMessage(R"({"jsonrpc":"2.0","id":2,"method":"shutdown"})");
    const std::string exit = FrameMessage(R"({"jsonrpc":"2.0","method":"exit"})");
    const struct {
        std::string stream, result;
    } rows[] = {
        {init + shutdown + exit + init, "0 ok ok "},
        {init + exit, "1 ok "},
        {init + shutdown, "1 ok ok qmark lsp: the client's messages ended without exit\n"},
        {init + "Content-Length: 99999999999\r\n\r\n{}",
         "1 ok error qmark lsp: a message of 99999999999 bytes is over the 64 MiB limit; passed over\n"
         "qmark lsp: the client's messages ended without exit\n"},
        {init + "Content-Type: x\r\n\r\n" + shutdown + exit,
         "1 ok qmark lsp: a message header without Content-Length; the messages after it cannot be told "
         "apart\n"},
    };
    for (const auto& r : rows) EXPECT_EQ(Serve(r.stream), r.result) << r.stream;
}

}  // namespace
}  // namespace qm
