// libssh2's process-wide init and exit are not thread-safe: every session takes them through here,
// under one lock, so worker threads connecting and disconnecting at once never race on them.
#pragma once

class Ssh2Library {
  public:
    // libssh2_init(0) under the lock; its result.
    static int Init();
    // libssh2_exit() under the lock, balancing one successful Init.
    static void Exit();
};
