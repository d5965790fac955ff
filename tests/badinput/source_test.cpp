// Source files the batch converter must cope with: each either converts to
// exactly what the reference gives, or fails with a one-line message that
// names the file, a non-zero exit and no output lost.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>

#include "platform/rtl/sourcetext.h"
#include "tests/badinput/badinput_support.h"
#include "tests/support/bad_inputs.h"
#include "tests/support/reference_rewrite.h"

namespace badinput {
namespace {

using reference::ToBytes;
using reference::ToString;

const reference::Table& SampleTable()
{
    static const reference::Table table =
        reference::ReadTable(ToBytes(kSampleCpp), ToBytes(kSamplePascal));
    return table;
}

std::string ReferenceResult(const std::string& source)
{
    return ToString(reference::ConvertSource(SampleTable(), ToBytes(source)));
}

using badinputs::AllByteValues;
using badinputs::OneLongLine;

std::string CrLfAcrossReadBoundary()
{
    // The converter reads sources in 256 KiB pieces.
    return std::string(256 * 1024 - 1, 'x') + "\r\nint a = 1;\r\n" +
           std::string(256 * 1024 - 3, 'y') + "\r\r\n\n";
}

struct SourceCase {
    const char* name;
    std::function<std::string()> bytes;
};

// Cases show up by name in test listings.
void PrintTo(const SourceCase& c, std::ostream* os)
{
    *os << c.name;
}

class SourceConversion : public ::testing::TestWithParam<SourceCase> {};

TEST_P(SourceConversion, OutputMatchesReference)
{
    ScratchDir dir;
    WriteTables(dir.Path().string(), kSampleCpp, kSamplePascal);
    const std::string source = GetParam().bytes();
    WriteFile(dir / "in.c", source);

    RunResult run = RunConvert(
        RunOptions({"--tables", dir.Path().string(), dir / "in.c", "-o", dir / "out.pas"}));
    ASSERT_TRUE(run.exited && run.exitCode == 0) << Describe(run);
    EXPECT_EQ(run.err, "");
    const std::string output = ReadFile(dir / "out.pas");
    const std::string expected = ReferenceResult(source);
    EXPECT_EQ(output.size(), expected.size());
    EXPECT_TRUE(output == expected) << "output differs from the reference";
}

INSTANTIATE_TEST_SUITE_P(
    BadSources, SourceConversion,
    ::testing::Values(SourceCase{"Empty", [] { return std::string(); }},
                      SourceCase{"OnlyNuls", [] { return std::string(4096, '\0'); }},
                      SourceCase{"AllByteValuesNulFirst", [] { return AllByteValues(false); }},
                      SourceCase{"AllByteValuesNulLast", [] { return AllByteValues(true); }},
                      SourceCase{"OneLineOf1MB", OneLongLine},
                      SourceCase{"OneLineOf1MBAfterShortLines",
                                 [] { return "int x;\nint y;\r\n" + OneLongLine() + "\r\n}"; }},
                      SourceCase{"CrLfAcrossReadBoundary", CrLfAcrossReadBoundary},
                      SourceCase{"OnlyLineBreaks",
                                 [] { return std::string("\r\n\n\r\r\n\n\r\r"); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SourceConversion, MillionShortLines)
{
    // Eight short lines with three kinds of break, repeating every 24 lines;
    // no two breaks in a row merge, so each line stays one view line.
    const char* const lines[] = {"int a = 1;",     "{",       "}",          "", "x = a == c;",
                                 "\tp->q = NULL;", "/* c */", "a && c || b"};
    const char* const breaks[] = {"\r\n", "\n", "\r"};
    constexpr int kLines = 1000 * 1000;
    std::string source;
    source.reserve(std::size_t{kLines} * 10);
    for (int i = 0; i < kLines; ++i) {
        if (i == 48) {
            ASSERT_EQ(reference::SourceLines(ToBytes(source)).size(), 48u);
        }
        source += lines[i % 8];
        source += breaks[i % 3];
    }
    std::string expected;
    expected.reserve(std::size_t{kLines} * 14);
    {
        std::string rewritten[8];
        for (int k = 0; k < 8; ++k)
            rewritten[k] = ToString(reference::RewriteLine(SampleTable(), ToBytes(lines[k])).line);
        for (int i = 0; i < kLines; ++i) expected += rewritten[i % 8] + "\r\n";
    }

    ScratchDir dir;
    WriteTables(dir.Path().string(), kSampleCpp, kSamplePascal);
    WriteFile(dir / "in.c", source);
    RunResult run = RunConvert(
        RunOptions({"--tables", dir.Path().string(), dir / "in.c", "-o", dir / "out.pas"}));
    ASSERT_TRUE(run.exited && run.exitCode == 0) << Describe(run);
    EXPECT_TRUE(ReadFile(dir / "out.pas") == expected) << "output differs from the reference";
}

TEST(SourceCapacity, TextExactlyAtCapacityConverts)
{
    // 'z' matches no pattern, so the result is the text itself.
    std::string line(1022, 'z');
    std::string source;
    while (source.size() < MemoCapacity) source += line + "\r\n";
    ASSERT_EQ(source.size(), MemoCapacity);

    ScratchDir dir;
    WriteTables(dir.Path().string(), kSampleCpp, kSamplePascal);
    WriteFile(dir / "in.c", source);
    RunResult run = RunConvert(
        RunOptions({"--tables", dir.Path().string(), dir / "in.c", "-o", dir / "out.pas"}));
    ASSERT_TRUE(run.exited && run.exitCode == 0) << Describe(run);
    EXPECT_TRUE(ReadFile(dir / "out.pas") == source);
}

// A file is made of head, then a hole up to size bytes; holes read as NULs.
void MakeSparseFile(const std::string& path, const std::string& head, off_t size)
{
    WriteFile(path, head);
    ASSERT_EQ(::truncate(path.c_str(), size), 0) << std::strerror(errno);
}

constexpr off_t kFourGiB = off_t{4} * 1024 * 1024 * 1024;
// Far below the file size, far above what a bounded reader needs.
constexpr long kMemoryBoundKiB = 1024 * 1024;

struct CapacityCase {
    const char* name;
    std::function<std::string()> head;  // the file's bytes before its hole
    off_t size;
};

void PrintTo(const CapacityCase& c, std::ostream* os)
{
    *os << c.name;
}

class SourceAboveCapacity : public ::testing::TestWithParam<CapacityCase> {};

TEST_P(SourceAboveCapacity, FailsWithCapacityErrorAndBoundedMemory)
{
    ScratchDir dir;
    WriteTables(dir.Path().string(), kSampleCpp, kSamplePascal);
    const std::string path = dir / "huge.c";
    MakeSparseFile(path, GetParam().head(), GetParam().size);
    WriteFile(dir / "out.pas", "the old result");

    RunResult run =
        RunConvert(RunOptions({"--tables", dir.Path().string(), path, "-o", dir / "out.pas"}));
    ASSERT_TRUE(run.exited) << Describe(run);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "velmora-convert: " + path + ": Text überschreitet Memo-Kapazität\n");
    EXPECT_EQ(ReadFile(dir / "out.pas"), "the old result");
    EXPECT_LT(run.maxRssKiB, kMemoryBoundKiB);
}

INSTANTIATE_TEST_SUITE_P(
    BadSources, SourceAboveCapacity,
    ::testing::Values(
        // 17 MiB of text, then 4 GiB in all.
        CapacityCase{"FourGiBFile", [] { return std::string(MemoCapacity + 1024 * 1024, 'q'); },
                     kFourGiB},
        // Each LF becomes CR LF in the view: 8 MiB and one byte of them do
        // not fit although the file is half the capacity.
        CapacityCase{"LineBreaksThatDoubleInTheView",
                     [] { return std::string(MemoCapacity / 2 + 1, '\n'); },
                     static_cast<off_t>(MemoCapacity / 2 + 1)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SourceAboveCapacity, FourGiBFileEndingAtItsFirstNulConvertsTheTextBeforeIt)
{
    ScratchDir dir;
    WriteTables(dir.Path().string(), kSampleCpp, kSamplePascal);
    const std::string path = dir / "holes.c";
    MakeSparseFile(path, kSampleSource, kFourGiB);

    RunResult run =
        RunConvert(RunOptions({"--tables", dir.Path().string(), path, "-o", dir / "out.pas"}));
    ASSERT_TRUE(run.exited && run.exitCode == 0) << Describe(run);
    EXPECT_EQ(ReadFile(dir / "out.pas"), ReferenceResult(kSampleSource));
    EXPECT_LT(run.maxRssKiB, kMemoryBoundKiB);
}

// Sources that cannot be opened as files: the message names the file, the
// exit status is 1 and an existing result file stays as it was.
struct UnopenableCase {
    const char* name;
    // Makes the source at path; returns false to skip (with the reason in skip).
    std::function<bool(const std::string& path, std::string& skip)> make;
    bool unprivileged = false;
};

void PrintTo(const UnopenableCase& c, std::ostream* os)
{
    *os << c.name;
}

class UnopenableSource : public ::testing::TestWithParam<UnopenableCase> {};

TEST_P(UnopenableSource, FailsNamingTheFileAndKeepsOldResult)
{
    ScratchDir dir;
    WriteTables(dir.Path().string(), kSampleCpp, kSamplePascal);
    const std::string path = dir / "src.c";
    std::string skip;
    if (!GetParam().make(path, skip)) GTEST_SKIP() << skip;
    WriteFile(dir / "out.pas", "the old result");
    GiveToUnprivilegedUser(dir / "out.pas");
    GiveToUnprivilegedUser(dir.Path().string());

    RunResult run =
        RunConvert(RunOptions({"--tables", dir.Path().string(), path, "-o", dir / "out.pas"})
                       .Unprivileged(GetParam().unprivileged)
                       .Timeout(10));
    ASSERT_FALSE(run.timedOut) << "the converter hung on " << GetParam().name;
    ASSERT_TRUE(run.exited) << Describe(run);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err,
              "velmora-convert: " + path + ": Datei " + path + " kann nicht geöffnet werden\n");
    EXPECT_EQ(ReadFile(dir / "out.pas"), "the old result");
}

// Keeps a writer on a named pipe for the whole test run, as another program
// would, so that the pipe is open and its data never read.
int KeepWriterOpen(const std::string& path)
{
    return ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
}

INSTANTIATE_TEST_SUITE_P(
    BadSources, UnopenableSource,
    ::testing::Values(UnopenableCase{"RemovedAfterChoosing",
                                     [](const std::string& path, std::string&) {
                                         WriteFile(path, kSampleSource);
                                         return ::unlink(path.c_str()) == 0;
                                     }},
                      UnopenableCase{"Directory",
                                     [](const std::string& path, std::string&) {
                                         return ::mkdir(path.c_str(), 0755) == 0;
                                     }},
                      UnopenableCase{"NamedPipeWithoutWriter",
                                     [](const std::string& path, std::string&) {
                                         return ::mkfifo(path.c_str(), 0666) == 0;
                                     }},
                      UnopenableCase{"NamedPipeWithWriter",
                                     [](const std::string& path, std::string&) {
                                         if (::mkfifo(path.c_str(), 0666) != 0) return false;
                                         int fd = KeepWriterOpen(path);
                                         return fd >= 0 && ::write(fd, "int a;\n", 7) == 7;
                                     }},
                      UnopenableCase{"Unreadable",
                                     [](const std::string& path, std::string& skip) {
                                         if (UnprivilegedUid() < 0) {
                                             skip =
                                                 "running as root without a user to switch to: "
                                                 "permissions do not stop root";
                                             return false;
                                         }
                                         WriteFile(path, kSampleSource);
                                         GiveToUnprivilegedUser(path);
                                         return ::chmod(path.c_str(), 0) == 0;
                                     },
                                     true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace badinput
