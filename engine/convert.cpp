#include "engine/convert.h"

#include "engine/table.h"
#include "platform/rtl/sourcetext.h"

std::size_t LastPos = 0;

std::size_t FirstOccurrence(const std::string& pattern, const std::string& line)
{
    if (pattern.empty()) return 0;
    std::size_t at = line.find(pattern);
    return at == std::string::npos ? 0 : at + 1;
}

void ReplaceAt(const std::string& pattern, const std::string& replacement, std::size_t pos,
               std::string& line)
{
    LastPos = pos;
    line.replace(pos - 1, pattern.size(), replacement);
}

void ReplacePattern(const std::string& pattern, const std::string& replacement,
                    std::string& line)
{
    std::size_t p = FirstOccurrence(pattern, line);
    if (p == 0 || p == LastPos) return;
    ReplaceAt(pattern, replacement, p, line);
}

void ConvertLine(std::string& line)
{
    LastPos = 0;
    if (line.empty()) return;
    for (std::size_t k = 1; k <= PairCount; ++k) {
        ReplacePattern(PatternTable[k], ReplacementTable[k], line);
    }
}

void TablesChanged() {}

std::string ConvertSourceText(const std::string& text)
{
    std::string result;
    result.reserve(text.size() + text.size() / 8);
    std::string line;
    for (std::string_view viewLine : ViewLines(text)) {
        line.assign(LineForConversion(viewLine));
        ConvertLine(line);
        AppendViewLine(result, line);
    }
    return result;
}
