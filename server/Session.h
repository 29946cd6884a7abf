// SPDX-License-Identifier: MIT
// The server's state and its table of methods: messages in, messages out, no I/O.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "generator/CommentBlock.h"
#include "platform/DateTime.h"

namespace qm {

// What the command line gives; the client's initializationOptions go over it.
struct ServerOptions {
    std::optional<DevelopmentLanguage> language;  // over the one a file's name says
    std::optional<std::string> developer;         // else the settings', else the account's name
    std::optional<DateTime> date;                 // else today
    std::string style;                            // a house style over each style file's
};

// One client's session. Messages are JSON texts as framed; what goes back is appended to out
// in the order it is sent.
class Session {
public:
    explicit Session(ServerOptions options = {});
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Queues one message for process().
    void receive(std::string message);
    // Queues a message the transport passed over (why says what was wrong), to be answered
    // in its turn with an InvalidRequest error without an id.
    void refuse(std::string why);
    // Handles the queued messages in order. A request that a $/cancelRequest among them
    // cancels is answered RequestCancelled instead; after exit nothing more is handled.
    void process(std::vector<std::string>& out);
    // Nothing more is waiting: publishes the diagnostics of each document opened or changed
    // since its last ones, so a burst of changes gives one set.
    void idle(std::vector<std::string>& out);
    // Once exit arrived: 0 after shutdown, 1 without.
    std::optional<int> exitCode() const;

    struct State;

private:
    struct Queued {
        std::string text;
        std::string refused;
    };
    std::unique_ptr<State> m_state;
    std::vector<Queued> m_queue;
};

}  // namespace qm
