// Engine against reference, one input at a time.
//
// Each check takes raw bytes, runs them through the engine and through the
// plain implementation in reference_rewrite.h, and returns an empty string
// when both agree and every invariant holds, otherwise a description of the
// first difference. The fuzz targets abort on a description; the regression
// tests replay the fuzz corpora and every saved finding through the same
// checks. Each check loads the table it needs; CheckTableLoading and
// CheckLineRewriting release theirs before returning, CheckSourceText keeps its
// fixed table loaded for the next call.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace differential {

// Input: two bytes, little-endian, give the length of "cpp.tap" (taken modulo
// what is left, plus one); the bytes after them are "cpp.tap" followed by
// "pascal.tap". Compares PairCount and every entry.
std::string CheckTableLoading(std::string_view input);

// Input: the first byte chooses the view capacity (below 128: that byte times
// 4; otherwise the real capacity); the rest are the bytes of a source file.
// Checks the view text and lines, their invariants, the capacity error, and
// the result of converting the text with a small fixed table.
std::string CheckSourceText(std::string_view input);

// Input: "cpp.tap" bytes, NUL, "pascal.tap" bytes, NUL, then lines separated
// by LF (a missing part is empty). Loads the table from the two files and
// rewrites the lines one after another, comparing each line and LastPos.
std::string CheckLineRewriting(std::string_view input);

// Bytes as C-style escaped text, for messages.
std::string Escaped(std::string_view bytes, std::size_t limit = 200);

}  // namespace differential
