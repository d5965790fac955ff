#include "platform/rtl/textfile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/rtl/errors.h"

namespace {

std::vector<std::string> ReadAll(const std::string& bytes, std::size_t keep = std::string::npos)
{
    TTextFile f;
    f.ResetFromBytes(bytes);
    std::vector<std::string> lines;
    while (!f.Eof()) {
        std::string line;
        f.ReadLine(line, keep);
        lines.push_back(line);
    }
    f.Close();
    return lines;
}

TEST(TextFile, LineEndRules)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(ReadAll(""), V{});
    EXPECT_EQ(ReadAll("a"), V{"a"});
    EXPECT_EQ(ReadAll("a\r\n"), V{"a"});
    EXPECT_EQ(ReadAll("a\r\n\r\n"), (V{"a", ""}));
    EXPECT_EQ(ReadAll("a\nb"), V{"a\nb"});
    EXPECT_EQ(ReadAll("\na"), V{"\na"});
    EXPECT_EQ(ReadAll("a\r\n\nb"), (V{"a", "\nb"}));
    EXPECT_EQ(ReadAll("a\x1a\r\nb"), V{"a"});
    EXPECT_EQ(ReadAll("abcdef\r\ngh", 3), (V{"abc", "gh"}));
}

TEST(TextFile, ReadingAtEndGivesEmptyLines)
{
    TTextFile f;
    f.ResetFromBytes("x");
    std::string line;
    f.ReadLine(line);
    EXPECT_EQ(line, "x");
    EXPECT_TRUE(f.Eof());
    f.ReadLine(line);
    EXPECT_EQ(line, "");
    f.Close();
}

TEST(TextFile, MissingFileRaisesWithCodeAndName)
{
    TTextFile f;
    try {
        f.Reset("/etc/passwd/cpp.tap");
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode(), 3);
        EXPECT_EQ(e.FileName(), "/etc/passwd/cpp.tap");
    }
}

}  // namespace
