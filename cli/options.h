// The command line of velmora-convert.
#pragma once

#include <string>
#include <vector>

enum class TMode { Convert, Check, TraceLine, TraceFile };

struct TOptions {
    TMode mode = TMode::Convert;
    std::string tablesDir;  // empty: the current directory
    std::string output;     // empty: standard output
    std::string outDir;     // empty: not given
    std::vector<std::string> sources;
    std::string traceLine;
    std::string traceFile;
};

// The text that --help shows.
extern const char* const kUsage;

// Parses the command line into options. Returns -1 to go on, or the exit
// status to end with: 0 after --help or --version (printed on standard
// output), 2 after a usage error (reported on standard error).
int ParseArguments(int argc, char** argv, TOptions& options);
