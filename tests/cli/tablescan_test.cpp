// The raw scan of a table file must see the same lines as the table reader:
// every fact that --check reports is tied to a line number that only means
// something if both count alike.
#include "cli/tablescan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/table.h"
#include "platform/rtl/errors.h"
#include "platform/rtl/textfile.h"

namespace {

namespace fs = std::filesystem;

struct Fixture {
    const char* name;
    std::string bytes;
};

void PrintTo(const Fixture& f, std::ostream* os)
{
    *os << f.name;
}

// The lines TTextFile gives before its end, as the loader reads pascal.tap.
std::size_t ReaderLineCount(const std::string& bytes)
{
    TTextFile file;
    file.ResetFromBytes(bytes);
    std::size_t n = 0;
    std::string line;
    while (!file.Eof()) {
        file.ReadLine(line);
        ++n;
    }
    return n;
}

void ExpectSameScan(const TTableScan& a, const TTableScan& b)
{
    EXPECT_EQ(a.lineCount, b.lineCount);
    ASSERT_EQ(a.notes.size(), b.notes.size());
    for (std::size_t i = 0; i < a.notes.size(); ++i) {
        EXPECT_EQ(a.notes[i].line, b.notes[i].line);
        EXPECT_EQ(a.notes[i].length, b.notes[i].length);
        EXPECT_EQ(a.notes[i].loneLineFeeds, b.notes[i].loneLineFeeds);
    }
    EXPECT_EQ(a.ctrlZ, b.ctrlZ);
    EXPECT_EQ(a.ctrlZLine, b.ctrlZLine);
    EXPECT_EQ(a.ctrlZColumn, b.ctrlZColumn);
    EXPECT_EQ(a.bytesAfterCtrlZ, b.bytesAfterCtrlZ);
}

class ScanAgreesWithLoader : public ::testing::TestWithParam<Fixture> {
protected:
    void TearDown() override { FreeTables(); }
};

TEST_P(ScanAgreesWithLoader, SameLinesAndEntries)
{
    const std::string& bytes = GetParam().bytes;
    TTableScan scan = ScanTableBytes(bytes);

    EXPECT_EQ(scan.lineCount, ReaderLineCount(bytes));
    TTextFile cpp, pascal;
    cpp.ResetFromBytes(bytes);
    pascal.ResetFromBytes(bytes);
    LoadTablesFrom(cpp, pascal);
    EXPECT_EQ(PairCount, std::max<std::size_t>(scan.lineCount, 1));

    // Noted lines: the entry is the cut line; other lines hold no lone LF
    // and are not longer than an entry.
    std::size_t next = 0;
    for (std::size_t k = 1; k <= scan.lineCount; ++k) {
        const std::string& entry = PatternTable[k];
        if (next < scan.notes.size() && scan.notes[next].line == k) {
            const TTableLineNote& note = scan.notes[next++];
            EXPECT_EQ(entry.size(), std::min<std::uint64_t>(note.length, MaxEntryLength)) << k;
            EXPECT_LE(std::count(entry.begin(), entry.end(), '\n'), note.loneLineFeeds) << k;
        } else {
            EXPECT_EQ(entry.find('\n'), std::string::npos) << k;
        }
    }
    EXPECT_EQ(next, scan.notes.size()) << "a note for a line the loader does not have";
}

TEST_P(ScanAgreesWithLoader, ChunksDoNotMatter)
{
    const std::string& bytes = GetParam().bytes;
    TTableScan whole = ScanTableBytes(bytes);
    std::size_t step = std::max<std::size_t>(1, bytes.size() / 64);
    for (std::size_t cut = 0; cut <= bytes.size(); cut += step) {
        SCOPED_TRACE(cut);
        TTableScanner scanner;
        scanner.Feed(std::string_view(bytes).substr(0, cut));
        scanner.Feed(std::string_view(bytes).substr(cut));
        ExpectSameScan(scanner.Finish(), whole);
    }
}

TEST_P(ScanAgreesWithLoader, FileReadsLikeBytes)
{
    const std::string& bytes = GetParam().bytes;
    // ctest runs the cases side by side: one file each.
    fs::path path = fs::path(::testing::TempDir()) /
                    ("tablescan_test_" + std::string(GetParam().name) + ".tap");
    {
        std::ofstream out(path, std::ios::binary);
        out << bytes;
    }
    ExpectSameScan(ScanTableFile(path.string()), ScanTableBytes(bytes));
    LoadTablesFromFiles(path.string(), path.string());
    EXPECT_EQ(PairCount, std::max<std::size_t>(ScanTableBytes(bytes).lineCount, 1));
    fs::remove(path);
}

const std::string k40(40, 'x');

std::string AllBytes()
{
    std::string s;
    for (int c = 0; c < 256; ++c) s += static_cast<char>(c);
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Files, ScanAgreesWithLoader,
    ::testing::Values(
        Fixture{"Empty", ""}, Fixture{"OneLineNoEnd", "a"}, Fixture{"CrLfLines", "a\r\nb\r\n"},
        Fixture{"BlankLineAtEnd", "a\r\n\r\n"}, Fixture{"LfOnly", "a\nb\n" + k40 + "\n"},
        Fixture{"LoneCr", "a\rb\r"}, Fixture{"LfCr", "a\n\rb"}, Fixture{"CrCrLf", "a\r\r\nb"},
        Fixture{"CrLfLf", "\r\n\n"}, Fixture{"LongLines", k40 + "\r\n" + k40 + k40 + "\r\nb"},
        Fixture{"CtrlZAtLineStart",
                "a\r\n\x1a"
                "b\r\n"},
        Fixture{"CtrlZInLine",
                "a\r\nb\x1a"
                "c\r\n"},
        Fixture{"CtrlZAlone", "\x1a"}, Fixture{"CtrlZAfterCr", "a\r\x1a\n"},
        Fixture{"CtrlZLast", "a\r\n\x1a"}, Fixture{"EveryByte", AllBytes() + "\r\n" + AllBytes()},
        // Longer than the reader's buffer, with the CR LF across its edge.
        Fixture{"LineAcrossBuffers", std::string(64 * 1024 - 1, 'y') + "\r\nz\r\n"},
        Fixture{"ManyLines",
                [] {
                    std::string s;
                    for (int i = 0; i < 20000; ++i) s += (i % 7 == 0 ? k40 : "ab") + "\r\n";
                    return s;
                }()}),
    [](const auto& info) { return std::string(info.param.name); });

struct CtrlZCase {
    const char* name;
    std::string bytes;
    std::size_t line;
    std::uint64_t column;
    std::uint64_t after;
};

void PrintTo(const CtrlZCase& c, std::ostream* os)
{
    *os << c.name;
}

class CtrlZPlace : public ::testing::TestWithParam<CtrlZCase> {};

TEST_P(CtrlZPlace, LineColumnAndRest)
{
    const CtrlZCase& c = GetParam();
    TTableScan scan = ScanTableBytes(c.bytes);
    ASSERT_TRUE(scan.ctrlZ);
    EXPECT_EQ(scan.ctrlZLine, c.line);
    EXPECT_EQ(scan.ctrlZColumn, c.column);
    EXPECT_EQ(scan.bytesAfterCtrlZ, c.after);
}

INSTANTIATE_TEST_SUITE_P(Files, CtrlZPlace,
                         ::testing::Values(CtrlZCase{"AtLineStart",
                                                     "a\r\n\x1a"
                                                     "bc\r\n",
                                                     2, 1, 4},
                                           CtrlZCase{"InLine",
                                                     "a\r\nbc\x1a"
                                                     "d",
                                                     2, 3, 1},
                                           CtrlZCase{"First", "\x1a\x1a", 1, 1, 1},
                                           CtrlZCase{"Last", "a\r\n\x1a", 2, 1, 0},
                                           // Only one LF after a CR belongs to the line end.
                                           CtrlZCase{"AfterCrLfLf", "a\r\n\n\x1a", 2, 2, 0},
                                           CtrlZCase{"AfterLoneLf", "a\n\x1a", 1, 3, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ScanTableFile, FailsLikeTheReader)
{
    for (std::string path : {std::string("/nonexistent/cpp.tap"), ::testing::TempDir()}) {
        SCOPED_TRACE(path);
        int readerCode = 0;
        try {
            TTextFile file;
            file.Reset(path);
        } catch (const EInOutError& e) {
            readerCode = e.ErrorCode();
        }
        ASSERT_NE(readerCode, 0);
        try {
            ScanTableFile(path);
            ADD_FAILURE() << "no error";
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.ErrorCode(), readerCode);
            EXPECT_EQ(e.FileName(), path);
        }
    }
}

}  // namespace
