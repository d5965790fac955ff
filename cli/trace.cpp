#include "cli/trace.h"

#include <unistd.h>

#include <vector>

#include "cli/messages.h"
#include "cli/output.h"
#include "cli/printable.h"
#include "engine/convert.h"
#include "engine/table.h"
#include "platform/rtl/errors.h"
#include "platform/rtl/sourcetext.h"

void TraceLine(std::string& line,
               const std::function<void(const TTraceStep&, const std::string&)>& onStep)
{
    LastPos = 0;
    if (line.empty())
        return;
    for (std::size_t k = 1; k <= PairCount; ++k) {
        const std::string& pattern = PatternTable[k];
        std::size_t p = FirstOccurrence(pattern, line);
        if (p == 0)
            continue;
        TTraceStep step;
        step.pair = k;
        step.position = p;
        if (p != LastPos) {
            ReplaceAt(pattern, ReplacementTable[k], p, line);
            step.fired = true;
        }
        step.lastPos = LastPos;
        onStep(step, line);
    }
}

namespace {

// Writes the trace of one line under heading ("line", or "FILE:N" for line N of FILE).
void WriteTrace(const std::string& heading, std::string_view viewLine, const std::string& cppName,
                TReportOutput& out)
{
    std::string_view converted = LineForConversion(viewLine);
    out.Write(heading + ": " + Quoted(converted) + "\n");
    if (converted.size() < viewLine.size()) {
        out.Write("  (the line has " + std::to_string(viewLine.size()) +
                  " bytes; conversion sees only its first " +
                  std::to_string(MaxConvertedLineLength) + ")\n");
    }

    std::string line(converted);
    bool any = false;
    TraceLine(line, [&](const TTraceStep& step, const std::string& now) {
        any = true;
        std::string text = "  " + cppName + ":" + std::to_string(step.pair) + ": " +
                           Quoted(PatternTable[step.pair]) + " -> " +
                           Quoted(ReplacementTable[step.pair]);
        if (step.fired) {
            text += " at " + std::to_string(step.position) + ": " + Quoted(now) + ", LastPos " +
                    std::to_string(step.lastPos);
        } else {
            text += " skipped: found at " + std::to_string(step.position) + ", which is LastPos";
        }
        out.Write(text + "\n");
    });
    if (converted.empty()) {
        out.Write("  (an empty line is left as it is)\n");
    } else if (!any) {
        out.Write("  (no pattern occurs in the line)\n");
    }
    out.Write("result: " + Quoted(line) + ", LastPos " + std::to_string(LastPos) + "\n");
}

// Loads the tables for a trace; false (after a message) when they cannot be read.
bool LoadTablesFor(const std::string& tablesDir)
{
    try {
        LoadTablesFromFiles(JoinPath(tablesDir, "cpp.tap"), JoinPath(tablesDir, "pascal.tap"));
    } catch (const Exception& e) {
        Complain(e.FileName(), e.Message());
        FreeTables();
        return false;
    }
    return true;
}

int Finish(TReportOutput& out)
{
    FreeTables();
    if (!out.Flush()) {
        ComplainAboutOutput(out);
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace

int RunTraceLine(const std::string& tablesDir, const std::string& line)
{
    if (!LoadTablesFor(tablesDir))
        return kExitFailed;
    TReportOutput out(STDOUT_FILENO);
    WriteTrace("line", line, JoinPath(tablesDir, "cpp.tap"), out);
    return Finish(out);
}

int RunTraceFile(const std::string& tablesDir, const std::string& path)
{
    if (!LoadTablesFor(tablesDir))
        return kExitFailed;
    std::string text;
    try {
        text = LoadSourceText(path);
    } catch (const Exception& e) {
        Complain(path, e.Message());
        FreeTables();
        return kExitFailed;
    }

    TReportOutput out(STDOUT_FILENO);
    const std::string cppName = JoinPath(tablesDir, "cpp.tap");
    std::vector<std::string_view> lines = ViewLines(text);
    if (lines.empty())
        out.Write(path + ": no line to convert\n");
    for (std::size_t i = 0; i < lines.size() && !out.Failed(); ++i) {
        if (i > 0)
            out.Write("\n");
        WriteTrace(path + ":" + std::to_string(i + 1), lines[i], cppName, out);
    }
    return Finish(out);
}
