#include "engine/table.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/rtl/errors.h"
#include "table_fixture.h"

namespace {

namespace fs = std::filesystem;

struct FormatCase {
    const char* name;
    std::string cpp;
    std::string pascal;
    PairList expected;
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class TableFormatTest : public ::testing::TestWithParam<FormatCase> {
protected:
    void TearDown() override { FreeTables(); }
};

TEST_P(TableFormatTest, LoadsPairs)
{
    const FormatCase& c = GetParam();
    UseTableBytes(c.cpp, c.pascal);
    EXPECT_EQ(LoadedPairs(), c.expected);
    EXPECT_EQ(PairCount, c.expected.size());
}

const std::string k40 = "0123456789012345678901234567890123456789";
const std::string k30 = k40.substr(0, 30);

INSTANTIATE_TEST_SUITE_P(
    Files, TableFormatTest,
    ::testing::Values(
        FormatCase{"MissingReplacementsAreEmpty", "a\r\nb\r\n", "x\r\n", {{"a", "x"}, {"b", ""}}},
        FormatCase{"ExtraReplacementsAreIgnored", "a\r\n", "x\r\ny\r\nz\r\n", {{"a", "x"}}},
        FormatCase{"LongLinesKeepFirst30", k40 + "\r\nb\r\n", "c\r\n" + k40, {{k30, "c"}, {"b", k30}}},
        FormatCase{"LfOnlyFileIsOneLine", "a\nb\n" + k40 + "\n", "x\ny\n", {{("a\nb\n" + k40).substr(0, 30), "x\ny\n"}}},
        FormatCase{"CtrlZAtLineStartEndsTable", "a\r\n\x1a" "b\r\n", "x\r\ny\r\n", {{"a", "x"}}},
        FormatCase{"CtrlZInsideLineEndsLineAndTable", "a\r\nb\x1a" "c\r\n", "x\r\ny\r\n", {{"a", "x"}, {"b", "y"}}},
        FormatCase{"CtrlZInReplacementsEndsThem", "a\r\nb\r\nc\r\n", "x\x1ay\r\nz\r\n", {{"a", "x"}, {"b", ""}, {"c", ""}}},
        FormatCase{"EmptyPatternFileGivesOneEmptyPair", "", "x\r\n", {{"", "x"}}},
        FormatCase{"CtrlZOnlyGivesOneEmptyPair", "\x1a" "abc", "", {{"", ""}}},
        FormatCase{"BlankLineAtEndGivesEmptyPattern", "a\r\n\r\n", "x\r\ny\r\n", {{"a", "x"}, {"", "y"}}},
        FormatCase{"LastLineNeedsNoLineEnd", "a\r\nb", "x\r\ny", {{"a", "x"}, {"b", "y"}}},
        FormatCase{"LoneCrEndsLine", "a\rb\r", "x\ry", {{"a", "x"}, {"b", "y"}}},
        FormatCase{"LfCrIsCharacterThenLineEnd", "a\n\rb", "", {{"a\n", ""}, {"b", ""}}},
        FormatCase{"CrCrLfGivesEmptyLine", "a\r\r\nb\r\n", "", {{"a", ""}, {"", ""}, {"b", ""}}},
        FormatCase{"SpacesAndTabsKept", " a\t\r\n", "\tb \r\n", {{" a\t", "\tb "}}},
        FormatCase{"HighBytesKept", "\x80\xFF\xA0\r\n", "\xE4\r\n", {{"\x80\xFF\xA0", "\xE4"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TableFormat, EveryNonBreakingByteValueSurvives)
{
    // Bytes 1..255 except CR and Ctrl-Z, cut into 30-byte entries.
    std::string all;
    for (int b = 1; b < 256; ++b)
        if (b != 13 && b != 26) all += static_cast<char>(b);
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < all.size(); i += 30) lines.push_back(all.substr(i, 30));
    UseTableBytes(TableFileBytes(lines), TableFileBytes(lines));
    std::string back;
    for (std::size_t k = 1; k <= PairCount; ++k) {
        EXPECT_EQ(PatternTable[k], ReplacementTable[k]);
        back += PatternTable[k];
    }
    EXPECT_EQ(back, all);
    FreeTables();
}

// A temporary folder that the test works in, as the program works in its
// current folder.
class TableFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/velmora-table-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        dir_ = name;
        old_ = fs::current_path();
        fs::current_path(dir_);
    }
    void TearDown() override
    {
        FreeTables();
        fs::current_path(old_);
        fs::remove_all(dir_);
    }
    static void Write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(name, std::ios::binary) << bytes;
    }
    fs::path dir_, old_;
};

TEST_F(TableFilesTest, LoadsFromCurrentFolder)
{
    Write("cpp.tap", "==\r\n=\r\n");
    Write("pascal.tap", "=\r\n:=\r\n");
    LoadTables();
    EXPECT_EQ(LoadedPairs(), (PairList{{"==", "="}, {"=", ":="}}));
}

TEST_F(TableFilesTest, LongLinesAcrossReadBuffersKeepTheirLineEnds)
{
    // Lines far longer than any read buffer, with the CR LF split at odd places.
    std::string cpp, pascal;
    for (std::size_t len : {65535u, 65536u, 65537u, 200000u}) {
        cpp += std::string(len, 'p') + "\r\n";
        pascal += std::string(len, 'r') + "\r\n";
    }
    cpp += "end";
    Write("cpp.tap", cpp);
    Write("pascal.tap", pascal);
    LoadTables();
    ASSERT_EQ(PairCount, 5u);
    EXPECT_EQ(PatternTable[1], std::string(30, 'p'));
    EXPECT_EQ(ReplacementTable[4], std::string(30, 'r'));
    EXPECT_EQ(PatternTable[5], "end");
    EXPECT_EQ(ReplacementTable[5], "");
}

TEST_F(TableFilesTest, MoreThanRoomForPairsAllLoad)
{
    std::string cpp;
    for (int k = 1; k <= 70000; ++k) cpp += std::to_string(k) + "\r\n";
    Write("cpp.tap", cpp);
    Write("pascal.tap", "");
    LoadTables();
    ASSERT_EQ(PairCount, 70000u);
    EXPECT_EQ(PatternTable[70000], "70000");
    EXPECT_EQ(ReplacementTable[70000], "");
}

struct MissingCase {
    const char* name;
    bool cppPresent;
    bool pascalPresent;
    const char* failingFile;
};

class MissingTableTest : public TableFilesTest, public ::testing::WithParamInterface<MissingCase> {};

TEST_P(MissingTableTest, RaisesFileNotFoundNamingTheFile)
{
    const MissingCase& c = GetParam();
    if (c.cppPresent) Write("cpp.tap", "a\r\n");
    if (c.pascalPresent) Write("pascal.tap", "b\r\n");
    try {
        LoadTables();
        FAIL() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode(), 2);
        EXPECT_EQ(e.Message(), "Datei nicht gefunden");
        EXPECT_EQ(e.FileName(), c.failingFile);
        EXPECT_NE(e.RaiseAddress(), 0u);
    }
    FreeTables();
    EXPECT_EQ(PairCount, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Files, MissingTableTest,
    ::testing::Values(MissingCase{"Both", false, false, "cpp.tap"},
                      MissingCase{"Patterns", false, true, "cpp.tap"},
                      MissingCase{"Replacements", true, false, "pascal.tap"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TableFilesTest, FolderOrPipeInPlaceOfTableFails)
{
    fs::create_directory("cpp.tap");
    Write("pascal.tap", "");
    EXPECT_THROW(LoadTables(), EInOutError);
    fs::remove("cpp.tap");
    Write("cpp.tap", "a\r\n");
    fs::remove("pascal.tap");
    ASSERT_EQ(::mkfifo("pascal.tap", 0600), 0);
    // Must fail at once rather than wait for a writer.
    EXPECT_THROW(LoadTables(), EInOutError);
}

TEST_F(TableFilesTest, ReloadReplacesTheWholeTable)
{
    UseTable({{"a", "1"}, {"b", "2"}, {"c", "3"}});
    UseTable({{"x", "9"}});
    EXPECT_EQ(LoadedPairs(), (PairList{{"x", "9"}}));
}

}  // namespace
