#include "platform/rtl/sourcetext.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/rtl/errors.h"

using namespace std::string_literals;

namespace {

namespace fs = std::filesystem;

struct TextCase {
    const char* name;
    std::string file;
    std::string viewText;
    std::vector<std::string> lines;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class SourceTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(SourceTextTest, GivesViewTextAndLines)
{
    const TextCase& c = GetParam();
    std::string text = SourceTextFromBytes(c.file);
    EXPECT_EQ(text, c.viewText);
    std::vector<std::string> lines;
    for (auto line : ViewLines(text)) lines.emplace_back(line);
    EXPECT_EQ(lines, c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Breaks, SourceTextTest,
    ::testing::Values(
        TextCase{"Empty", "", "", {}},
        TextCase{"NoBreak", "abc", "abc", {"abc"}},
        TextCase{"CrLf", "a\r\nb\r\n", "a\r\nb\r\n", {"a", "b"}},
        TextCase{"LoneLf", "a\nb\n", "a\r\nb\r\n", {"a", "b"}},
        TextCase{"LoneCr", "a\rb", "a\r\nb", {"a", "b"}},
        TextCase{"LfCrIsTwoBreaks", "a\n\rb", "a\r\n\r\nb", {"a", "", "b"}},
        TextCase{"CrCrLf", "a\r\r\nb", "a\r\n\r\nb", {"a", "", "b"}},
        TextCase{"OnlyBreak", "\n", "\r\n", {""}},
        TextCase{"BlankLinesKept", "\r\n\r\nx\r\n\r\n", "\r\n\r\nx\r\n\r\n", {"", "", "x", ""}},
        TextCase{"NulEndsText", "ab\r\ncd\0ef\r\n"s, "ab\r\ncd", {"ab", "cd"}},
        TextCase{"NulFirst", "\0abc"s, "", {}},
        TextCase{"CtrlZIsOrdinary", "a\x1a" "b", "a\x1a" "b", {"a\x1a" "b"}},
        TextCase{"HighBytesKept", "\xA0\xFF\x80\r\n", "\xA0\xFF\x80\r\n", {"\xA0\xFF\x80"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SourceText, EveryNonNulByteValueSurvives)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        if (b != '\r' && b != '\n') all += static_cast<char>(b);
    std::string text = SourceTextFromBytes(all + "\n" + all);
    EXPECT_EQ(text, all + "\r\n" + all);
}

TEST(SourceText, TextAboveCapacityIsRefused)
{
    EXPECT_EQ(SourceTextFromBytes("abcd", "f", 4), "abcd");
    EXPECT_THROW(SourceTextFromBytes("abcde", "f", 4), ETextCapacityError);
    // Lone LF breaks grow into CR LF, and that is what counts.
    EXPECT_THROW(SourceTextFromBytes("a\nb\n", "f", 5), ETextCapacityError);
    // Bytes after a NUL never reach the view, so they do not count.
    EXPECT_EQ(SourceTextFromBytes("ab\0cdefgh"s, "f", 4), "ab");
}

TEST(ViewText, AppendFollowsTheViewRule)
{
    std::string text;
    AppendViewLine(text, "a");
    EXPECT_EQ(text, "a\r\n");
    AppendViewLine(text, "");
    EXPECT_EQ(text, "a\r\n\r\n");
    std::string noBreak = "x";
    AppendViewLine(noBreak, "y");
    EXPECT_EQ(noBreak, "x\r\ny");
}

TEST(ViewText, ConversionSeesFirst4096Characters)
{
    std::string line(5000, 'q');
    EXPECT_EQ(LineForConversion(line).size(), 4096u);
    EXPECT_EQ(LineForConversion("short"), "short");
}

class SourceFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/velmora-src-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        dir_ = name;
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const char* name) const { return (dir_ / name).string(); }
    fs::path dir_;
};

TEST_F(SourceFileTest, ReadsWholeFileAcrossChunks)
{
    // A CR LF split between two reads must stay one break.
    std::string bytes(256 * 1024 - 1, 'x');
    bytes += "\r\ny\n";
    std::ofstream(Path("big.c"), std::ios::binary) << bytes;
    std::string text = LoadSourceText(Path("big.c"));
    EXPECT_EQ(text, std::string(256 * 1024 - 1, 'x') + "\r\ny\r\n");
}

TEST_F(SourceFileTest, UnopenableFilesRaiseOpenError)
{
    fs::create_directory(Path("dir.c"));
    ASSERT_EQ(::mkfifo(Path("pipe.c").c_str(), 0600), 0);
    for (const char* name : {"missing.c", "dir.c", "pipe.c"}) {
        try {
            LoadSourceText(Path(name));
            ADD_FAILURE() << name << ": no error";
        } catch (const EFOpenError& e) {
            EXPECT_EQ(e.Message(), "Datei " + Path(name) + " kann nicht geöffnet werden");
        }
    }
    EXPECT_THROW(LoadSourceText("/dev/zero"), EFOpenError);
}

TEST_F(SourceFileTest, HugeFileFailsWithCapacityErrorWithoutReadingItAll)
{
    // A sparse file would read as NULs and end the text at once, so the file
    // is written out to just past the capacity.
    std::string path = Path("huge.c");
    {
        std::ofstream out(path, std::ios::binary);
        std::string block(1 << 20, 'z');
        for (std::size_t i = 0; i <= MemoCapacity / block.size(); ++i) out << block;
    }
    EXPECT_THROW(LoadSourceText(path), ETextCapacityError);
}

}  // namespace
