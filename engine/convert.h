// Line rewriting: applies every pair of the substitution table to one line.
//
// Plain text substitution, no tokenising: each pair, in table order, replaces
// the first occurrence of its pattern in the line as it stands at that
// moment, unless that occurrence starts exactly where the latest replacement
// in this line started (LastPos). Later pairs see what earlier pairs wrote.
// Positions count from 1; 0 means "not found".
#pragma once

#include <cstddef>
#include <string>

// Where the latest replacement in the line being rewritten started; 0 when
// none has been made in it yet. Reset at the start of every line.
extern std::size_t LastPos;

// Rewrites line in place with the whole table (pairs 1 to PairCount).
// Not reentrant: LastPos is shared. Pairs whose pattern cannot occur in the
// line are passed over without a search, so the cost grows with the line
// rather than with the size of the table.
void ConvertLine(std::string& line);

// The same rewriting as ConvertLine, done the plain way: every pair searches
// the line in turn. Kept as the reference that ConvertLine is measured and
// checked against.
void ConvertLinePlain(std::string& line);

// Applies one pair to line in place: replaces the first occurrence of pattern
// unless there is none, pattern is empty, or it starts at LastPos.
void ReplacePattern(const std::string& pattern, const std::string& replacement, std::string& line);

// Replaces the pattern's length of characters of line starting at position
// pos (1-based) with replacement, and records pos in LastPos.
void ReplaceAt(const std::string& pattern, const std::string& replacement, std::size_t pos,
               std::string& line);

// The 1-based position of the first occurrence of pattern in line, comparing
// bytes exactly; 0 when pattern is empty or does not occur.
std::size_t FirstOccurrence(const std::string& pattern, const std::string& line);

// Called by the table whenever it was loaded or released, so that conversion
// drops anything it derived from the previous table.
void TablesChanged();

// Converts a whole view text the way "Convert source" fills the result view:
// every line of text, cut to its first MaxConvertedLineLength characters, is
// rewritten with ConvertLine and appended to the result as a view line.
std::string ConvertSourceText(const std::string& text);
