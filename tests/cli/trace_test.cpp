// The trace of a line: which pairs fired or were skipped, and that it ends
// exactly where ConvertLine ends.
#include "cli/trace.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "cli/printable.h"
#include "engine/convert.h"
#include "engine/table.h"
#include "platform/rtl/textfile.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

void UsePairs(const Pairs& pairs)
{
    std::string cpp, pascal;
    for (const auto& [p, r] : pairs) {
        cpp += p + "\r\n";
        pascal += r + "\r\n";
    }
    TTextFile cppFile, pascalFile;
    cppFile.ResetFromBytes(cpp);
    pascalFile.ResetFromBytes(pascal);
    LoadTablesFrom(cppFile, pascalFile);
}

// Each step as "PAIR fired POS 'LINE' LASTPOS" or "PAIR skipped POS".
std::vector<std::string> Steps(std::string& line)
{
    std::vector<std::string> steps;
    TraceLine(line, [&](const TTraceStep& s, const std::string& now) {
        std::string text = std::to_string(s.pair) + (s.fired ? " fired " : " skipped ") +
                           std::to_string(s.position);
        if (s.fired)
            text += " " + Quoted(now) + " " + std::to_string(s.lastPos);
        steps.push_back(text);
    });
    return steps;
}

struct TraceCase {
    const char* name;
    Pairs pairs;
    std::string line;
    std::vector<std::string> steps;
    std::string result;
    std::size_t lastPos;
};

void PrintTo(const TraceCase& c, std::ostream* os)
{
    *os << c.name;
}

class TraceRows : public ::testing::TestWithParam<TraceCase> {
protected:
    void TearDown() override { FreeTables(); }
};

TEST_P(TraceRows, StepsAndResult)
{
    const TraceCase& c = GetParam();
    UsePairs(c.pairs);
    std::string traced = c.line;
    EXPECT_EQ(Steps(traced), c.steps);
    EXPECT_EQ(traced, c.result);
    EXPECT_EQ(LastPos, c.lastPos);

    std::string converted = c.line;
    ConvertLine(converted);
    EXPECT_EQ(traced, converted);
    EXPECT_EQ(c.lastPos, LastPos);
}

// The rows of the rewriting rules' worked examples, with the steps that the
// rules give.
INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, TraceRows,
    ::testing::Values(
        TraceCase{"SecondPairSkippedAtLastPos",
                  {{"==", "="}, {"=", ":="}},
                  "if (a == b)",
                  {"1 fired 7 'if (a = b)' 7", "2 skipped 7"},
                  "if (a = b)",
                  7},
        TraceCase{"LaterOccurrenceIsNotProtected",
                  {{"!=", "<>"}, {"=", ":="}},
                  "if (a != b) x = 1;",
                  {"1 fired 7 'if (a <> b) x = 1;' 7", "2 fired 15 'if (a <> b) x := 1;' 15"},
                  "if (a <> b) x := 1;",
                  15},
        TraceCase{"OnlyFirstOccurrence",
                  {{"&&", "and"}},
                  "a && b && c",
                  {"1 fired 3 'a and b && c' 3"},
                  "a and b && c",
                  3},
        TraceCase{"Braces",
                  {{"{", "begin"}, {"}", "end;"}},
                  "{ x = 1; }",
                  {"1 fired 1 'begin x = 1; }' 1", "2 fired 14 'begin x = 1; end;' 14"},
                  "begin x = 1; end;",
                  14},
        TraceCase{"InsertedTextMatches",
                  {{"a", "bc"}, {"c", "d"}},
                  "a",
                  {"1 fired 1 'bc' 1", "2 fired 2 'bd' 2"},
                  "bd",
                  2},
        TraceCase{"OnlyLatestReplacementProtects",
                  {{"==", "="}, {"!", "not "}, {"=", ":="}},
                  "a == !b",
                  {"1 fired 3 'a = !b' 3", "2 fired 5 'a = not b' 5", "3 fired 3 'a := not b' 3"},
                  "a := not b",
                  3},
        TraceCase{"InsertedTextAtLastPosIsSkipped",
                  {{"->", "^."}, {"^", "pointer"}},
                  "p->x",
                  {"1 fired 2 'p^.x' 2", "2 skipped 2"},
                  "p^.x",
                  2},
        TraceCase{"NoWordBoundaries",
                  {{"int", "Integer"}},
                  "printf(x);",
                  {"1 fired 3 'prIntegerf(x);' 3"},
                  "prIntegerf(x);",
                  3},
        TraceCase{"EmptyPatternNeverFires", {{"", "foo"}}, "abc", {}, "abc", 0},
        TraceCase{"EmptyLineIsLeftAlone", {{"a", "b"}}, "", {}, "", 0},
        // A skip does not end the table: later pairs still run.
        TraceCase{"SkipThenFire",
                  {{"a", "ab"}, {"a", "x"}, {"b", "y"}},
                  "a",
                  {"1 fired 1 'ab' 1", "2 skipped 1", "3 fired 2 'ay' 2"},
                  "ay",
                  2}),
    [](const auto& info) { return std::string(info.param.name); });

// Whatever the table and the line, the trace ends where ConvertLine ends.
TEST(TraceLine, EndsLikeConvertLine)
{
    std::mt19937 rng(11);
    const std::string alphabet = "ab=!";
    auto pick = [&](std::size_t maxLen) {
        std::string s;
        std::size_t n = rng() % (maxLen + 1);
        for (std::size_t i = 0; i < n; ++i) s += alphabet[rng() % alphabet.size()];
        return s;
    };
    for (int round = 0; round < 200; ++round) {
        Pairs pairs;
        std::size_t n = 1 + rng() % 12;
        for (std::size_t k = 0; k < n; ++k) pairs.emplace_back(pick(3), pick(4));
        UsePairs(pairs);
        for (int trial = 0; trial < 20; ++trial) {
            std::string line = pick(12);
            std::string traced = line, converted = line;
            TraceLine(traced, [](const TTraceStep&, const std::string&) {});
            std::size_t tracedLastPos = LastPos;
            ConvertLine(converted);
            ASSERT_EQ(traced, converted) << "line " << Quoted(line);
            ASSERT_EQ(tracedLastPos, LastPos) << "line " << Quoted(line);
        }
        FreeTables();
    }
}

struct QuoteCase {
    std::string bytes;
    std::string shown;
};

class QuotedBytes : public ::testing::TestWithParam<QuoteCase> {};

TEST_P(QuotedBytes, Shows)
{
    EXPECT_EQ(Quoted(GetParam().bytes), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, QuotedBytes,
    ::testing::Values(QuoteCase{"", "''"}, QuoteCase{"x := 1;", "'x := 1;'"},
                      QuoteCase{"a\tb", "'a\\tb'"}, QuoteCase{"\r\n", "'\\r\\n'"},
                      QuoteCase{"\x1a", "'\\x1a'"}, QuoteCase{std::string(1, '\0'), "'\\x00'"},
                      QuoteCase{"\x7f\x80\xff", "'\\x7f\\x80\\xff'"}, QuoteCase{"it's", "'it\\'s'"},
                      QuoteCase{"a\\b", "'a\\\\b'"}, QuoteCase{" ~", "' ~'"}));

}  // namespace
