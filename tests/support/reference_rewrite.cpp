#include "tests/support/reference_rewrite.h"

namespace reference {

namespace {

constexpr unsigned char kNul = 0;
constexpr unsigned char kLF = 10;
constexpr unsigned char kCR = 13;
constexpr unsigned char kCtrlZ = 26;

Bytes FirstBytes(const Bytes& bytes, std::size_t count)
{
    Bytes kept;
    for (std::size_t i = 0; i < bytes.size() && i < count; ++i) kept.push_back(bytes[i]);
    return kept;
}

void AppendCrLf(Bytes& out)
{
    out.push_back(kCR);
    out.push_back(kLF);
}

}  // namespace

Bytes ToBytes(std::string_view text)
{
    Bytes bytes;
    for (char c : text) bytes.push_back(static_cast<unsigned char>(c));
    return bytes;
}

std::string ToString(const Bytes& bytes)
{
    std::string text;
    for (unsigned char b : bytes) text.push_back(static_cast<char>(b));
    return text;
}

std::vector<Bytes> TableFileLines(const Bytes& file)
{
    // The file as far as it is read: up to its first Ctrl-Z.
    std::size_t end = 0;
    while (end < file.size() && file[end] != kCtrlZ) ++end;

    std::vector<Bytes> lines;
    Bytes current;
    bool lineOpen = false;  // something of a line that has not ended yet was read
    std::size_t i = 0;
    while (i < end) {
        unsigned char b = file[i];
        ++i;
        if (b == kCR) {
            lines.push_back(current);
            current.clear();
            lineOpen = false;
            if (i < end && file[i] == kLF) ++i;
        } else {
            current.push_back(b);
            lineOpen = true;
        }
    }
    if (lineOpen) lines.push_back(current);
    return lines;
}

Table ReadTable(const Bytes& cppFile, const Bytes& pascalFile)
{
    std::vector<Bytes> patterns = TableFileLines(cppFile);
    std::vector<Bytes> replacements = TableFileLines(pascalFile);
    std::size_t count = patterns.size();
    if (count == 0) count = 1;  // an empty "cpp.tap" still gives one, empty, pair

    Table table;
    for (std::size_t k = 0; k < count; ++k) {
        Pair pair;
        if (k < patterns.size()) pair.pattern = FirstBytes(patterns[k], kEntryLength);
        if (k < replacements.size()) pair.replacement = FirstBytes(replacements[k], kEntryLength);
        table.push_back(pair);
    }
    return table;
}

std::size_t FindFirst(const Bytes& pattern, const Bytes& line)
{
    if (pattern.empty() || pattern.size() > line.size()) return 0;
    for (std::size_t start = 0; start + pattern.size() <= line.size(); ++start) {
        bool same = true;
        for (std::size_t j = 0; j < pattern.size(); ++j) {
            if (line[start + j] != pattern[j]) {
                same = false;
                break;
            }
        }
        if (same) return start + 1;
    }
    return 0;
}

Rewritten RewriteLine(const Table& table, const Bytes& line)
{
    Rewritten result;
    result.line = line;
    result.lastPos = 0;
    if (line.empty()) return result;

    for (const Pair& pair : table) {
        std::size_t p = FindFirst(pair.pattern, result.line);
        if (p == 0 || p == result.lastPos) continue;
        result.lastPos = p;
        Bytes changed;
        for (std::size_t i = 0; i + 1 < p; ++i) changed.push_back(result.line[i]);
        for (unsigned char b : pair.replacement) changed.push_back(b);
        for (std::size_t i = p - 1 + pair.pattern.size(); i < result.line.size(); ++i)
            changed.push_back(result.line[i]);
        result.line = changed;
    }
    return result;
}

std::vector<Bytes> SourceLines(const Bytes& file)
{
    std::vector<Bytes> lines;
    Bytes current;
    std::size_t i = 0;
    while (i < file.size() && file[i] != kNul) {
        unsigned char b = file[i];
        ++i;
        if (b == kCR) {
            lines.push_back(current);
            current.clear();
            if (i < file.size() && file[i] == kLF) ++i;  // CR LF is one break
        } else if (b == kLF) {
            lines.push_back(current);
            current.clear();
        } else {
            current.push_back(b);
        }
    }
    // A text that does not end in a break ends in a non-empty piece.
    if (!current.empty()) lines.push_back(current);
    return lines;
}

Bytes SourceText(const Bytes& file)
{
    std::vector<Bytes> lines = SourceLines(file);
    std::size_t end = 0;
    while (end < file.size() && file[end] != kNul) ++end;
    bool endsInBreak = end > 0 && (file[end - 1] == kCR || file[end - 1] == kLF);

    Bytes text;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        for (unsigned char b : lines[k]) text.push_back(b);
        if (k + 1 < lines.size() || endsInBreak) AppendCrLf(text);
    }
    return text;
}

Bytes ConvertSource(const Table& table, const Bytes& file)
{
    Bytes result;
    for (const Bytes& line : SourceLines(file)) {
        Rewritten rewritten = RewriteLine(table, FirstBytes(line, kConvertedLineLength));
        for (unsigned char b : rewritten.line) result.push_back(b);
        AppendCrLf(result);
    }
    return result;
}

}  // namespace reference
