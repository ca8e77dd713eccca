#include <gtest/gtest.h>

#include "sim/SimArray.h"
#include "tests/sim/SshTestClient.h"

using tavso::sim::SimArray;

TEST(SimCli, LoginShowsWelcomeAndAnswersCommandsWithEcho) {
    SimArray array;
    std::string err;
    ASSERT_TRUE(array.start(&err)) << err;
    simtest::SshTestClient c;
    ASSERT_TRUE(c.open(array.cliPort(), "admin", "Admin@123")) << c.error();
    EXPECT_NE(std::string::npos, c.welcome().find("SN              : 2102351234ABCD000001"));
    EXPECT_NE(std::string::npos, c.welcome().find("Product Version : V300R006C00"));

    std::string sys = c.run("show system general");
    EXPECT_EQ(0u, sys.find("show system general"));
    EXPECT_NE(std::string::npos, sys.find("Product Model   : 5500 V3"));

    std::string none = c.run("show lun general");
    EXPECT_NE(std::string::npos, none.find("No matching records."));

    std::vector<std::string> expected{"show system general", "show lun general"};
    EXPECT_EQ(expected, array.transcript().commands());
}

TEST(SimCli, WrongPasswordIsRefused) {
    SimArray array;
    ASSERT_TRUE(array.start());
    simtest::SshTestClient c;
    EXPECT_FALSE(c.open(array.cliPort(), "admin", "wrong"));
}
