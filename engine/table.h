// The substitution table: the ordered pattern -> replacement pairs that drive
// every conversion.
//
// Line k of "cpp.tap" is the pattern of pair k and line k of "pascal.tap" its
// replacement. The table is filled once by LoadTables, only read afterwards,
// and released by FreeTables. Pairs are numbered from 1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TTextFile;

// The room the design reserves for pairs. Loading does not stop there: a
// longer "cpp.tap" grows the table, and every one of its pairs applies.
inline constexpr std::size_t MaxPairs = 7000;

// An entry keeps at most this many characters of its line.
inline constexpr std::size_t MaxEntryLength = 30;

// Pair counts are 32 bits wide, so a table with more than 65535 lines does not
// wrap; loading refuses a table that would overflow even that.
using TPairCount = std::uint32_t;

// One column of the table: entries 1 to Count(), each at most MaxEntryLength
// bytes. Index 0 is not an entry.
class TEntryTable {
public:
    const std::string& operator[](std::size_t k) const { return entries_[k - 1]; }
    std::size_t Count() const { return entries_.size(); }

    // Stores entry k; k is at most Count() + 1.
    void Store(std::size_t k, std::string entry);
    // Releases every entry.
    void Release();

private:
    std::vector<std::string> entries_;
};

// The number of loaded pairs; 0 before loading.
extern TPairCount PairCount;
extern TEntryTable PatternTable;
extern TEntryTable ReplacementTable;

// Fills the table from "cpp.tap" and "pascal.tap" in the current working
// directory. Raises EInOutError (naming the file) when a file cannot be
// opened, read or closed; "cpp.tap" is opened first. After a completed load
// PairCount is at least 1.
void LoadTables();

// Like LoadTables, from the two named files.
void LoadTablesFromFiles(const std::string& patternPath, const std::string& replacementPath);

// Like LoadTables, from two opened text files; closes both.
void LoadTablesFrom(TTextFile& patterns, TTextFile& replacements);

// Releases pairs 1 to PairCount; releasing a pair that was begun but never
// filled does nothing.
void FreeTables();
