#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/HuaeiParser.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

// The LUN table as the array prints it: CR LF line ends, a blank line, two leading spaces.
const char* const kLunTable =
    "\r\n"
    "  ID  Name    Pool ID  Capacity\r\n"
    "  --  ------  -------  --------\r\n"
    "  10  lun_a   0        10.000GB\r\n"
    "  1   lun_b1  0        1.000TB \r\n";

std::vector<std::pair<int, int>> Columns(const char* line) {
    std::vector<ColumnInfo> cols;
    std::vector<std::pair<int, int>> out;
    if (HuaeiParser::CheckandGetColumnInfo(line, cols)) {
        for (const auto& c : cols) {
            out.emplace_back(c.start, c.width);
        }
    }
    return out;
}

}  // namespace

TEST(ParserColumns, BoundariesComeFromTheDashLine) {
    using Cols = std::vector<std::pair<int, int>>;
    EXPECT_EQ((Cols{{2, 2}, {6, 6}}), Columns("  --  ------"));
    EXPECT_EQ((Cols{{2, 2}, {6, 6}}), Columns("  --  ------\r"));
    // A leading dash run without a double space in front is not a column.
    EXPECT_EQ((Cols{{6, 3}}), Columns("----  ---"));
    // Four spaces give an empty entry, which is dropped.
    EXPECT_EQ((Cols{{2, 2}, {8, 3}}), Columns("  --    ---"));

    std::vector<ColumnInfo> cols{{1, 1}};
    EXPECT_FALSE(HuaeiParser::CheckandGetColumnInfo("  ID  Name -x", cols));
    EXPECT_TRUE(cols.empty());
    EXPECT_FALSE(HuaeiParser::CheckandGetColumnInfo("------", cols));  // no " -"
    EXPECT_FALSE(HuaeiParser::CheckandGetColumnInfo(nullptr, cols));
    EXPECT_TRUE(HuaeiParser::CheckandGetColumnInfo(" ---", cols));  // dash line, but no column
    EXPECT_TRUE(cols.empty());
}

TEST(ParserTable, GetValueMatchesTheWholeKeyCell) {
    struct Case {
        int keyColumn;
        const char* key;
        int wanted;
        bool found;
        const char* value;
    } const cases[] = {
        {0, "1", 1, true, "lun_b1"},  // the row 10 comes first but does not hold exactly 1
        {0, "10", 1, true, "lun_a"},   {0, "10", 3, true, "10.000GB"},
        {0, "1", 3, true, "1.000TB "},  // the last column keeps its padding
        {1, "lun_a", 0, true, "10"},   {0, "2", 1, false, ""},
        {0, "1", 9, false, ""},        {-1, "1", 1, false, ""},
        {0, "1", -5, false, ""},
    };
    for (const auto& c : cases) {
        std::string value = "junk";
        EXPECT_EQ(c.found, HuaeiParser::GetValue(kLunTable, c.keyColumn, c.key, c.wanted, value)) << c.key;
        EXPECT_EQ(c.value, value) << c.key << " col " << c.wanted;
    }
}

TEST(ParserTable, HeaderWithSpaceDashIsNotTheDashLine) {
    const char* text =
        "  ID  Health -Status\r\n"
        "  --  --------------\r\n"
        "  3   Normal\r\n";
    std::string value;
    ASSERT_TRUE(HuaeiParser::GetValue(text, 0, "3", 1, value));
    EXPECT_EQ("Normal", value);
}

TEST(ParserTable, CutRuleOnOverflowingAndShortRows) {
    const char* text =
        "  ID  Name  Pool\r\n"
        "  --  ----  ----\r\n"
        "  1   abcdefgh  7\r\n"  // overflows by 4: runs to the end of the row, and shifts the next
        "  2   abcde 7\r\n"      // overflows by 1: the space after it still cuts
        "  3\r\n"                // shorter than the columns
        "  4   x\r\n";
    Rows rows;
    ASSERT_TRUE(HuaeiParser::GetClumns(text, rows));
    EXPECT_EQ((Rows{{"1", "abcdefgh  7", "gh  7"}, {"2", "abcde", "7"}, {"3", "", ""}, {"4", "x", ""}}),
              rows);
}

TEST(ParserTable, ListsAndRowsOfTablesAndNonTables) {
    std::vector<std::string> list{"stale"};
    ASSERT_TRUE(HuaeiParser::GetValueList(kLunTable, 1, list));
    EXPECT_EQ((std::vector<std::string>{"lun_a", "lun_b1"}), list);
    ASSERT_TRUE(HuaeiParser::GetValueList(kLunTable, 4, list));
    EXPECT_TRUE(list.empty());

    const char* noTable = "Command executed successfully.\r\nNo matching records.\r\n";
    Rows rows{{"stale"}};
    EXPECT_TRUE(HuaeiParser::GetValueList(noTable, 0, list));
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(HuaeiParser::GetClumns(noTable, rows));
    EXPECT_TRUE(rows.empty());
    std::string value = "junk";
    EXPECT_FALSE(HuaeiParser::GetValue(noTable, 0, "1", 0, value));
    EXPECT_EQ("", value);

    EXPECT_FALSE(HuaeiParser::GetValueList(nullptr, 0, list));
    EXPECT_FALSE(HuaeiParser::GetClumns(nullptr, rows));
    EXPECT_FALSE(HuaeiParser::GetValue(nullptr, 0, "1", 0, value));
}

TEST(ParserProps, NameValueLines) {
    const char* text =
        "  ID              : 17\r\n"
        "  Name            : lun_a\r\n"
        "Command executed successfully.\r\n"
        "  Time : 09:00 : UTC\r\n"
        "  Name            : second\r\n";
    std::vector<_ObjectProp> props{{"stale", "x"}};
    ASSERT_TRUE(HuaeiParser::ParseObjectProps(text, props));
    ASSERT_EQ(4u, props.size());
    EXPECT_EQ("ID", props[0].name);
    EXPECT_EQ("17", props[0].value);
    EXPECT_EQ("Time", props[2].name);
    EXPECT_EQ("09:00 : UTC", props[2].value);

    std::string value = "untouched";
    EXPECT_TRUE(HuaeiParser::GetObjProp(props, "Name", value));
    EXPECT_EQ("lun_a", value);
    value = "untouched";
    EXPECT_FALSE(HuaeiParser::GetObjProp(props, "name", value));
    EXPECT_EQ("untouched", value);
    unsigned index = 99;
    EXPECT_TRUE(HuaeiParser::GetIndexByPropName(props, "Time", index));
    EXPECT_EQ(2u, index);

    EXPECT_FALSE(HuaeiParser::ParseObjectProps("Command executed successfully.\r\n", props));
    EXPECT_TRUE(props.empty());
    EXPECT_FALSE(HuaeiParser::ParseObjectProps(nullptr, props));

    std::string longName(3000, 'n');
    ASSERT_TRUE(HuaeiParser::ParseObjectProps((longName + " : v\r\n").c_str(), props));
    EXPECT_EQ(longName, props.at(0).name);
}

TEST(ParserText, TrimAndResultStart) {
    const std::pair<const char*, const char*> trims[] = {
        {"  a b  ", "a b"}, {"    ", ""}, {"\ta\t", "\ta\t"}};
    for (const auto& t : trims) {
        std::string s = t.first;
        HuaeiParser::trimstring(s);
        EXPECT_EQ(t.second, s);
    }
    const char* echoed = "admin:/>#show lun general\r\n  ID\r\n";
    EXPECT_STREQ("  ID\r\n", HuaeiParser::GetResultStart(echoed, "show lun general"));
    const char* plain = "  ID\r\n";
    EXPECT_EQ(plain, HuaeiParser::GetResultStart(plain, "show lun general"));
    EXPECT_EQ(nullptr, HuaeiParser::GetResultStart("x#show lun general", "show lun general"));
    EXPECT_EQ(nullptr, HuaeiParser::GetResultStart(nullptr, "x"));
}

TEST(ParserSnapResults, MarksEachSourceFromItsSentence) {
    std::vector<_HM_SnapParams> snaps(3);
    snaps[0].sourceId = 17;
    snaps[1].sourceId = 18;
    snaps[2].sourceId = 1;
    const char* text =
        "Create snapshot of LUN 17 failed. Reason: busy\r\n"
        "Create snapshot of LUN 18 successfully.\r\n"
        "Create snapshot of LUN 11 successfully.\r\n";
    int count = 2;  // not reset: callers start at 0
    std::string error = "stale";
    ASSERT_TRUE(
        HuaeiParser::CheckSnapResults(HUAWEI_SNAP_KIND_LUN, "create snapshot", text, snaps, count, error));
    EXPECT_EQ("Snapshot creation failure", snaps[0].status);
    EXPECT_EQ("Snap Success", snaps[1].status);
    EXPECT_EQ("Snapshot creation failure", snaps[2].status);  // "LUN 11" is not "LUN 1"
    EXPECT_EQ(3, count);
    EXPECT_EQ("", error);

    std::vector<_HM_SnapParams> fs(1);
    fs[0].sourceId = 7;
    count = 0;
    ASSERT_TRUE(HuaeiParser::CheckSnapResults(
        HUAWEI_SNAP_KIND_FS, "x", "Create snapshot of file system 7 successfully.\r\n", fs, count, error));
    EXPECT_EQ("Snap Success", fs[0].status);
    EXPECT_EQ(1, count);
}

TEST(ParserSnapResults, Failures) {
    std::vector<_HM_SnapParams> snaps(1);
    snaps[0].sourceId = 5;
    int count = 0;
    std::string error;
    EXPECT_FALSE(
        HuaeiParser::CheckSnapResults(2, "c", "Create snapshot of LUN 5 successfully.", snaps, count, error));
    EXPECT_EQ("[CheckSnapResults ERROR - Unexpected Snap type]", error);
    EXPECT_EQ("", snaps[0].status);

    EXPECT_FALSE(
        HuaeiParser::CheckSnapResults(0, "create snapshot", "admin:/>#create snapshot", snaps, count, error));
    EXPECT_EQ("CheckSnapResults[ERROR - Unexpected cli result]admin:/>#create snapshot", error);
    EXPECT_FALSE(HuaeiParser::CheckSnapResults(0, "c", nullptr, snaps, count, error));
    EXPECT_EQ(0, count);
}

TEST(ParserDeletedLun, PicksTheSmallestDeletedName) {
    const char* text =
        "  ID   Name                        Pool ID\r\n"
        "  ---  --------------------------  -------\r\n"
        "  40   TAV_DEL_TAVCL_20261211_02   0\r\n"
        "  41   lun_a                       0\r\n"
        "  39   TAV_DEL_TAVCL_20261210_01   0\r\n"
        "  42   TAV_DEL_TAVCL_20261210_01   0\r\n"
        "  7\r\n";
    std::string id = "junk";
    unsigned count = 99;
    ASSERT_TRUE(HuaeiParser::GetOlderDeletedLUN(text, id, count));
    EXPECT_EQ("39", id);
    EXPECT_EQ(3u, count);

    // Name and ID that run to the end of the row.
    ASSERT_TRUE(HuaeiParser::GetOlderDeletedLUN("  --  ----\r\n  5   TAV_DEL_x\r\n", id, count));
    EXPECT_EQ("5", id);
    EXPECT_EQ(1u, count);

    ASSERT_TRUE(HuaeiParser::GetOlderDeletedLUN(kLunTable, id, count));
    EXPECT_EQ("", id);
    EXPECT_EQ(0u, count);
    EXPECT_FALSE(HuaeiParser::GetOlderDeletedLUN(nullptr, id, count));
}
