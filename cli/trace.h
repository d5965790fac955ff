// velmora-convert --trace: how one line is rewritten, pair by pair.
//
// The trace walks the table with the engine's own pieces (FirstOccurrence,
// ReplaceAt and LastPos) in the order and by the rules of ConvertLine, so it
// shows exactly what converting the line does.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

// One pair that found its pattern in the line.
struct TTraceStep {
    std::size_t pair = 0;      // its line number in the table files
    bool fired = false;        // false: skipped, its first match started at LastPos
    std::size_t position = 0;  // where its first match started
    std::size_t lastPos = 0;   // LastPos after the step
};

// Rewrites line in place as ConvertLine does and calls onStep for every pair
// that found its pattern, with the line as it stands after that pair.
// Leaves LastPos as ConvertLine leaves it.
void TraceLine(std::string& line,
               const std::function<void(const TTraceStep&, const std::string&)>& onStep);

// Runs --trace on LINE, which must hold no CR or LF, with the tables in
// tablesDir (the current directory when empty), and writes the trace to
// standard output. Returns 0, or 1 when a table cannot be read or the trace
// cannot be written.
int RunTraceLine(const std::string& tablesDir, const std::string& line);

// Runs --trace-file: traces every line of the file at path, read as the
// window reads a source file. Returns 0, or 1 when a file cannot be read or
// the trace cannot be written.
int RunTraceFile(const std::string& tablesDir, const std::string& path);
