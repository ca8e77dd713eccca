#include "tests/rest/RestFixture.h"

using namespace resttest;

namespace {

class HostGroupTest : public RestTest {
  protected:
    void SetUp() override {
        RestTest::SetUp();
        ASSERT_TRUE(login(client));
    }
};

TEST_F(HostGroupTest, HostAndGroupAreMadeFoundAndJoinedOnce) {
    _HuaweiLUNHostInfo host;
    ASSERT_FALSE(client.createHost(host, "mounthost", kNoVStore, true).IsError());
    EXPECT_EQ(array.model().copy().hosts.at(std::stoul(host.id)).operatingSystem, "7");
    std::string id;
    ASSERT_FALSE(client.getHostIDFromHostName("mounthost", id, kNoVStore).IsError());
    EXPECT_EQ(id, host.id);
    EXPECT_TRUE(client.getHostIDFromHostName("mount", id, kNoVStore).IsError());
    EXPECT_EQ(client.createHost(host, "mounthost", kNoVStore, false).GetCode(), 1077948993u);

    _HuaweiHostGroupInfo group;
    ASSERT_FALSE(client.createHostGroup(group, "mounthost", kNoVStore).IsError());
    std::string groupId;
    ASSERT_FALSE(client.getHostGroupIDFromName("mounthost", groupId, kNoVStore).IsError());
    EXPECT_EQ(groupId, group.id);

    EXPECT_TRUE(client.isHostAssociatedToHostGroup(group.id, host.id, kNoVStore).IsError());
    ASSERT_FALSE(client.addHostToHostGroup(group.id, host.id, kNoVStore).IsError());
    // A second add of the same member is the state the caller asked for.
    ASSERT_FALSE(client.addHostToHostGroup(group.id, host.id, kNoVStore).IsError());
    EXPECT_FALSE(client.isHostAssociatedToHostGroup(group.id, host.id, kNoVStore).IsError());
    EXPECT_EQ(array.model().copy().hostGroups.at(std::stoul(group.id)).hosts.size(), 1u);

    EXPECT_EQ(client.addHostToHostGroup(group.id, "999", kNoVStore).GetCode(), 1077937498u);
    EXPECT_EQ(client.addHostToHostGroup("999", host.id, kNoVStore).GetCode(), 1077937500u);
    EXPECT_EQ(client.isHostAssociatedToHostGroup("999", host.id, kNoVStore).GetCode(), 1077937500u);
}

}  // namespace
