// Helpers that give the engine a table from pairs written inline.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "engine/table.h"
#include "platform/rtl/textfile.h"

using PairList = std::vector<std::pair<std::string, std::string>>;

// Joins entries into the bytes of a table file, each line ended by CR LF.
inline std::string TableFileBytes(const std::vector<std::string>& lines)
{
    std::string bytes;
    for (const auto& line : lines) bytes += line + "\r\n";
    return bytes;
}

// Loads pairs as the table, through the same reader the files go through.
inline void UseTable(const PairList& pairs)
{
    std::vector<std::string> patterns, replacements;
    for (const auto& [p, r] : pairs) {
        patterns.push_back(p);
        replacements.push_back(r);
    }
    TTextFile cpp, pascal;
    cpp.ResetFromBytes(TableFileBytes(patterns));
    pascal.ResetFromBytes(TableFileBytes(replacements));
    LoadTablesFrom(cpp, pascal);
}

// Loads a table straight from the bytes of the two files.
inline void UseTableBytes(const std::string& cppBytes, const std::string& pascalBytes)
{
    TTextFile cpp, pascal;
    cpp.ResetFromBytes(cppBytes);
    pascal.ResetFromBytes(pascalBytes);
    LoadTablesFrom(cpp, pascal);
}

inline PairList LoadedPairs()
{
    PairList pairs;
    for (std::size_t k = 1; k <= PairCount; ++k) pairs.emplace_back(PatternTable[k], ReplacementTable[k]);
    return pairs;
}
