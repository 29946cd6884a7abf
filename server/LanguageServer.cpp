// SPDX-License-Identifier: MIT
#include "server/LanguageServer.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ostream>

#include "platform/WholeFile.h"
#include "server/Transport.h"

namespace qm {
namespace {

// Whether in has bytes (or its end) waiting; with wait, blocks until it has.
bool Waiting(int in, bool wait) {
    pollfd p{in, POLLIN, 0};
    for (;;) {
        const int n = ::poll(&p, 1, wait ? -1 : 0);
        if (n >= 0) return n > 0;
        if (errno != EINTR) return true;  // the read reports it
    }
}

bool Send(int out, std::vector<std::string>& messages) {
    std::string bytes;
    for (const std::string& m : messages) bytes += FrameMessage(m);
    messages.clear();
    return WriteAll(out, bytes);
}

}  // namespace

int RunLanguageServer(int in, int out, const ServerOptions& options, std::ostream& log) {
    Session session(options);
    FrameReader reader;
    std::vector<std::string> outgoing;
    const auto send = [&] {
        if (Send(out, outgoing)) return true;
        log << "qmark lsp: cannot write to the client: " << std::strerror(errno) << '\n';
        return false;
    };
    char buffer[1 << 16];
    for (int reads = 0;;) {
        if (!Waiting(in, false)) {
            session.idle(outgoing);
            if (!send()) return 1;
            Waiting(in, true);
        }
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) log << "qmark lsp: cannot read the client's messages: " << std::strerror(errno) << '\n';
        if (n <= 0) break;
        reader.feed({buffer, static_cast<std::size_t>(n)});
        while (std::optional<Frame> frame = reader.next()) {
            if (frame->error.empty()) {
                session.receive(std::move(frame->body));
            } else {
                log << "qmark lsp: " << frame->error << '\n';
                session.refuse(frame->error);
            }
        }
        // What else is waiting is read first (a bounded amount), so that a cancellation finds
        // its request still queued and a burst of changes is checked once.
        if (reader.broken().empty() && ++reads < 256 && Waiting(in, false)) continue;
        reads = 0;
        session.process(outgoing);
        if (!send()) return 1;
        if (session.exitCode()) return *session.exitCode();
        if (!reader.broken().empty()) {
            log << "qmark lsp: " << reader.broken() << "; the messages after it cannot be told apart\n";
            return 1;
        }
    }
    session.process(outgoing);
    if (!send()) return 1;
    if (!session.exitCode()) log << "qmark lsp: the client's messages ended without exit\n";
    return session.exitCode().value_or(1);
}

}  // namespace qm
