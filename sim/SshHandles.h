// Owners for libssh handles.
#pragma once

#include <libssh/libssh.h>
#include <libssh/server.h>

#include <memory>

namespace tavso::sim {

struct SshSessionFree {
    void operator()(ssh_session s) const { ssh_free(s); }
};
struct SshBindFree {
    void operator()(ssh_bind b) const { ssh_bind_free(b); }
};
struct SshChannelFree {
    void operator()(ssh_channel c) const { ssh_channel_free(c); }
};
struct SshMessageFree {
    void operator()(ssh_message m) const { ssh_message_free(m); }
};
struct SshKeyFree {
    void operator()(ssh_key k) const { ssh_key_free(k); }
};

using SessionPtr = std::unique_ptr<ssh_session_struct, SshSessionFree>;
using BindPtr = std::unique_ptr<ssh_bind_struct, SshBindFree>;
using ChannelPtr = std::unique_ptr<ssh_channel_struct, SshChannelFree>;
using MessagePtr = std::unique_ptr<ssh_message_struct, SshMessageFree>;
using KeyPtr = std::unique_ptr<ssh_key_struct, SshKeyFree>;

}  // namespace tavso::sim
