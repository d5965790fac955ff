// The facts that --check reports about a pair of table files.
#include "cli/check.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "cli/trace.h"
#include "engine/table.h"
#include "platform/rtl/textfile.h"

namespace {

std::vector<std::string> Check(const std::string& cppBytes, const std::string& pascalBytes)
{
    TTextFile cpp, pascal;
    cpp.ResetFromBytes(cppBytes);
    pascal.ResetFromBytes(pascalBytes);
    LoadTablesFrom(cpp, pascal);
    std::vector<std::string> lines;
    for (const TTableFinding& f : FindTableFacts("cpp.tap", ScanTableBytes(cppBytes), "pascal.tap",
                                                 ScanTableBytes(pascalBytes)))
        lines.push_back(FormatFinding(f));
    FreeTables();
    return lines;
}

struct CheckCase {
    const char* name;
    std::string cpp;
    std::string pascal;
    std::vector<std::string> expected;
};

void PrintTo(const CheckCase& c, std::ostream* os)
{
    *os << c.name;
}

class CheckFacts : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckFacts, ReportsExactly)
{
    const CheckCase& c = GetParam();
    EXPECT_EQ(Check(c.cpp, c.pascal), c.expected);
}

const std::string k41 = std::string(30, 'A') + "0123456789x";
const std::string kNeverLF =
    "pattern holds an LF, which no source line holds (an LF ends a source line) and no earlier "
    "replacement puts in, so it never matches\n";
const std::string kMay =
    ", which is applied first and may rewrite it, so this pattern may never "
    "match as written\n";

INSTANTIATE_TEST_SUITE_P(
    Tables, CheckFacts,
    ::testing::Values(
        CheckCase{"CleanTableReportsNothing", "{\r\n}\r\n!=\r\n", "begin\r\nend;\r\n<>\r\n", {}},
        // A Ctrl-Z as the last byte hides nothing.
        CheckCase{"FinalCtrlZReportsNothing", "a\r\n\x1a", "x\r\n\x1a", {}},
        CheckCase{"LfOnlyFiles",
                  "a\nb\n",
                  "x\ny\n" + k41 + "\n",
                  {"cpp.tap:1: its lines end in LF alone, but only a CR ends a line: the whole "
                   "file is one line of 4 bytes, so the table has a single pair\n",
                   "cpp.tap:1: " + kNeverLF,
                   "pascal.tap:1: its lines end in LF alone, but only a CR ends a line: the "
                   "whole file is one line of 46 bytes, of which only the first 30 are used, so "
                   "it gives a single replacement\n"}},
        CheckCase{"LoneLfInsideFile",
                  "a\r\nb\nc\n\nd\r\ne\r\n",
                  "v\r\nw\r\nx\r\n",
                  {"cpp.tap:2: holds 3 LFs without a CR before them; only a CR ends a line, so "
                   "the text after them still belongs to this line\n",
                   "cpp.tap:2: " + kNeverLF}},
        // Once a replacement has put an LF into the line, a later pattern may match it.
        CheckCase{"LfPatternAfterLfReplacement",
                  "a\r\nb\nc\r\n",
                  "x\ny\r\nz\r\n",
                  {"cpp.tap:2: holds an LF without a CR before it; only a CR ends a line, so "
                   "the text after that LF still belongs to this line\n",
                   "pascal.tap:1: holds an LF without a CR before it; only a CR ends a line, so "
                   "the text after that LF still belongs to this line\n"}},
        CheckCase{"NulInPattern",
                  std::string("a\0b\r\n", 5),
                  "x\r\n",
                  {"cpp.tap:1: pattern holds a NUL byte, which no source line holds (a NUL ends "
                   "the source text) and no earlier replacement puts in, so it never matches\n"}},
        CheckCase{"LongEntries",
                  "a\r\n" + k41 + "\r\n",
                  "x\r\n" + k41,
                  {"cpp.tap:2: entry is 41 bytes long; only its first 30 are used\n",
                   "pascal.tap:2: entry is 41 bytes long; only its first 30 are used\n"}},
        // Cut to 30 bytes, two different lines give the same pattern.
        CheckCase{"CutEntriesBecomeEqual",
                  k41 + "\r\n" + std::string(30, 'A') + "zz\r\n",
                  "x\r\ny\r\n",
                  {"cpp.tap:1: entry is 41 bytes long; only its first 30 are used\n",
                   "cpp.tap:2: entry is 32 bytes long; only its first 30 are used\n",
                   "cpp.tap:2: pattern '" + std::string(30, 'A') +
                       "' is the same as the pattern of line 1" + kMay}},
        CheckCase{"MoreReplacementLines",
                  "a\r\nb\r\n",
                  "x\r\ny\r\nz\r\nu\r\nv\r\nw\r\n",
                  {"pascal.tap:3: this line and the 3 after it are never read: the table has "
                   "only 2 pairs, one for each line of cpp.tap\n"}},
        CheckCase{"OneReplacementLineTooMany",
                  "a\r\n",
                  "x\r\n\r\n",
                  {"pascal.tap:2: this line is never read: the table has only 1 pair, one for "
                   "each line of cpp.tap\n"}},
        CheckCase{"FewerReplacementLines",
                  "a\r\nb\r\nc\r\n",
                  "x\r\n",
                  {"cpp.tap:2: pascal.tap has only 1 line, so this pair and the one after it get "
                   "empty replacements: their patterns are deleted where they match\n"}},
        CheckCase{"NoReplacementLines",
                  "a\r\n",
                  "",
                  {"cpp.tap:1: pascal.tap holds no line, so this pair gets an empty replacement: "
                   "its pattern is deleted where it matches\n"}},
        CheckCase{"BlankLinesAtEnd",
                  "a\r\n\r\n\r\n",
                  "x\r\n\r\n\r\n",
                  {"cpp.tap:2: empty pattern: it never matches, so this pair does nothing\n",
                   "cpp.tap:3: empty pattern (the file ends with an empty line): it never "
                   "matches, so this pair does nothing\n"}},
        CheckCase{"EmptyPatternFile",
                  "",
                  "",
                  {"cpp.tap:1: the file holds no line, which still gives one pair, with an empty "
                   "pattern: it never matches\n"}},
        CheckCase{"PatternFileStartsWithCtrlZ",
                  "\x1a"
                  "a\r\n",
                  "x\r\n",
                  {"cpp.tap:1: Ctrl-Z at the start of this line ends the file; the 3 bytes after "
                   "it are never read\n",
                   "cpp.tap:1: the file holds no line before its Ctrl-Z, which still gives one "
                   "pair, with an empty pattern: it never matches\n"}},
        CheckCase{"CtrlZInsideLine",
                  "a\r\nb\x1a"
                  "c\r\n",
                  "x\r\ny\r\n",
                  {"cpp.tap:2: Ctrl-Z at byte 2 of this line ends the line and the file; the 3 "
                   "bytes after it are never read\n"}},
        CheckCase{"CtrlZCutsReplacements",
                  "a\r\nb\r\n",
                  "x\r\n\x1ay\r\n",
                  {"cpp.tap:2: pascal.tap has only 1 line, so this pair gets an empty "
                   "replacement: its pattern is deleted where it matches\n",
                   "pascal.tap:2: Ctrl-Z at the start of this line ends the file; the 3 bytes "
                   "after it are never read\n"}},
        CheckCase{"EarlierPatternInside",
                  "=\r\n==\r\n",
                  ":=\r\n=\r\n",
                  {"cpp.tap:2: pattern '==' contains the pattern '=' of line 1" + kMay}},
        // The other way round is the right order: '==' goes first.
        CheckCase{"LongerPatternFirstIsFine", "==\r\n=\r\n", "=\r\n:=\r\n", {}},
        CheckCase{"SamePatternTwice",
                  "x\r\ny\r\nx\r\n",
                  "1\r\n2\r\n3\r\n",
                  {"cpp.tap:3: pattern 'x' is the same as the pattern of line 1" + kMay}},
        // A pair that puts back its own pattern changes no text.
        CheckCase{"EarlierPairKeepsItsPattern",
                  "if (\r\nif (\r\nif (x\r\n",
                  "if (\r\nIF (\r\nIF x\r\n",
                  {"cpp.tap:3: pattern 'if (x' contains the pattern 'if (' of line 2" + kMay}},
        // Only the first line of a repeated part is named.
        CheckCase{"SeveralEarlierPatternsInside",
                  "b\r\n=\r\nb\r\nab==\r\n",
                  "1\r\n2\r\n3\r\n4\r\n",
                  {"cpp.tap:3: pattern 'b' is the same as the pattern of line 1" + kMay,
                   "cpp.tap:4: pattern 'ab==' contains the patterns of lines 1 ('b') and 2 ('='), "
                   "which are applied first and may rewrite them, so this pattern may never "
                   "match as written\n"}},
        CheckCase{
            "EscapesInPatterns",
            "\t\r\n\t'\xe4\r\n",
            "1\r\n2\r\n",
            {"cpp.tap:2: pattern '\\t\\'\\xe4' contains the pattern '\\t' of line 1" + kMay}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CheckFacts, FileNamesAreThoseGiven)
{
    TTextFile cpp, pascal;
    cpp.ResetFromBytes("a\r\n\r\n");
    pascal.ResetFromBytes("x\r\n");
    LoadTablesFrom(cpp, pascal);
    auto findings = FindTableFacts("t/cpp.tap", ScanTableBytes("a\r\n\r\n"), "t/pascal.tap",
                                   ScanTableBytes("x\r\n"));
    FreeTables();
    ASSERT_EQ(findings.size(), 2u);
    EXPECT_EQ(findings[0].file, "t/cpp.tap");
    EXPECT_EQ(findings[0].line, 2u);
}

// "Never matches" is a claim about every line: no pair that --check says can
// never match may fire on any source line (which never holds CR, LF or NUL).
TEST(CheckFacts, NeverMatchingPairsNeverFire)
{
    std::mt19937 rng(7);
    const std::string tableBytes = std::string("ab=\n", 4) + std::string(1, '\0');
    const std::string lineBytes = "ab=";
    auto pick = [&](const std::string& from, std::size_t maxLen) {
        std::string s;
        std::size_t n = rng() % (maxLen + 1);
        for (std::size_t i = 0; i < n; ++i) s += from[rng() % from.size()];
        return s;
    };
    for (int round = 0; round < 300; ++round) {
        std::string cppBytes, pascalBytes;
        std::size_t pairs = 1 + rng() % 6;
        for (std::size_t k = 0; k < pairs; ++k) {
            cppBytes += pick(tableBytes, 3) + "\r";
            pascalBytes += pick(tableBytes, 3) + "\r";
        }
        TTextFile cpp, pascal;
        cpp.ResetFromBytes(cppBytes);
        pascal.ResetFromBytes(pascalBytes);
        LoadTablesFrom(cpp, pascal);
        std::set<std::size_t> never;
        for (const TTableFinding& f : FindTableFacts("cpp.tap", ScanTableBytes(cppBytes),
                                                     "pascal.tap", ScanTableBytes(pascalBytes))) {
            if (f.file == "cpp.tap" && f.text.find("never matches") != std::string::npos)
                never.insert(f.line);
        }
        for (int trial = 0; trial < 30; ++trial) {
            std::string line = pick(lineBytes, 8);
            TraceLine(line, [&](const TTraceStep& step, const std::string&) {
                EXPECT_FALSE(step.fired && never.count(step.pair))
                    << "pair " << step.pair << " fired; cpp.tap bytes: " << cppBytes.size();
            });
        }
        FreeTables();
    }
}

}  // namespace
