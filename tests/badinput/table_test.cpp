// Table files the engine and the batch converter must cope with: each loads
// exactly the pairs the reference reader gives and converts as the reference
// does, or fails with a one-line message naming the file and no output.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "engine/table.h"
#include "platform/rtl/errors.h"
#include "tests/badinput/badinput_support.h"
#include "tests/support/reference_rewrite.h"

namespace badinput {
namespace {

using reference::ToBytes;
using reference::ToString;

std::string Lines(std::initializer_list<std::string> lines, const char* end = "\r\n")
{
    std::string bytes;
    for (const auto& line : lines) bytes += line + end;
    return bytes;
}

std::string WithLfOnly(std::string bytes)
{
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        out += bytes[i];
    }
    return out;
}

std::string Numbered(char prefix, int count)
{
    std::string bytes;
    char entry[16];
    for (int i = 0; i < count; ++i) {
        std::snprintf(entry, sizeof entry, "%c%05d\r\n", prefix, i);
        bytes += entry;
    }
    return bytes;
}

std::string Megabyte(const std::string& start)
{
    std::string line = start;
    while (line.size() < 1024 * 1024) line += "0123456789";
    return line;
}

struct TableCase {
    const char* name;
    std::string cpp;
    std::string pascal;
    std::string source = kSampleSource;
};

// Cases show up by name in test listings.
void PrintTo(const TableCase& c, std::ostream* os)
{
    *os << c.name;
}

std::vector<TableCase> TableCases()
{
    const std::string bufferFill(64 * 1024 - 2, 'x');  // the reader's buffer is 64 KiB
    return {
        {"EmptyCpp", "", kSamplePascal},
        {"BothEmpty", "", ""},
        {"EmptyPascal", kSampleCpp, ""},
        {"PascalShorter", kSampleCpp, Lines({"{", "}", "="})},
        {"PascalLonger", Lines({"/*", "*/", "=="}),
         std::string(kSamplePascal) + Lines({"never", "read"})},
        {"HundredThousandLines", Numbered('w', 100000), Numbered('W', 100000),
         "w00000 w65535 w65536\r\nw70000 w99999 w100000\r\n"},
        {"LinesOf1MB", Megabyte("int ") + "\r\n==\r\n" + Megabyte("x"),
         Megabyte("Integer ") + "\r\n" + Megabyte("=") + "\r\n:=",
         "int 0123456789012345678901234567 a == b\r\n"},
        {"LfOnly", WithLfOnly(kSampleCpp), WithLfOnly(kSamplePascal)},
        {"LfOnlyShortFiles", "int \n", "Integer \n", "int int \nint \n"},
        {"CtrlZAtStart", std::string("\x1A") + kSampleCpp, kSamplePascal},
        {"CtrlZInsideLine", "==\r\n!\x1A=\r\n=\r\n", "=\r\nnot\r\n:=\r\n",
         "if (a != b) c == d;\r\n"},
        {"CtrlZBetweenCrAndLf", "==\r\x1A\n=\r\n", "=\r\n:=\r\n", "a == b = c\r\n"},
        {"CtrlZAloneAfterLastLine", "==\r\n=\r\n\x1A\r\n\r\n", "=\r\n:=\r\n", "a == b = c\r\n"},
        {"CtrlZInPascalOnly", "==\r\n!=\r\n=\r\n", "=\r\n<\x1A>\r\n:=\r\n", "a == b != c = d\r\n"},
        {"CtrlZAtReadBufferBoundary", bufferFill + "\r\n\x1A=\r\n", "long\r\n:=\r\n", "x = 1\r\n"},
        {"CrLfAcrossReadBuffers", bufferFill + "x\r\n==\r\n", "long\r\n=\r\n", "a == b\r\n"},
        {"EmptyLinesAtEnd", std::string(kSampleCpp) + "\r\n\r\n", kSamplePascal},
        {"LoneCrLineEnds", "==\r=\r\r", "=\r:=\r\rnever", "a == b = c\r\n"},
        {"HighBytesAndNul", Lines({"\xE4", "\xFF\xFE", std::string("a\0b", 3)}),
         Lines({"ae", "\x80", "nul"}), std::string("\xE4\xFF\xFE a\0b", 8)},
    };
}

class TableFiles : public ::testing::TestWithParam<TableCase> {
protected:
    void TearDown() override { FreeTables(); }
};

TEST_P(TableFiles, LoadAndConvertAsReference)
{
    const TableCase& c = GetParam();
    ScratchDir dir;
    WriteTables(dir.Path().string(), c.cpp, c.pascal);
    WriteFile(dir / "in.c", c.source);
    const reference::Table expected = reference::ReadTable(ToBytes(c.cpp), ToBytes(c.pascal));

    ASSERT_NO_THROW(LoadTablesFromFiles(dir / "cpp.tap", dir / "pascal.tap"));
    ASSERT_EQ(PairCount, expected.size());
    for (std::size_t k = 1; k <= PairCount; ++k) {
        ASSERT_EQ(PatternTable[k], ToString(expected[k - 1].pattern)) << "pattern " << k;
        ASSERT_EQ(ReplacementTable[k], ToString(expected[k - 1].replacement))
            << "replacement " << k;
    }

    RunResult run = RunConvert(
        RunOptions({"--tables", dir.Path().string(), dir / "in.c", "-o", dir / "out.pas"}));
    ASSERT_TRUE(run.exited && run.exitCode == 0) << Describe(run);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadFile(dir / "out.pas"),
              ToString(reference::ConvertSource(expected, ToBytes(c.source))));
}

INSTANTIATE_TEST_SUITE_P(BadTables, TableFiles, ::testing::ValuesIn(TableCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Tables that cannot be read: the converter names the table file, exits 1 and
// writes no result, leaving an existing one alone.
struct UnreadableCase {
    const char* name;
    const char* file;     // the table file that is bad
    const char* message;  // what the converter says about it
    // Puts the bad file in place; false to skip, with the reason in skip.
    bool (*make)(const std::string& path, std::string& skip);
    bool unprivileged = false;
};

void PrintTo(const UnreadableCase& c, std::ostream* os)
{
    *os << c.name;
}

class UnreadableTable : public ::testing::TestWithParam<UnreadableCase> {};

TEST_P(UnreadableTable, FailsNamingTheFileAndWritesNothing)
{
    const UnreadableCase& c = GetParam();
    ScratchDir dir;
    const std::string tables = dir / "tables";
    ASSERT_EQ(::mkdir(tables.c_str(), 0755), 0);
    WriteTables(tables, kSampleCpp, kSamplePascal);
    const std::string bad = tables + "/" + c.file;
    ASSERT_EQ(::unlink(bad.c_str()), 0);
    std::string skip;
    if (!c.make(bad, skip)) GTEST_SKIP() << skip;
    WriteFile(dir / "in.c", kSampleSource);
    WriteFile(dir / "out.pas", "the old result");
    GiveToUnprivilegedUser(dir / "out.pas");
    GiveToUnprivilegedUser(dir.Path().string());

    RunResult run = RunConvert(RunOptions({"--tables", tables, dir / "in.c", "-o", dir / "out.pas"})
                                   .Unprivileged(c.unprivileged)
                                   .Timeout(10));
    ASSERT_FALSE(run.timedOut) << "the converter hung";
    ASSERT_TRUE(run.exited) << Describe(run);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "velmora-convert: " + bad + ": " + c.message + "\n");
    EXPECT_EQ(ReadFile(dir / "out.pas"), "the old result");
}

bool MakeDirectory(const std::string& path, std::string&)
{
    return ::mkdir(path.c_str(), 0755) == 0;
}

bool MakePipe(const std::string& path, std::string&)
{
    return ::mkfifo(path.c_str(), 0666) == 0;
}

bool LeaveMissing(const std::string&, std::string&)
{
    return true;
}

bool MakeUnreadable(const std::string& path, std::string& skip)
{
    if (UnprivilegedUid() < 0) {
        skip = "running as root without a user to switch to: permissions do not stop root";
        return false;
    }
    WriteFile(path, kSampleCpp);
    GiveToUnprivilegedUser(path);
    return ::chmod(path.c_str(), 0) == 0;
}

INSTANTIATE_TEST_SUITE_P(
    BadTables, UnreadableTable,
    ::testing::Values(
        UnreadableCase{"CppIsDirectory", "cpp.tap", "Zugriff verweigert", MakeDirectory},
        UnreadableCase{"PascalIsDirectory", "pascal.tap", "Zugriff verweigert", MakeDirectory},
        UnreadableCase{"CppIsNamedPipe", "cpp.tap", "Zugriff verweigert", MakePipe},
        UnreadableCase{"CppMissing", "cpp.tap", "Datei nicht gefunden", LeaveMissing},
        UnreadableCase{"PascalMissing", "pascal.tap", "Datei nicht gefunden", LeaveMissing},
        UnreadableCase{"CppUnreadable", "cpp.tap", "Zugriff verweigert", MakeUnreadable, true},
        UnreadableCase{"PascalUnreadable", "pascal.tap", "Zugriff verweigert", MakeUnreadable,
                       true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace badinput
