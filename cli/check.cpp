#include "cli/check.h"

#include <unistd.h>

#include <algorithm>
#include <map>
#include <unordered_map>

#include "cli/messages.h"
#include "cli/output.h"
#include "cli/printable.h"
#include "engine/table.h"
#include "platform/rtl/errors.h"

namespace {

constexpr char kLF = 10;
constexpr char kNUL = 0;

std::string Count(std::uint64_t n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

class TFindings {
public:
    TFindings(const std::string& cppName, const std::string& pascalName)
        : cppName_(cppName), pascalName_(pascalName)
    {
    }

    void Pattern(std::size_t line, std::string text) { Add(0, cppName_, line, std::move(text)); }
    void Replacement(std::size_t line, std::string text)
    {
        Add(1, pascalName_, line, std::move(text));
    }

    std::vector<TTableFinding> Sorted()
    {
        std::stable_sort(found_.begin(), found_.end(), [](const Entry& a, const Entry& b) {
            return a.file != b.file ? a.file < b.file : a.finding.line < b.finding.line;
        });
        std::vector<TTableFinding> out;
        for (auto& e : found_) out.push_back(std::move(e.finding));
        return out;
    }

private:
    struct Entry {
        int file;
        TTableFinding finding;
    };
    void Add(int file, const std::string& name, std::size_t line, std::string text)
    {
        found_.push_back({file, {name, line, std::move(text)}});
    }

    const std::string& cppName_;
    const std::string& pascalName_;
    std::vector<Entry> found_;
};

// What the scan of one file shows about its lines and its end.
void FindLayoutFacts(const TTableScan& scan, bool patterns, TFindings& findings)
{
    auto add = [&](std::size_t line, std::string text) {
        if (patterns) {
            findings.Pattern(line, std::move(text));
        } else {
            findings.Replacement(line, std::move(text));
        }
    };

    bool oneLineFile =
        scan.lineCount == 1 && !scan.notes.empty() && scan.notes[0].loneLineFeeds > 0;
    if (oneLineFile) {
        const TTableLineNote& note = scan.notes[0];
        std::string text =
            "its lines end in LF alone, but only a CR ends a line: the whole file is "
            "one line of " +
            Count(note.length, "byte", "bytes");
        if (note.length > MaxEntryLength)
            text += ", of which only the first " + std::to_string(MaxEntryLength) + " are used";
        text +=
            patterns ? ", so the table has a single pair" : ", so it gives a single replacement";
        add(1, text);
    } else {
        for (const TTableLineNote& note : scan.notes) {
            if (note.loneLineFeeds == 1) {
                add(note.line,
                    "holds an LF without a CR before it; only a CR ends a line, so the "
                    "text after that LF still belongs to this line");
            } else if (note.loneLineFeeds > 1) {
                add(note.line, "holds " + std::to_string(note.loneLineFeeds) +
                                   " LFs without a CR before them; only a CR ends a line, so the "
                                   "text after them still belongs to this line");
            }
            if (note.length > MaxEntryLength) {
                add(note.line, "entry is " + std::to_string(note.length) +
                                   " bytes long; only its first " + std::to_string(MaxEntryLength) +
                                   " are used");
            }
        }
    }

    if (scan.ctrlZ && scan.bytesAfterCtrlZ > 0) {
        std::string where = scan.ctrlZColumn == 1
                                ? "Ctrl-Z at the start of this line ends the file"
                                : "Ctrl-Z at byte " + std::to_string(scan.ctrlZColumn) +
                                      " of this line ends the line and the file";
        std::string rest =
            scan.bytesAfterCtrlZ == 1
                ? "the byte after it is never read"
                : "the " + std::to_string(scan.bytesAfterCtrlZ) + " bytes after it are never read";
        add(scan.ctrlZLine, where + "; " + rest);
    }
}

// Lines of one file without a partner in the other.
void FindCountFacts(const TTableScan& cpp, const TTableScan& pascal, TFindings& findings)
{
    const std::size_t cppLines = cpp.lineCount;
    const std::size_t pascalLines = pascal.lineCount;
    if (pascalLines > PairCount) {
        std::size_t extra = pascalLines - PairCount;
        std::string text = extra == 1   ? "this line is never read"
                           : extra == 2 ? "this line and the one after it are never read"
                                        : "this line and the " + std::to_string(extra - 1) +
                                              " after it are never read";
        if (cppLines == 0) {
            text += ": cpp.tap holds no line, so the table has a single pair";
        } else {
            text += ": the table has only " + Count(PairCount, "pair", "pairs") +
                    ", one for each line of cpp.tap";
        }
        findings.Replacement(PairCount + 1, text);
    }
    if (pascalLines < cppLines) {
        std::size_t missing = cppLines - pascalLines;
        std::string text = pascalLines == 0
                               ? "pascal.tap holds no line"
                               : "pascal.tap has only " + Count(pascalLines, "line", "lines");
        if (missing == 1) {
            text +=
                ", so this pair gets an empty replacement: its pattern is deleted where it "
                "matches";
        } else if (missing == 2) {
            text +=
                ", so this pair and the one after it get empty replacements: their patterns "
                "are deleted where they match";
        } else {
            text += ", so this pair and the " + std::to_string(missing - 1) +
                    " after it get empty replacements: their patterns are deleted where they "
                    "match";
        }
        findings.Pattern(pascalLines + 1, text);
    }
}

// Patterns that can never match, and patterns that the pattern of an earlier
// pair that changes text is part of. Source lines never hold an LF (it ends a source line) or a NUL
// (it ends the source text), so a pattern with one of them can only match where an earlier
// replacement put it in.
void FindPatternFacts(const TTableScan& cpp, TFindings& findings)
{
    bool replacementsHoldLF = false;
    bool replacementsHoldNUL = false;
    // Each pattern that may match and change the line, with the first line it
    // stands on. A pair whose replacement is its own pattern leaves the text
    // as it was (it only moves LastPos), so it cannot rewrite a later pattern.
    std::unordered_map<std::string, std::size_t> earlier;

    for (std::size_t k = 1; k <= PairCount; ++k) {
        const std::string& pattern = PatternTable[k];
        if (pattern.empty()) {
            if (cpp.lineCount == 0) {
                findings.Pattern(k, std::string("the file holds no line") +
                                        (cpp.ctrlZ ? " before its Ctrl-Z" : "") +
                                        ", which still gives one pair, with an empty pattern: "
                                        "it never matches");
            } else if (k == PairCount && k > 1) {
                findings.Pattern(k,
                                 "empty pattern (the file ends with an empty line): it never "
                                 "matches, so this pair does nothing");
            } else {
                findings.Pattern(k, "empty pattern: it never matches, so this pair does nothing");
            }
        } else if (!replacementsHoldLF && pattern.find(kLF) != std::string::npos) {
            findings.Pattern(k,
                             "pattern holds an LF, which no source line holds (an LF ends a "
                             "source line) and no earlier replacement puts in, so it never "
                             "matches");
        } else if (!replacementsHoldNUL && pattern.find(kNUL) != std::string::npos) {
            findings.Pattern(k,
                             "pattern holds a NUL byte, which no source line holds (a NUL "
                             "ends the source text) and no earlier replacement puts in, so "
                             "it never matches");
        } else {
            std::map<std::size_t, std::string> parts;  // by line
            for (std::size_t from = 0; from < pattern.size(); ++from) {
                for (std::size_t len = 1; from + len <= pattern.size(); ++len) {
                    auto it = earlier.find(pattern.substr(from, len));
                    if (it != earlier.end())
                        parts.emplace(it->second, it->first);
                }
            }
            if (parts.size() == 1 && parts.begin()->second == pattern) {
                findings.Pattern(k, "pattern " + Quoted(pattern) +
                                        " is the same as the pattern of line " +
                                        std::to_string(parts.begin()->first) +
                                        ", which is applied first and may rewrite it, so this "
                                        "pattern may never match as written");
            } else if (parts.size() == 1) {
                findings.Pattern(k, "pattern " + Quoted(pattern) + " contains the pattern " +
                                        Quoted(parts.begin()->second) + " of line " +
                                        std::to_string(parts.begin()->first) +
                                        ", which is applied first and may rewrite it, so this "
                                        "pattern may never match as written");
            } else if (!parts.empty()) {
                std::string list;
                std::size_t i = 0;
                for (const auto& [line, part] : parts) {
                    if (i > 0)
                        list += i + 1 == parts.size() ? " and " : ", ";
                    list += std::to_string(line) + " (" + Quoted(part) + ")";
                    ++i;
                }
                findings.Pattern(k, "pattern " + Quoted(pattern) +
                                        " contains the patterns of lines " + list +
                                        ", which are applied first and may rewrite them, so "
                                        "this pattern may never match as written");
            }
            if (ReplacementTable[k] != pattern)
                earlier.emplace(pattern, k);
        }
        const std::string& replacement = ReplacementTable[k];
        replacementsHoldLF = replacementsHoldLF || replacement.find(kLF) != std::string::npos;
        replacementsHoldNUL = replacementsHoldNUL || replacement.find(kNUL) != std::string::npos;
    }
}

}  // namespace

std::vector<TTableFinding> FindTableFacts(const std::string& cppName, const TTableScan& cpp,
                                          const std::string& pascalName, const TTableScan& pascal)
{
    TFindings findings(cppName, pascalName);
    FindLayoutFacts(cpp, true, findings);
    FindLayoutFacts(pascal, false, findings);
    FindCountFacts(cpp, pascal, findings);
    FindPatternFacts(cpp, findings);
    return findings.Sorted();
}

std::string FormatFinding(const TTableFinding& finding)
{
    return finding.file + ":" + std::to_string(finding.line) + ": " + finding.text + "\n";
}

int RunCheck(const std::string& tablesDir)
{
    const std::string cppPath = JoinPath(tablesDir, "cpp.tap");
    const std::string pascalPath = JoinPath(tablesDir, "pascal.tap");

    std::vector<TTableFinding> findings;
    try {
        // The entries come from the program's own loader, the rest from a
        // second reading of the raw bytes by the same rules.
        LoadTablesFromFiles(cppPath, pascalPath);
        TTableScan cpp = ScanTableFile(cppPath);
        TTableScan pascal = ScanTableFile(pascalPath);
        if (PairCount != std::max<std::size_t>(cpp.lineCount, 1)) {
            Complain(cppPath, "the file changed while it was checked; run the check again");
            FreeTables();
            return kExitCheckTrouble;
        }
        findings = FindTableFacts(cppPath, cpp, pascalPath, pascal);
    } catch (const Exception& e) {
        Complain(e.FileName(), e.Message());
        FreeTables();
        return kExitCheckTrouble;
    }
    FreeTables();

    TReportOutput out(STDOUT_FILENO);
    for (const TTableFinding& finding : findings) out.Write(FormatFinding(finding));
    if (!out.Flush()) {
        ComplainAboutOutput(out);
        return kExitCheckTrouble;
    }
    return findings.empty() ? kExitOk : kExitCheckFindings;
}
