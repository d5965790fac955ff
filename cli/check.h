// velmora-convert --check: facts about a pair of table files that follow for
// certain from the way the tables are read and applied, and that the files
// themselves do not show: lines that an LF alone does not end, entries that
// are cut, lines of one file without a partner in the other, empty patterns,
// text after a Ctrl-Z, patterns that can never match, and patterns that an
// earlier pattern is part of.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cli/tablescan.h"

// One fact, tied to a line of one of the table files.
struct TTableFinding {
    std::string file;  // the path as given, for "file:line: text"
    std::size_t line = 0;
    std::string text;

    bool operator==(const TTableFinding&) const = default;
};

// Finds the facts about the table that is loaded now (PairCount,
// PatternTable, ReplacementTable) and the scans of the two files it was
// loaded from. The findings come ordered by file (patterns first) and line.
std::vector<TTableFinding> FindTableFacts(const std::string& cppName, const TTableScan& cpp,
                                          const std::string& pascalName, const TTableScan& pascal);

// "file:line: text" and a line break.
std::string FormatFinding(const TTableFinding& finding);

// Runs the check on DIR/cpp.tap and DIR/pascal.tap (the current directory
// when tablesDir is empty), reading them as the program does, and writes the
// findings to standard output. Returns 0 when there is nothing to report, 1
// when something was reported, 2 when a table cannot be read or the report
// cannot be written (with a message on standard error).
int RunCheck(const std::string& tablesDir);
