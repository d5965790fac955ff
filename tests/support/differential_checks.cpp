#include "tests/support/differential_checks.h"

#include <cstdio>
#include <string>
#include <vector>

#include "engine/convert.h"
#include "engine/table.h"
#include "platform/rtl/errors.h"
#include "platform/rtl/sourcetext.h"
#include "platform/rtl/textfile.h"
#include "tests/support/reference_rewrite.h"

namespace differential {

namespace {

using reference::Bytes;
using reference::ToBytes;
using reference::ToString;

// Releases the table however the check ends.
struct TableRelease {
    ~TableRelease() { FreeTables(); }
};

void LoadEngineTable(std::string_view cpp, std::string_view pascal)
{
    TTextFile patterns;
    TTextFile replacements;
    patterns.ResetFromBytes(std::string(cpp));
    replacements.ResetFromBytes(std::string(pascal));
    LoadTablesFrom(patterns, replacements);
}

// "" when the loaded table is exactly expected.
std::string CompareTable(const reference::Table& expected)
{
    if (PairCount != expected.size()) {
        return "PairCount " + std::to_string(PairCount) + ", reference " +
               std::to_string(expected.size());
    }
    for (std::size_t k = 1; k <= expected.size(); ++k) {
        const std::string pattern = ToString(expected[k - 1].pattern);
        const std::string replacement = ToString(expected[k - 1].replacement);
        if (PatternTable[k] != pattern) {
            return "pattern " + std::to_string(k) + " is \"" + Escaped(PatternTable[k]) +
                   "\", reference \"" + Escaped(pattern) + "\"";
        }
        if (ReplacementTable[k] != replacement) {
            return "replacement " + std::to_string(k) + " is \"" + Escaped(ReplacementTable[k]) +
                   "\", reference \"" + Escaped(replacement) + "\"";
        }
    }
    return {};
}

std::string LoadAndCompareTable(std::string_view cpp, std::string_view pascal)
{
    try {
        LoadEngineTable(cpp, pascal);
    } catch (const Exception& e) {
        return "loading the table from memory raised \"" + e.Message() + "\"";
    }
    std::string difference = CompareTable(reference::ReadTable(ToBytes(cpp), ToBytes(pascal)));
    if (!difference.empty()) {
        return difference + " (cpp.tap \"" + Escaped(cpp) + "\", pascal.tap \"" + Escaped(pascal) +
               "\")";
    }
    return {};
}

// The table CheckSourceText converts with: rewriting rules that make lines
// grow, shrink and chain, plus a tab and a byte above 127.
const char kSourceCpp[] =
    "==\r\n!=\r\n=\r\n{\r\n}\r\n/*\r\n*/\r\nint\r\na\r\nc\r\n\t\r\n\xE4\r\n->\r\n^\r\n";
const char kSourcePascal[] =
    "=\r\n<>\r\n:=\r\nbegin\r\nend;\r\n{\r\n}\r\nInteger\r\nbc\r\nd\r\n  \r\nae\r\n^.\r\n"
    "pointer\r\n";

std::string_view Part(std::string_view input, std::size_t& from)
{
    if (from > input.size()) return {};
    std::size_t nul = input.find('\0', from);
    if (nul == std::string_view::npos) nul = input.size();
    std::string_view part = input.substr(from, nul - from);
    from = nul + 1;
    return part;
}

}  // namespace

std::string Escaped(std::string_view bytes, std::size_t limit)
{
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == limit) {
            out += "... (" + std::to_string(bytes.size()) + " bytes)";
            break;
        }
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b == '\\' || b == '"') {
            out += '\\';
            out += static_cast<char>(b);
        } else if (b >= 32 && b < 127) {
            out += static_cast<char>(b);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        }
    }
    return out;
}

std::string CheckTableLoading(std::string_view input)
{
    TableRelease release;
    std::size_t split = 0;
    if (input.size() >= 2) {
        split = static_cast<unsigned char>(input[0]) | static_cast<unsigned char>(input[1]) << 8;
        input.remove_prefix(2);
        split %= input.size() + 1;
    } else {
        input = {};
    }
    std::string difference = LoadAndCompareTable(input.substr(0, split), input.substr(split));
    if (!difference.empty()) return difference;
    FreeTables();
    if (PairCount != 0) return "PairCount " + std::to_string(PairCount) + " after FreeTables";
    return {};
}

std::string CheckSourceText(std::string_view input)
{
    std::size_t capacity = MemoCapacity;
    if (!input.empty()) {
        unsigned char selector = static_cast<unsigned char>(input[0]);
        if (selector < 128) capacity = std::size_t{selector} * 4;
        input.remove_prefix(1);
    }
    const Bytes file = ToBytes(input);
    const Bytes expectedText = reference::SourceText(file);
    const std::vector<Bytes> expectedLines = reference::SourceLines(file);
    const std::string where =
        " (source \"" + Escaped(input) + "\", capacity " + std::to_string(capacity) + ")";

    std::string text;
    try {
        text = SourceTextFromBytes(input, "fuzz.c", capacity);
    } catch (const ETextCapacityError& e) {
        if (expectedText.size() <= capacity) {
            return "capacity error for a text of " + std::to_string(expectedText.size()) +
                   " bytes" + where;
        }
        if (e.FileName() != "fuzz.c")
            return "capacity error names \"" + e.FileName() + "\"" + where;
        return {};
    } catch (const Exception& e) {
        return "SourceTextFromBytes raised \"" + e.Message() + "\"" + where;
    }
    if (text.size() > capacity) {
        return "text of " + std::to_string(text.size()) + " bytes exceeds the capacity" + where;
    }
    if (text != ToString(expectedText)) {
        return "text \"" + Escaped(text) + "\", reference \"" + Escaped(ToString(expectedText)) +
               "\"" + where;
    }

    // Every break of a view text is CR LF, and nothing follows a NUL.
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\0') return "NUL in text at " + std::to_string(i) + where;
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))
            return "lone CR in text at " + std::to_string(i) + where;
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            return "lone LF in text at " + std::to_string(i) + where;
    }
    if (SourceTextFromBytes(text, {}, capacity) != text)
        return "text not stable when reloaded" + where;

    std::vector<std::string_view> lines = ViewLines(text);
    if (lines.size() != expectedLines.size()) {
        return std::to_string(lines.size()) + " lines, reference " +
               std::to_string(expectedLines.size()) + where;
    }
    std::string rebuilt;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (std::string(lines[i]) != ToString(expectedLines[i])) {
            return "line " + std::to_string(i) + " \"" + Escaped(lines[i]) + "\", reference \"" +
                   Escaped(ToString(expectedLines[i])) + "\"" + where;
        }
        AppendViewLine(rebuilt, lines[i]);
    }
    // Appending the lines gives the text back, with a final break in any case.
    bool endsInBreak = text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0;
    if (rebuilt != (text.empty() || endsInBreak ? text : text + "\r\n"))
        return "appending the lines gives \"" + Escaped(rebuilt) + "\"" + where;

    // Loading a table costs far more than the rest of this check, so the
    // fixed table stays loaded from one input to the next.
    static const reference::Table sourceTable =
        reference::ReadTable(ToBytes(kSourceCpp), ToBytes(kSourcePascal));
    if (!CompareTable(sourceTable).empty()) {
        std::string difference = LoadAndCompareTable(kSourceCpp, kSourcePascal);
        if (!difference.empty()) return difference;
    }
    const std::string result = ConvertSourceText(text);
    const std::string expectedResult = ToString(reference::ConvertSource(sourceTable, file));
    if (result != expectedResult) {
        return "converted \"" + Escaped(result) + "\", reference \"" + Escaped(expectedResult) +
               "\"" + where;
    }
    return {};
}

std::string CheckLineRewriting(std::string_view input)
{
    TableRelease release;
    std::size_t from = 0;
    std::string_view cpp = Part(input, from);
    std::string_view pascal = Part(input, from);
    std::string_view lines = from <= input.size() ? input.substr(from) : std::string_view{};

    std::string difference = LoadAndCompareTable(cpp, pascal);
    if (!difference.empty()) return difference;
    const reference::Table table = reference::ReadTable(ToBytes(cpp), ToBytes(pascal));

    // Lines one after another: nothing may carry over from one to the next.
    std::size_t start = 0;
    for (;;) {
        std::size_t end = lines.find('\n', start);
        if (end == std::string_view::npos) end = lines.size();
        std::string line(lines.substr(start, end - start));
        const reference::Rewritten expected = reference::RewriteLine(table, ToBytes(line));
        const std::string before = line;
        LastPos = 12345;  // whatever the previous line left
        ConvertLine(line);
        if (line != ToString(expected.line) || LastPos != expected.lastPos) {
            return "line \"" + Escaped(before) + "\" became \"" + Escaped(line) +
                   "\" with LastPos " + std::to_string(LastPos) + ", reference \"" +
                   Escaped(ToString(expected.line)) + "\" with LastPos " +
                   std::to_string(expected.lastPos) + " (cpp.tap \"" + Escaped(cpp) +
                   "\", pascal.tap \"" + Escaped(pascal) + "\")";
        }
        if (end == lines.size()) break;
        start = end + 1;
    }
    return {};
}

}  // namespace differential
