// velmora-convert: the batch converter, and the tools for table authors.
//
// Without a mode option it produces exactly the bytes that opening a source
// in the window, "Convert source" and "Save dest" produce with the same
// tables. --check reports facts about the tables; --trace and --trace-file
// show how lines are rewritten, pair by pair.

#include <csignal>

#include "cli/batch.h"
#include "cli/check.h"
#include "cli/options.h"
#include "cli/trace.h"

int main(int argc, char** argv)
{
    // A closed pipe or a file-size limit must come back as a write error.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);

    TOptions options;
    int status = ParseArguments(argc, argv, options);
    if (status >= 0)
        return status;

    switch (options.mode) {
        case TMode::Check:
            return RunCheck(options.tablesDir);
        case TMode::TraceLine:
            return RunTraceLine(options.tablesDir, options.traceLine);
        case TMode::TraceFile:
            return RunTraceFile(options.tablesDir, options.traceFile);
        case TMode::Convert:
            break;
    }
    return RunConvert(options);
}
