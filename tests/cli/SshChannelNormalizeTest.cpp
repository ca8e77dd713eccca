#include <gtest/gtest.h>

#include <string>

#include "cli/HuaweiTavSsh2.h"

namespace {

struct NormalizeCase {
    const char* name;
    std::string in;
    std::string out;
};

class NormalizeResultString : public ::testing::TestWithParam<NormalizeCase> {};

TEST_P(NormalizeResultString, ReplaysLineEditingAndDropsControlBytes) {
    std::string text = GetParam().in;
    std::string error;
    ASSERT_TRUE(TavHuaweiSSHChannel::NormalizeResultString(text, error));
    EXPECT_EQ(text, GetParam().out);
    EXPECT_EQ(error, "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NormalizeResultString,
    ::testing::Values(NormalizeCase{"Empty", "", ""},
                      NormalizeCase{"TwoBackspacesEraseTwoLetters", "ab\b\b", ""},
                      NormalizeCase{"BackspaceAfterLineFeedIgnored", "a\r\n\bb", "a\r\nb"},
                      NormalizeCase{"BackspaceAtStartDropped", "\bab", "ab"},
                      NormalizeCase{"TabBellDropped", "a\tb\ac", "abc"},
                      NormalizeCase{"EscapeByteDroppedRestKept", "x\x1b[Ky", "x[Ky"},
                      NormalizeCase{"HighBytesAndDelDropped", std::string("a\x7f\xc3\xa9z"), "az"},
                      NormalizeCase{"NulDropped", std::string("a\0b", 3), "ab"}),
    [](const ::testing::TestParamInfo<NormalizeCase>& info) { return std::string(info.param.name); });

TEST(SshChannelCommandLine, ControlCharactersAreDetected) {
    EXPECT_FALSE(TavHuaweiSSHChannel::HasControlCharacter("show lun general lun_id=1"));
    for (const char* bad : {"show lun\n", "a\rb", "x\ty", "del\x7f", "\x1b[A"}) {
        EXPECT_TRUE(TavHuaweiSSHChannel::HasControlCharacter(bad)) << bad;
    }
}

TEST(SshChannelCommandLine, CommandOnUnconnectedChannelFailsWithoutTouchingError) {
    TavHuaweiSSHChannel channel;
    std::string result, error = "untouched";
    EXPECT_FALSE(channel.ExecuteCommand("show system general", result, error));
    EXPECT_EQ(error, "untouched");
}

}  // namespace
