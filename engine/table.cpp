#include "engine/table.h"

#include <limits>

#include "engine/convert.h"
#include "platform/rtl/errors.h"
#include "platform/rtl/textfile.h"

TPairCount PairCount = 0;
TEntryTable PatternTable;
TEntryTable ReplacementTable;

void TEntryTable::Store(std::size_t k, std::string entry)
{
    if (k == entries_.size() + 1) {
        entries_.push_back(std::move(entry));
    } else {
        entries_.at(k - 1) = std::move(entry);
    }
}

void TEntryTable::Release()
{
    entries_.clear();
    entries_.shrink_to_fit();
}

void LoadTables()
{
    LoadTablesFromFiles("cpp.tap", "pascal.tap");
}

void LoadTablesFromFiles(const std::string& patternPath, const std::string& replacementPath)
{
    PairCount = 0;
    TTextFile patterns;
    patterns.Reset(patternPath);
    TTextFile replacements;
    replacements.Reset(replacementPath);
    LoadTablesFrom(patterns, replacements);
}

void LoadTablesFrom(TTextFile& patterns, TTextFile& replacements)
{
    PairCount = 0;
    std::string line;
    do {
        if (PairCount == std::numeric_limits<TPairCount>::max())
            RaiseInOutError(8, patterns.Path());
        ++PairCount;
        patterns.ReadLine(line, MaxEntryLength);
        PatternTable.Store(PairCount, line);
        replacements.ReadLine(line, MaxEntryLength);
        ReplacementTable.Store(PairCount, line);
    } while (!patterns.Eof());
    patterns.Close();
    replacements.Close();
    TablesChanged();
}

void FreeTables()
{
    // The entries are released one by one in the design; storage is shared
    // here, so releasing a column releases every pair in it, including a pair
    // that was begun but never filled.
    PatternTable.Release();
    ReplacementTable.Release();
    // Nothing may read a released pair.
    PairCount = 0;
    TablesChanged();
}
