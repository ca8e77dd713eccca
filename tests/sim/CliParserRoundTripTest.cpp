// The simulator's replies, read back with the plug-in's own CLI text parser.
#include <gtest/gtest.h>

#include "cli/HuaeiParser.h"
#include "tests/sim/SimFixture.h"

namespace simtest {
namespace {

using namespace tavso::sim;

TEST_F(SimTest, TablesAndPropertiesParseBackToTheModel) {
    uint32_t lun = array.model().addLun("lun_a", 10 * kSectorsPerGb);
    array.model().addLun("lun_b", kSectorsPerGb);
    array.model().createSnapshots({lun}, "snap");
    array.model().createMappingView("1_hostVU");
    array.model().addFileSystem("fs1", 0);
    array.model().createNfsShare(1, "/fs1/", "fs1");
    auto c = login();
    c->command("change cli more_enabled=no");

    struct Case {
        std::string command;
        std::vector<std::vector<std::string>> rows;
    } cases[] = {
        {"show lun general",
         {{"1", "lun_a", "0", "10.000GB", "Normal", "Online", "Thin"},
          {"2", "lun_b", "0", "1.000GB", "Normal", "Online", "Thin"}}},
        {"show snapshot general|filterRow column=Name predict=equal_to value=snap",
         {{"3", "snap", "1", "Unactivated", "Normal"}}},
        {"show mapping_view general|filterRow column=Mapping\\sView\\sName predict=equal_to value=1_hostVU",
         {{"1", "1_hostVU"}}},
        {"show share nfs |filterRow column=Local\\sPath predict=equal_to value=/fs1/",
         {{"1", "1", "/fs1/", "--", "0", "fs1"}}},
    };
    for (const auto& k : cases) {
        std::string reply = body(c->command(k.command));
        std::vector<std::vector<std::string>> rows;
        ASSERT_TRUE(HuaeiParser::GetClumns(HuaeiParser::GetResultStart(reply.c_str(), k.command), rows))
            << reply;
        EXPECT_EQ(rows, k.rows) << k.command;
    }

    std::string id;
    std::string reply = c->command("show lun general|filterRow column=Name predict=equal_to value=lun_b");
    ASSERT_TRUE(HuaeiParser::GetValue(reply.c_str(), 1, "lun_b", 0, id));
    EXPECT_EQ(id, "2");

    std::vector<_ObjectProp> props;
    ASSERT_TRUE(HuaeiParser::ParseObjectProps(c->command("show lun general lun_id=1").c_str(), props));
    for (const auto& [name, value] :
         std::vector<std::pair<std::string, std::string>>{{"Name", "lun_a"},
                                                          {"Capacity", "10.000GB"},
                                                          {"Type", "Thin"},
                                                          {"Split Clone ID(s)", "--"},
                                                          {"WWN", array.model().copy().luns.at(1).wwn}}) {
        std::string got;
        EXPECT_TRUE(HuaeiParser::GetObjProp(props, name, got)) << name;
        EXPECT_EQ(got, value) << name;
    }
    props.clear();
    ASSERT_TRUE(HuaeiParser::ParseObjectProps(c->command("show system general").c_str(), props));
    std::string sn;
    EXPECT_TRUE(HuaeiParser::GetObjProp(props, "SN", sn));
    EXPECT_EQ(sn, "2102351234ABCD000001");
}

}  // namespace
}  // namespace simtest
