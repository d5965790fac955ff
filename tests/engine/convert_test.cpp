#include "engine/convert.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engine/table.h"
#include "table_fixture.h"

namespace {

struct RewriteCase {
    const char* name;
    PairList pairs;
    std::string before;
    std::string after;
    std::size_t lastPos;
};

void PrintTo(const RewriteCase& c, std::ostream* os) { *os << c.name; }

class RewriteTest : public ::testing::TestWithParam<RewriteCase> {
protected:
    void TearDown() override { FreeTables(); }
};

TEST_P(RewriteTest, GivesLineAndLastPos)
{
    const RewriteCase& c = GetParam();
    UseTable(c.pairs);
    std::string line = c.before;
    ConvertLine(line);
    EXPECT_EQ(line, c.after);
    EXPECT_EQ(LastPos, c.lastPos);
}

const std::string kLong300(300, 'x');

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, RewriteTest,
    ::testing::Values(
        RewriteCase{"EqualityThenAssignmentSkipsAtLastPos", {{"==", "="}, {"=", ":="}}, "if (a == b)", "if (a = b)", 7},
        RewriteCase{"AssignmentAwayFromLastPosIsReplaced", {{"!=", "<>"}, {"=", ":="}}, "if (a != b) x = 1;", "if (a <> b) x := 1;", 15},
        RewriteCase{"OnlyFirstOccurrence", {{"&&", "and"}}, "a && b && c", "a and b && c", 3},
        RewriteCase{"Braces", {{"{", "begin"}, {"}", "end;"}}, "{ x = 1; }", "begin x = 1; end;", 14},
        RewriteCase{"Comments", {{"/*", "{"}, {"*/", "}"}}, "/* note */", "{ note }", 8},
        RewriteCase{"SimpleAssignment", {{"=", ":="}}, "x = 1", "x := 1", 3},
        RewriteCase{"LaterPairSeesInsertedText", {{"a", "bc"}, {"c", "d"}}, "a", "bd", 2},
        RewriteCase{"OnlyLatestReplacementProtects", {{"==", "="}, {"!", "not "}, {"=", ":="}}, "a == !b", "a := not b", 3},
        RewriteCase{"InsertedTextAtLastPosIsSkipped", {{"->", "^."}, {"^", "pointer"}}, "p->x", "p^.x", 2},
        RewriteCase{"NoWordBoundaries", {{"int", "Integer"}}, "printf(x);", "prIntegerf(x);", 3},
        RewriteCase{"EmptyPatternNeverMatches", {{"", "foo"}}, "abc", "abc", 0},
        RewriteCase{"EmptyLineStaysEmpty", {{"a", "b"}, {"", "x"}}, "", "", 0}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, RewriteTest,
    ::testing::Values(
        RewriteCase{"PatternLongerThanLine", {{"abcdef", "x"}}, "abc", "abc", 0},
        RewriteCase{"CaseSensitive", {{"NULL", "nil"}}, "p = null;", "p = null;", 0},
        RewriteCase{"MatchBeyond255", {{"y", "zz"}}, kLong300 + "y", kLong300 + "zz", 301},
        RewriteCase{"ReplacementHoldingItsPatternAppliesOnce", {{"a", "aa"}}, "a", "aa", 1},
        RewriteCase{"RepeatedPairTakesNextOccurrence", {{"&&", "and"}, {"&&", "and"}}, "a && b && c", "a and b and c", 9},
        RewriteCase{"RepeatedPairSkippedAtLastPos", {{"x", "xy"}, {"x", "z"}}, "x x", "xy x", 1},
        RewriteCase{"ShrunkTextAtLastPosIsSkipped", {{"abc", ""}, {"d", "e"}}, "abcd", "d", 1},
        RewriteCase{"BytesAbove127", {{"\xE4", "ae"}, {"\xFF\x80", "!"}}, "\xE4\xFF\x80", "ae!", 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConvertLine, AppliesEveryPairOfALargeTableInOrder)
{
    // 7005 pairs: pair k turns "<k>" into "#<k+1>", so the line walks the
    // whole chain only if every pair takes part, in table order. Each match
    // starts one place after the latest replacement, so none is at LastPos.
    PairList pairs;
    for (int k = 0; k < 7005; ++k)
        pairs.emplace_back("<" + std::to_string(k) + ">", "#<" + std::to_string(k + 1) + ">");
    UseTable(pairs);
    ASSERT_EQ(PairCount, 7005u);
    std::string line = "x<0>y";
    ConvertLine(line);
    EXPECT_EQ(line, "x" + std::string(7005, '#') + "<7005>y");
    EXPECT_EQ(LastPos, 7006u);
    FreeTables();
}

TEST(ConvertLine, ChainStopsWhereMatchStartsAtLastPos)
{
    UseTable({{"<0>", "<1>"}, {"<1>", "<2>"}});
    std::string line = "x<0>y";
    ConvertLine(line);
    EXPECT_EQ(line, "x<1>y");
    EXPECT_EQ(LastPos, 2u);
    FreeTables();
}

TEST(ConvertLine, LastPosStartsAfreshOnEveryLine)
{
    UseTable({{"==", "="}, {"=", ":="}});
    std::string first = "if (a == b)";
    ConvertLine(first);
    ASSERT_EQ(LastPos, 7u);
    // In a fresh line the '=' at position 7 is not protected.
    std::string second = "abcdef=1";
    ConvertLine(second);
    EXPECT_EQ(second, "abcdef:=1");
    FreeTables();
}

TEST(ConvertSourceText, CutsLinesAt4096AndEndsEachWithCrLf)
{
    UseTable({{"a", "b"}});
    std::string longLine(5000, 'a');
    std::string result = ConvertSourceText("a1\r\n" + longLine + "\r\n\r\nend");
    std::string expected = "b1\r\nb" + std::string(4095, 'a') + "\r\n\r\nend\r\n";
    EXPECT_EQ(result, expected);
    EXPECT_EQ(ConvertSourceText(""), "");
    FreeTables();
}

}  // namespace

namespace {

// Random tables over a small alphabet, so that patterns match often, overlap,
// and replacements create and destroy matches of later pairs.
TEST(ConvertLine, AgreesWithPlainLoopOnRandomTables)
{
    std::mt19937 random(20261211);
    const std::string alphabet = "ab=!<>\xE4 ";
    auto word = [&](std::size_t maxLen) {
        std::string s(std::uniform_int_distribution<std::size_t>(0, maxLen)(random), ' ');
        for (char& c : s) c = alphabet[random() % alphabet.size()];
        return s;
    };
    for (int round = 0; round < 300; ++round) {
        PairList pairs;
        int n = std::uniform_int_distribution<int>(1, 40)(random);
        for (int k = 0; k < n; ++k) pairs.emplace_back(word(4), word(5));
        UseTable(pairs);
        for (int i = 0; i < 20; ++i) {
            std::string fast = word(30);
            std::string plain = fast;
            ConvertLine(fast);
            std::size_t fastPos = LastPos;
            ConvertLinePlain(plain);
            ASSERT_EQ(fast, plain) << "round " << round;
            ASSERT_EQ(fastPos, LastPos) << "round " << round;
        }
    }
    FreeTables();
}

}  // namespace
