// A second, deliberately plain implementation of the conversion rules: how
// the table files are read, how one line is rewritten, and how a source file
// becomes view lines and a result file.
//
// It shares no code with the engine or the run-time library and works on raw
// byte vectors with explicit loops, so that it stays easy to check by eye.
// Tests, fuzz targets and benchmarks compare the engine against it; speed is
// of no concern here.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace reference {

using Bytes = std::vector<unsigned char>;

Bytes ToBytes(std::string_view text);
std::string ToString(const Bytes& bytes);

// The longest entry a table keeps, and the most characters of a source line
// that conversion sees.
inline constexpr std::size_t kEntryLength = 30;
inline constexpr std::size_t kConvertedLineLength = 4096;

struct Pair {
    Bytes pattern;
    Bytes replacement;
};

// The pairs in table order: element 0 is pair 1.
using Table = std::vector<Pair>;

// The lines of a table file, whole (not cut to kEntryLength). The file stops
// at its first Ctrl-Z; a CR ends a line and swallows one LF right after it;
// any other LF is data; a break at the very end starts no further line, so an
// empty file has no lines at all.
std::vector<Bytes> TableFileLines(const Bytes& file);

// The table that "cpp.tap" and "pascal.tap" with these contents give: one
// pair per line of cppFile, at least one pair, entries cut to kEntryLength,
// missing replacement lines empty.
Table ReadTable(const Bytes& cppFile, const Bytes& pascalFile);

struct Rewritten {
    Bytes line;
    std::size_t lastPos = 0;  // where the latest replacement started, 1-based; 0 for none
};

// The 1-based position of the first occurrence of pattern in line; 0 when
// pattern is empty or absent.
std::size_t FindFirst(const Bytes& pattern, const Bytes& line);

// Applies every pair of table to line, in order, each at most once at its
// first occurrence, skipping a pair whose first occurrence starts where the
// latest replacement in this line started.
Rewritten RewriteLine(const Table& table, const Bytes& line);

// The view lines a source file's bytes give: everything from the first NUL on
// is dropped; CR LF, a lone CR and a lone LF each end a line; a break at the
// very end starts no further line.
std::vector<Bytes> SourceLines(const Bytes& file);

// The view text of a source file: its lines, each break written as CR LF,
// ending in CR LF exactly when the file (up to its first NUL) ended in a break.
Bytes SourceText(const Bytes& file);

// The result file that converting the source file gives: each view line cut to
// kConvertedLineLength characters, rewritten, and followed by CR LF.
Bytes ConvertSource(const Table& table, const Bytes& file);

}  // namespace reference
