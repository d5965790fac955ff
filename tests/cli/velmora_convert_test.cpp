// velmora-convert end to end: the program run on small files in a folder of
// its own, checked by its exit status, its output bytes and its messages.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "run_program.h"

namespace {

namespace fs = std::filesystem;

const std::string kCpp = "==\r\n=\r\n{\r\n}\r\n";
const std::string kPascal = "=\r\n:=\r\nbegin\r\nend;\r\n";
const std::string kSource = "if (a == b) {\nx = 1;\r\n}";
const std::string kConverted = "if (a = b) begin\r\nx := 1;\r\nend;\r\n";

class ConvertProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::path(::testing::TempDir()) / "velmora-cli-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    void Write(const std::string& name, const std::string& bytes)
    {
        fs::path path = dir_ / name;
        fs::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary);
        out << bytes;
    }
    void WriteTables(const std::string& cpp = kCpp, const std::string& pascal = kPascal,
                     const std::string& sub = ".")
    {
        Write(sub + "/cpp.tap", cpp);
        Write(sub + "/pascal.tap", pascal);
    }
    std::string Read(const std::string& name) const
    {
        std::ifstream in(dir_ / name, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    bool Exists(const std::string& name) const { return fs::exists(dir_ / name); }

    TRunResult Run(const std::vector<std::string>& args, const std::string& stdoutPath = {})
    {
        return RunProgram(VELMORA_CONVERT, args, dir_.string(), stdoutPath);
    }

    fs::path dir_;
};

// --- converting ---------------------------------------------------------

TEST_F(ConvertProgram, WritesTheWindowsBytesToStandardOutput)
{
    WriteTables();
    Write("a.c", kSource);
    TRunResult r = Run({"a.c"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kConverted);
    EXPECT_EQ(r.err, "");
}

TEST_F(ConvertProgram, WritesToOutputFile)
{
    WriteTables();
    Write("a.c", kSource);
    TRunResult r = Run({"a.c", "-o", "a.pas"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Read("a.pas"), kConverted);
}

TEST_F(ConvertProgram, ReadsTablesFromTheFolderGiven)
{
    WriteTables(kCpp, kPascal, "t");
    Write("a.c", kSource);
    TRunResult r = Run({"--tables", "t", "a.c"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kConverted);
}

TEST_F(ConvertProgram, OutDirGetsOneFilePerSource)
{
    WriteTables();
    Write("src/a.c", kSource);
    Write("src/b.h", "x = 2");
    fs::create_directory(dir_ / "out");
    TRunResult r = Run({"--out-dir", "out", "src/a.c", "src/b.h"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Read("out/a.pas"), kConverted);
    EXPECT_EQ(Read("out/b.pas"), "x := 2\r\n");
}

TEST_F(ConvertProgram, OutDirWithOneBadSourceFailsButConvertsTheRest)
{
    WriteTables();
    Write("a.c", kSource);
    fs::create_directory(dir_ / "out");
    TRunResult r = Run({"--out-dir", "out", "missing.c", "a.c"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "velmora-convert: missing.c: Datei missing.c kann nicht geöffnet werden\n");
    EXPECT_FALSE(Exists("out/missing.pas"));
    EXPECT_EQ(Read("out/a.pas"), kConverted);
}

TEST_F(ConvertProgram, FailedConversionLeavesOutputFileAsItWas)
{
    WriteTables();
    Write("a.pas", "old");
    TRunResult r = Run({"missing.c", "-o", "a.pas"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Read("a.pas"), "old");
}

struct FailureCase {
    const char* name;
    bool tables;
    std::vector<std::string> args;
    std::string stdoutPath;
    int status;
    std::string err;  // the whole of standard error
};

void PrintTo(const FailureCase& c, std::ostream* os)
{
    *os << c.name;
}

class ConvertFailures : public ConvertProgram, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ConvertFailures, ReportsOneLineAndFails)
{
    const FailureCase& c = GetParam();
    if (c.tables)
        WriteTables();
    Write("a.c", kSource);
    Write("b.c", kSource);
    TRunResult r = Run(c.args, c.stdoutPath);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, c.err);
    if (c.stdoutPath.empty()) {
        EXPECT_EQ(r.out, "");
    }
}

const std::string kTry = "Try 'velmora-convert --help' for more information.\n";

INSTANTIATE_TEST_SUITE_P(
    Args, ConvertFailures,
    ::testing::Values(
        FailureCase{"MissingTables",
                    false,
                    {"a.c"},
                    {},
                    1,
                    "velmora-convert: cpp.tap: Datei nicht gefunden\n"},
        FailureCase{"MissingSource",
                    true,
                    {"nosuch.c"},
                    {},
                    1,
                    "velmora-convert: nosuch.c: Datei nosuch.c kann nicht geöffnet werden\n"},
        FailureCase{"SourceIsAFolder",
                    true,
                    {"."},
                    {},
                    1,
                    "velmora-convert: .: Datei . kann nicht geöffnet werden\n"},
        FailureCase{"OutputInMissingFolder",
                    true,
                    {"a.c", "-o", "no/such/a.pas"},
                    {},
                    1,
                    "velmora-convert: no/such/a.pas: Datei no/such/a.pas kann nicht erstellt "
                    "werden (No such file or directory)\n"},
        FailureCase{"FullStandardOutput",
                    true,
                    {"a.c"},
                    "/dev/full",
                    1,
                    "velmora-convert: standard output: Stream-Write-Fehler (No space left on "
                    "device)\n"},
        FailureCase{"NoSource", true, {}, {}, 2, "velmora-convert: no SOURCE given\n" + kTry},
        FailureCase{"UnknownOption",
                    true,
                    {"-x", "a.c"},
                    {},
                    2,
                    "velmora-convert: unknown option '-x'\n" + kTry},
        FailureCase{"OutputNeedsName",
                    true,
                    {"a.c", "-o"},
                    {},
                    2,
                    "velmora-convert: -o needs a file name\n" + kTry},
        // An empty name (say, from an unset variable) must not mean standard output.
        FailureCase{"EmptyOutputName",
                    true,
                    {"a.c", "-o", ""},
                    {},
                    2,
                    "velmora-convert: -o needs a file name\n" + kTry},
        FailureCase{"EmptyOutDir",
                    true,
                    {"--out-dir", "", "a.c"},
                    {},
                    2,
                    "velmora-convert: --out-dir needs a folder\n" + kTry},
        FailureCase{"EmptyTablesDir",
                    true,
                    {"--tables", "", "a.c"},
                    {},
                    2,
                    "velmora-convert: --tables needs a folder\n" + kTry},
        FailureCase{"OutputAndOutDir",
                    true,
                    {"a.c", "-o", "x", "--out-dir", "."},
                    {},
                    2,
                    "velmora-convert: -o and --out-dir cannot be used together\n" + kTry},
        FailureCase{"SeveralSourcesNeedOutDir",
                    true,
                    {"a.c", "b.c"},
                    {},
                    2,
                    "velmora-convert: several SOURCE files need --out-dir\n" + kTry},
        FailureCase{"TwoSourcesOneName",
                    true,
                    {"--out-dir", ".", "a.c", "x/a.h"},
                    {},
                    2,
                    "velmora-convert: two sources would both be written to ./a.pas\n" + kTry},
        FailureCase{"CheckTakesNoSource",
                    true,
                    {"--check", "a.c"},
                    {},
                    2,
                    "velmora-convert: --check takes no SOURCE\n" + kTry},
        FailureCase{"TraceWritesToStandardOutputOnly",
                    true,
                    {"--trace", "x", "-o", "t"},
                    {},
                    2,
                    "velmora-convert: --trace writes to standard output only\n" + kTry},
        FailureCase{"TraceNeedsLine",
                    true,
                    {"--trace"},
                    {},
                    2,
                    "velmora-convert: --trace needs a line\n" + kTry},
        FailureCase{"TraceTakesOneLine",
                    true,
                    {"--trace", "a\nb"},
                    {},
                    2,
                    "velmora-convert: --trace takes a single line; put several lines in a file "
                    "for --trace-file\n" +
                        kTry},
        FailureCase{"OneTraceOnly",
                    true,
                    {"--trace", "a", "--trace-file", "a.c"},
                    {},
                    2,
                    "velmora-convert: give one --trace or --trace-file\n" + kTry},
        FailureCase{"CheckOrTrace",
                    true,
                    {"--check", "--trace", "a"},
                    {},
                    2,
                    "velmora-convert: --check and --trace cannot be used together\n" + kTry}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConvertProgram, HelpAndVersion)
{
    TRunResult help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: velmora-convert [--tables DIR] SOURCE [-o OUTPUT]\n", 0), 0u);
    for (const char* part : {"--check", "--trace LINE", "--trace-file FILE", "\\x1a"})
        EXPECT_NE(help.out.find(part), std::string::npos) << part;
    EXPECT_EQ(help.err, "");

    TRunResult version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "velmora-convert " VELMORA_VERSION "\n");
}

// --- --check ------------------------------------------------------------

struct CheckRun {
    const char* name;
    std::string cpp;
    std::string pascal;
    int status;
    std::string out;
};

void PrintTo(const CheckRun& c, std::ostream* os)
{
    *os << c.name;
}

class CheckProgram : public ConvertProgram, public ::testing::WithParamInterface<CheckRun> {};

TEST_P(CheckProgram, ReportsAndExits)
{
    const CheckRun& c = GetParam();
    WriteTables(c.cpp, c.pascal);
    TRunResult r = Run({"--check"});
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, "");
}

INSTANTIATE_TEST_SUITE_P(
    Tables, CheckProgram,
    ::testing::Values(
        CheckRun{"NothingToReport", kCpp, kPascal, 0, ""},
        CheckRun{"LfOnlyLines", "==\n=\n", "=\n:=\n", 1,
                 "cpp.tap:1: its lines end in LF alone, but only a CR ends a line: the whole file "
                 "is one line of 5 bytes, so the table has a single pair\n"
                 "cpp.tap:1: pattern holds an LF, which no source line holds (an LF ends a source "
                 "line) and no earlier replacement puts in, so it never matches\n"
                 "pascal.tap:1: its lines end in LF alone, but only a CR ends a line: the whole "
                 "file is one line of 5 bytes, so it gives a single replacement\n"},
        CheckRun{"LongEntry", "a\r\n" + std::string(41, 'x') + "\r\n", "b\r\nc\r\n", 1,
                 "cpp.tap:2: entry is 41 bytes long; only its first 30 are used\n"},
        CheckRun{"LineCounts", "a\r\nb\r\n", "x\r\n", 1,
                 "cpp.tap:2: pascal.tap has only 1 line, so this pair gets an empty replacement: "
                 "its pattern is deleted where it matches\n"},
        CheckRun{"BlankLineAtEnd", "a\r\n\r\n", "x\r\ny\r\n", 1,
                 "cpp.tap:2: empty pattern (the file ends with an empty line): it never matches, "
                 "so this pair does nothing\n"},
        CheckRun{"TextAfterCtrlZ",
                 "a\r\n\x1a"
                 "b\r\n",
                 "x\r\n", 1,
                 "cpp.tap:2: Ctrl-Z at the start of this line ends the file; the 3 bytes after it "
                 "are never read\n"},
        CheckRun{"EarlierPatternInside", "=\r\n==\r\n", ":=\r\n=\r\n", 1,
                 "cpp.tap:2: pattern '==' contains the pattern '=' of line 1, which is applied "
                 "first and may rewrite it, so this pattern may never match as written\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConvertProgram, CheckNamesTablesInTheFolderGiven)
{
    WriteTables("a\r\n\r\n", "x\r\n", "t");
    TRunResult r = Run({"--check", "--tables", "t"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.rfind("t/cpp.tap:2: ", 0), 0u) << r.out;
}

TEST_F(ConvertProgram, CheckCannotReadTables)
{
    TRunResult none = Run({"--check"});
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, "velmora-convert: cpp.tap: Datei nicht gefunden\n");

    Write("cpp.tap", kCpp);
    TRunResult noReplacements = Run({"--check"});
    EXPECT_EQ(noReplacements.status, 2);
    EXPECT_EQ(noReplacements.err, "velmora-convert: pascal.tap: Datei nicht gefunden\n");

    fs::create_directory(dir_ / "pascal.tap");
    TRunResult folder = Run({"--check"});
    EXPECT_EQ(folder.status, 2);
    EXPECT_EQ(folder.err, "velmora-convert: pascal.tap: Zugriff verweigert\n");
}

TEST_F(ConvertProgram, CheckReportThatCannotBeWrittenIsNoFinding)
{
    WriteTables("a\r\n\r\n", "x\r\n");
    TRunResult r = Run({"--check"}, "/dev/full");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err,
              "velmora-convert: standard output: Stream-Write-Fehler (No space left on device)\n");
}

// --- --trace ------------------------------------------------------------

TEST_F(ConvertProgram, TraceShowsFiredAndSkippedPairs)
{
    WriteTables("==\r\n=\r\n", "=\r\n:=\r\n");
    TRunResult r = Run({"--trace", "if (a == b)"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "line: 'if (a == b)'\n"
              "  cpp.tap:1: '==' -> '=' at 7: 'if (a = b)', LastPos 7\n"
              "  cpp.tap:2: '=' -> ':=' skipped: found at 7, which is LastPos\n"
              "result: 'if (a = b)', LastPos 7\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(ConvertProgram, TraceFileReadsLinesAsTheWindowDoes)
{
    WriteTables("\t\r\n=\r\n", "\x01\r\n:=\r\n");
    // LF and CR LF line ends, a tab, a byte above 0x7F, an empty line, and a
    // NUL that ends the text.
    Write("s.c", std::string("\tx = 1\n\r\n\xe4\r\nignored\0y = 2", 25));
    TRunResult r = Run({"--trace-file", "s.c"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "s.c:1: '\\tx = 1'\n"
              "  cpp.tap:1: '\\t' -> '\\x01' at 1: '\\x01x = 1', LastPos 1\n"
              "  cpp.tap:2: '=' -> ':=' at 4: '\\x01x := 1', LastPos 4\n"
              "result: '\\x01x := 1', LastPos 4\n"
              "\n"
              "s.c:2: ''\n"
              "  (an empty line is left as it is)\n"
              "result: '', LastPos 0\n"
              "\n"
              "s.c:3: '\\xe4'\n"
              "  (no pattern occurs in the line)\n"
              "result: '\\xe4', LastPos 0\n"
              "\n"
              "s.c:4: 'ignored'\n"
              "  (no pattern occurs in the line)\n"
              "result: 'ignored', LastPos 0\n");
}

// Each trace's result is the line that converting the file gives.
TEST_F(ConvertProgram, TraceResultsAreTheConvertedLines)
{
    WriteTables();
    Write("a.c", kSource);
    TRunResult trace = Run({"--trace-file", "a.c"});
    ASSERT_EQ(trace.status, 0);
    std::string results;
    std::istringstream lines(trace.out);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("result: '", 0) != 0)
            continue;
        results += line.substr(9, line.rfind("', LastPos") - 9) + "\r\n";
    }
    EXPECT_EQ(results, kConverted);
}

TEST_F(ConvertProgram, TraceSeesTheFirst4096Bytes)
{
    WriteTables("x\r\n", "y\r\n");
    TRunResult r = Run({"--trace", std::string(4100, 'a') + "x"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("\n  (the line has 4101 bytes; conversion sees only its first 4096)\n"),
              std::string::npos);
    EXPECT_NE(r.out.find("(no pattern occurs in the line)"), std::string::npos);
}

TEST_F(ConvertProgram, TraceFailures)
{
    TRunResult noTables = Run({"--trace", "x"});
    EXPECT_EQ(noTables.status, 1);
    EXPECT_EQ(noTables.err, "velmora-convert: cpp.tap: Datei nicht gefunden\n");

    WriteTables();
    TRunResult noFile = Run({"--trace-file", "nosuch.c"});
    EXPECT_EQ(noFile.status, 1);
    EXPECT_EQ(noFile.out, "");
    EXPECT_EQ(noFile.err, "velmora-convert: nosuch.c: Datei nosuch.c kann nicht geöffnet werden\n");

    TRunResult full = Run({"--trace", "x = 1"}, "/dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err,
              "velmora-convert: standard output: Stream-Write-Fehler (No space left on device)\n");

    Write("empty.c", "");
    TRunResult empty = Run({"--trace-file", "empty.c"});
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "empty.c: no line to convert\n");
}

}  // namespace
