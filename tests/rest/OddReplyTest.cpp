// Replies whose error member is not what the interface promises: the call fails with a reason the
// host can be given, and nothing is thrown through the caller.
#include <gtest/gtest.h>
#include <httplib.h>

#include <string>
#include <thread>

#include "platform/TavManageHuawei.h"
#include "platform/TavPlatformInfo.h"

namespace {

TEST(OddReply, LoginFailsWithAReasonWhateverTheErrorMemberHolds) {
    struct Case {
        const char* body;
        const char* reason;  // in the session error
    } cases[] = {
        {R"({"data":{},"error":{"code":1077949006,"description":null}})",
         "The array answered error 1077949006"},
        {R"({"data":{},"error":{"code":1077949006,"description":""}})",
         "The array answered error 1077949006"},
        {R"({"data":{},"error":{"code":"1077949006","description":"busy"}})", "busy"},
        {R"({"data":{},"error":{"code":null}})", "Unexpected reply (HTTP 200)"},
        {R"({"data":{},"error":null})", "Unexpected reply (HTTP 200)"},
        {R"({"data":{},"error":[1,2]})", "Unexpected reply (HTTP 200)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        httplib::Server server;
        server.Post(".*", [&](const httplib::Request&, httplib::Response& res) {
            res.set_content(c.body, "application/json");
        });
        const int port = server.bind_to_any_port("127.0.0.1");
        ASSERT_GT(port, 0);
        std::thread loop([&] { server.listen_after_bind(); });
        while (!server.is_running()) {
            std::this_thread::yield();
        }
        ScopedSettings settings("[~Dravel]\nHW_REST_SCHEME=http\nHW_REST_PORT=" + std::to_string(port) +
                                "\n");
        {
            // Gone before the server stops: its kept-alive connection would hold the stop.
            TavManageHuawei client(1);
            EXPECT_FALSE(client.createSession("admin", "Odd#Secret9", "127.0.0.1"));
            EXPECT_EQ(client.lastSessionError(), c.reason);
        }
        server.stop();
        loop.join();
    }
}

}  // namespace
