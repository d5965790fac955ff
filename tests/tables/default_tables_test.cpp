// The default tables shipped in tables/: well-formed files, the sample program
// converted byte for byte, and typical C lines with the Pascal they must give.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "engine/convert.h"
#include "engine/table.h"
#include "platform/rtl/sourcetext.h"

namespace {

const std::string kSourceDir = VELMORA_SOURCE_DIR;
const std::string kPatternFile = kSourceDir + "/tables/cpp.tap";
const std::string kReplacementFile = kSourceDir + "/tables/pascal.tap";

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << "cannot open " << path;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Splits bytes at CR LF; the CR LF that ends the file starts no further line.
std::vector<std::string> CrLfLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) end = bytes.size();
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// Checks what the loader would otherwise take silently: every line ends in
// CR LF (an LF alone would join lines), no Ctrl-Z ends the file early, and no
// entry is cut at 30 bytes.
void ExpectWellFormed(const std::string& path, bool emptyEntriesAllowed)
{
    SCOPED_TRACE(path);
    const std::string bytes = ReadBytes(path);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.substr(bytes.size() - std::min<std::size_t>(2, bytes.size())), "\r\n")
        << "the last line has no CR LF";
    EXPECT_EQ(bytes.find('\x1a'), std::string::npos) << "Ctrl-Z would end the table there";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            EXPECT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << "CR without LF at byte " << i;
        } else if (bytes[i] == '\n') {
            EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << "LF without CR at byte " << i;
        }
    }
    const std::vector<std::string> lines = CrLfLines(bytes);
    for (std::size_t k = 0; k < lines.size(); ++k) {
        EXPECT_LE(lines[k].size(), MaxEntryLength) << "line " << k + 1 << ": '" << lines[k] << "'";
        if (!emptyEntriesAllowed) {
            EXPECT_FALSE(lines[k].empty()) << "line " << k + 1 << " is empty";
        }
    }
}

TEST(DefaultTableFiles, AreWellFormed)
{
    ExpectWellFormed(kPatternFile, false);
    ExpectWellFormed(kReplacementFile, true);
    EXPECT_EQ(CrLfLines(ReadBytes(kPatternFile)).size(), CrLfLines(ReadBytes(kReplacementFile)).size())
        << "cpp.tap and pascal.tap have different numbers of lines";
}

// The loader reads exactly the lines above: one pair per line, nothing cut.
TEST(DefaultTableFiles, LoadLineForLine)
{
    const std::vector<std::string> patterns = CrLfLines(ReadBytes(kPatternFile));
    const std::vector<std::string> replacements = CrLfLines(ReadBytes(kReplacementFile));
    LoadTablesFromFiles(kPatternFile, kReplacementFile);
    ASSERT_EQ(PairCount, patterns.size());
    for (std::size_t k = 1; k <= PairCount && k <= replacements.size(); ++k) {
        EXPECT_EQ(PatternTable[k], patterns[k - 1]) << "pair " << k;
        EXPECT_EQ(ReplacementTable[k], replacements[k - 1]) << "pair " << k;
    }
    FreeTables();
}

class DefaultTables : public ::testing::Test {
protected:
    static void SetUpTestSuite() { LoadTablesFromFiles(kPatternFile, kReplacementFile); }
    static void TearDownTestSuite() { FreeTables(); }
};

// tests/fixtures/sample.pas was made with velmora-convert from sample.c and
// read through; after a deliberate table change, regenerate it and read the
// difference before committing it.
TEST_F(DefaultTables, ConvertSampleProgramExactly)
{
    const std::string result =
        ConvertSourceText(LoadSourceText(kSourceDir + "/tests/fixtures/sample.c"));
    const std::string expected = ReadBytes(kSourceDir + "/tests/fixtures/sample.pas");

    const std::vector<std::string> got = CrLfLines(result);
    const std::vector<std::string> want = CrLfLines(expected);
    for (std::size_t k = 0; k < got.size() && k < want.size(); ++k) {
        EXPECT_EQ(got[k], want[k]) << "sample.pas line " << k + 1;
    }
    EXPECT_EQ(got.size(), want.size());
    EXPECT_EQ(result, expected) << "the bytes differ";
}

struct LineCase {
    const char* name;
    std::string c;
    std::string pascal;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class DefaultTableLine : public DefaultTables, public ::testing::WithParamInterface<LineCase> {};

TEST_P(DefaultTableLine, GivesPascal)
{
    std::string line = GetParam().c;
    ConvertLine(line);
    EXPECT_EQ(line, GetParam().pascal) << "C: " << GetParam().c;
}

INSTANTIATE_TEST_SUITE_P(
    Identifiers, DefaultTableLine,
    ::testing::Values(
        LineCase{"WordsEndingInIntStayWhole", "    struct point origin; /* print the hint */",
                 "    point origin; { print the hint }"},
        LineCase{"IntAtLineStartBesideWordEndingInInt", "struct point make_point(int x, int y)",
                 "point make_point(Integer x, Integer y)"},
        LineCase{"WordEndingInStructStaysWhole", "struct builtin realpath_struct = {",
                 "builtin realpath_struct = ("},
        LineCase{"WordEndingInVoidStaysWhole", "    /* to avoid a copy */", "    { to avoid a copy }"},
        LineCase{"NullInsideIdentifierStays", "    strm.zalloc = Z_NULL;", "    strm.zalloc := Z_NULL;"},
        LineCase{"FprintfAndSprintfAreNotPrintf", "    sprintf(buf, \"%d\", n);", "    StrFmt(buf, '%d', n);"},
        LineCase{"FputsIsNotPuts", "    fputs(\"done\\n\", stderr);", "    fputs('done'#10, stderr);"},
        LineCase{"ReturnInCommentProseStays", "    /* clean up and return */", "    { clean up and return }"},
        LineCase{"NothingToConvert", "    counter_max(limit);", "    counter_max(limit);"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Operators, DefaultTableLine,
    ::testing::Values(
        LineCase{"EqualityIsNotAssignment", "    if (a == b) {", "    if (a = b) then begin"},
        LineCase{"AssignmentAndEqualityInOneLine", "    ok = (a == b);", "    ok := (a = b);"},
        LineCase{"InequalityAndPointers", "    while (p != NULL && p->next != NULL) {",
                 "    while (p <> nil and p^.next <> nil) do begin"},
        LineCase{"NotOrMod", "    if (!done || n % 2 == 0)", "    if (not done or n mod 2 = 0)"},
        LineCase{"ThreeAnds", "    if (a && b && c && d)", "    if (a and b and c and d)"},
        LineCase{"ChainOfArrows", "    p->next->value = 5;", "    p^.next^.value := 5;"},
        LineCase{"AddressOf", "    swap(&a, &b);", "    swap(@a, @b);"},
        LineCase{"Increment", "    count++;", "    count += 1;"},
        LineCase{"CompoundAssignmentStays", "    sum += x;", "    sum += x;"},
        LineCase{"ComparisonsPassThrough", "    if (a <= b && b >= c)", "    if (a <= b and b >= c)"},
        LineCase{"CharLiterals", "    if (c == '\\n' || c == '\\0')", "    if (c = #10 or c = #0)"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Strings, DefaultTableLine,
    ::testing::Values(
        LineCase{"ExclamationInString", "    printf(\"Hello, world!\\n\");", "    write('Hello, world!'#10);"},
        LineCase{"EqualsInFormat", "    printf(\"x = %d\\n\", x);", "    write('x = %d'#10, x);"},
        LineCase{"PercentInFormat", "    printf(\"%d%%\\n\", pct);", "    write('%d%%'#10, pct);"},
        LineCase{"NewlineOnly", "    printf(\"\\n\");", "    writeln;"},
        LineCase{"NewlineInside", "    printf(\"a\\nb\");", "    write('a'#10'b');"},
        LineCase{"EscapedQuote", "    puts(\"say \\\"hi\\\"\");", "    writeln('say ''hi''');"},
        LineCase{"StandardError", "    fprintf(stderr, \"bad\\n\");", "    write(ErrOutput, 'bad'#10);"},
        LineCase{"ScanfOfAnInt", "    scanf(\"%d\", &n);", "    read(n);"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Statements, DefaultTableLine,
    ::testing::Values(
        LineCase{"Include", "#include <stdio.h>", "// #include <stdio.h>"},
        LineCase{"CountingLoop", "    for (i = 0; i < n; i++) {", "    for i := 0 to Pred(n) do begin"},
        LineCase{"CountingDown", "    for (int j = n - 1; j >= 0; j--)", "    for j := n - 1 downto (0) do"},
        LineCase{"OtherLoopKeepsItsShape", "    for (p = head; p != NULL; p = p->next) {",
                 "    for (p := head; p <> nil; p := p^.next) begin"},
        LineCase{"ElseIf", "    } else if (x > 0) {", "    end else if (x > 0) then begin"},
        LineCase{"Else", "    } else {", "    end else begin"},
        LineCase{"OneLineBlock", "    if (x) { y = 1; }", "    if (x) then begin y := 1; end;"},
        LineCase{"IndentedBlock", "    {", "    begin"},
        LineCase{"DoWhile", "    do {", "    repeat"},
        LineCase{"DoWhileTail", "    } while (i < 10);", "    until not (i < 10);"},
        LineCase{"Switch", "    switch (c) {", "    case (c) of"},
        LineCase{"Default", "    default:", "    else"},
        LineCase{"Return", "    return sum;", "    Exit(sum);"},
        LineCase{"ReturnAfterIf", "    if (p == NULL) return NULL;", "    if (p = nil) then Exit(nil);"},
        LineCase{"ReturnInParentheses", "    return (a + b) * 2;", "    Exit((a + b) * 2);"},
        LineCase{"BareReturn", "    return;", "    Exit;"},
        LineCase{"BreakAfterIf", "    if (done) break;", "    if (done) then break;"},
        LineCase{"AllocateAndFree", "    p = malloc(sizeof(struct item));", "    p := GetMem(sizeof(item));"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Declarations, DefaultTableLine,
    ::testing::Values(
        LineCase{"Local", "    int count = 0;", "    Integer count := 0;"},
        LineCase{"PointerToInt", "    int *p = NULL;", "    PInteger p := nil;"},
        LineCase{"MainWithArguments", "int main(int argc, char **argv)", "Integer main(Integer argc, PPChar argv)"},
        LineCase{"MainWithoutArguments", "int main(void)", "Integer main"},
        LineCase{"VoidFunction", "void print_item(const struct item *it)", "procedure print_item(const item *it)"},
        LineCase{"StaticVoidFunction", "static void helper(void)", "static procedure helper"},
        LineCase{"StringParameters", "int cmp(const char *a, const char *b)", "Integer cmp(PChar a, PChar b)"},
        LineCase{"Unsigned", "    unsigned char buf[64];", "    Byte buf[64];"},
        LineCase{"LongAndFloat", "    long total; float ratio;", "    LongInt total; Single ratio;"},
        LineCase{"LongInCommentProseStays", "    /* as long as it runs */", "    { as long as it runs }"},
        LineCase{"StructDefinition", "struct item {", "item = record"},
        LineCase{"StructEnd", "};", "end;"},
        LineCase{"EnumDefinition", "enum color { RED, GREEN, BLUE };", "color = ( RED, GREEN, BLUE );"},
        LineCase{"InitialiserList", "    int counts[4] = { 12, 0, 7, 30 };", "    Integer counts[4] = ( 12, 0, 7, 30 );"},
        LineCase{"InitialiserRow", "    {\"bolts\", 120},", "    ('bolts', 120),"},
        LineCase{"Define", "#define MAX_ITEMS 16", "const MAX_ITEMS 16"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
