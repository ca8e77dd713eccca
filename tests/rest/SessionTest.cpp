#include "tests/rest/RestFixture.h"

using namespace resttest;

namespace {

class SessionTest : public RestTest {};

TEST_F(SessionTest, LoginReadsTheSystemAndLogoutEndsTheSession) {
    ASSERT_TRUE(login(client));
    EXPECT_EQ(client.getvStoreId(), kNoVStore);
    _HuaweiSystemInformation info;
    ASSERT_FALSE(!client.getSystemInformation(info));
    EXPECT_EQ(info.serialNumber, array.model().system().serial);

    client.closeSession();
    EXPECT_EQ(rest->requests().back(), "DELETE /sessions");
    HuaweiApi::ResultStatus after = client.getSystemInformation(info);
    EXPECT_TRUE(after.IsError());
}

TEST_F(SessionTest, WrongPasswordFailsWithoutTheSecretInAnyText) {
    EXPECT_FALSE(login(client, kUser, "Secret#Wrong1"));
    EXPECT_NE(client.lastSessionError().find("incorrect"), std::string::npos);
    EXPECT_EQ(client.lastSessionError().find("Secret#Wrong1"), std::string::npos);
    for (const auto& r : rest->requests()) {
        EXPECT_EQ(r.find("Secret#Wrong1"), std::string::npos) << r;
    }
}

TEST_F(SessionTest, ExpiredSessionLogsInOnceAndRepeatsTheCall) {
    uint32_t lun = array.model().addLun("lun_a", 10 * tavso::sim::kSectorsPerGb);
    ASSERT_TRUE(login(client));
    arrayClock.advance(120000);  // longer than the array keeps an idle session
    _HuaweiLUNInfo info;
    HuaweiApi::ResultStatus st = client.getLUNInfo(info, std::to_string(lun), kNoVStore);
    ASSERT_FALSE(st.IsError()) << st.AsString();
    EXPECT_EQ(info.name, "lun_a");
    EXPECT_EQ(rest->logins(), 2);
    auto req = rest->requests();
    ASSERT_EQ(req.size(), 4u);
    EXPECT_EQ(req[1], "GET /lun/" + std::to_string(lun));
    EXPECT_EQ(req[2], "POST /sessions");
    EXPECT_EQ(req[3], req[1]);
}

TEST_F(SessionTest, ARefusedReloginEndsTheCallWithTheExpiryCode) {
    ASSERT_TRUE(login(client));
    array.model().with([](tavso::sim::ArrayState& s) { s.users[0].password = "Changed@1"; });
    rest->expireSessions();
    _HuaweiSystemInformation info;
    HuaweiApi::ResultStatus st = client.getSystemInformation(info);
    EXPECT_EQ(st.GetCode(), static_cast<uint64_t>(-401));
    EXPECT_EQ(rest->logins(), 2);
}

TEST_F(SessionTest, VStoreUserGetsItsScope) {
    uint32_t vs = array.model().addVStore("vstore1");
    array.model().addUser({"vsuser", "Vs@12345", "Admin", "", std::to_string(vs)});
    ASSERT_TRUE(login(client, "vsuser", "Vs@12345"));
    EXPECT_EQ(client.getvStoreId(), std::to_string(vs));
    std::string name;
    ASSERT_FALSE(client.getVStoreNameFromId(client.getvStoreId(), name).IsError());
    EXPECT_EQ(name, "vstore1");
}

TEST_F(SessionTest, UnreachableArrayFailsClearly) {
    ScopedSettings closed("[~Dravel]\nHW_REST_SCHEME=http\nHW_REST_PORT=1\n");
    EXPECT_FALSE(login(client));
    EXPECT_NE(client.lastSessionError().find("REST call failed"), std::string::npos);
}

}  // namespace
