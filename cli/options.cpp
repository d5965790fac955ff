#include "cli/options.h"

#include <iostream>

#include "cli/messages.h"

#ifndef VELMORA_VERSION
#define VELMORA_VERSION "unknown"
#endif

const char* const kUsage =
    "Usage: velmora-convert [--tables DIR] SOURCE [-o OUTPUT]\n"
    "       velmora-convert [--tables DIR] --out-dir DIR SOURCE...\n"
    "       velmora-convert [--tables DIR] --check\n"
    "       velmora-convert [--tables DIR] --trace LINE\n"
    "       velmora-convert [--tables DIR] --trace-file FILE\n"
    "\n"
    "Converts C source to Pascal text with the tables cpp.tap and pascal.tap,\n"
    "byte for byte as the Velmora window does.\n"
    "\n"
    "  --tables DIR       read cpp.tap and pascal.tap from DIR (default: the\n"
    "                     current directory, as the window does)\n"
    "  -o, --output F     write the result to F instead of standard output\n"
    "  --out-dir DIR      convert every SOURCE to DIR/NAME.pas, NAME being the\n"
    "                     source's file name without its extension\n"
    "  --check            report what the tables do that their files do not show:\n"
    "                     lines an LF alone does not end, entries cut to 30 bytes,\n"
    "                     lines without a partner in the other file, empty\n"
    "                     patterns, text after a Ctrl-Z, patterns that never match\n"
    "                     and patterns that an earlier pattern is part of\n"
    "  --trace LINE       show how LINE is converted: each pair that fires, with\n"
    "                     its line in cpp.tap, the position, LastPos and the line\n"
    "                     after it, and each pair skipped because its pattern\n"
    "                     stood at LastPos\n"
    "  --trace-file FILE  the same for every line of FILE, read as the window\n"
    "                     reads a source file\n"
    "  --help             show this help and exit\n"
    "  --version          show the version and exit\n"
    "\n"
    "--check and the traces number table lines as the tables are read: only a CR\n"
    "ends a line. They show entries and lines in single quotes, printable ASCII as\n"
    "it is and other bytes escaped: \\t tab, \\n LF, \\r CR, \\\\ backslash, \\' quote,\n"
    "\\xHH any other byte (\\x1a is Ctrl-Z, \\xe4 the byte 0xE4).\n"
    "\n"
    "Exit status: 0 on success, 1 when a file could not be read or written,\n"
    "2 on a usage error. With --check: 0 when nothing is reported, 1 when\n"
    "something is, 2 when a table cannot be read or the report cannot be\n"
    "written, or on a usage error.\n";

int ParseArguments(int argc, char** argv, TOptions& options)
{
    bool endOfOptions = false;
    bool check = false;
    int traces = 0;
    bool outputGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        // The next argument, taken whole even when it starts with '-'. An
        // empty one is refused: "-o $UNSET" must not fall back to a default.
        auto value = [&](std::string& into) -> bool {
            if (i + 1 >= argc)
                return false;
            into = argv[++i];
            return !into.empty();
        };
        if (endOfOptions || arg.empty() || arg[0] != '-' || arg == "-") {
            options.sources.push_back(arg);
        } else if (arg == "--") {
            endOfOptions = true;
        } else if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return kExitOk;
        } else if (arg == "--version") {
            std::cout << "velmora-convert " VELMORA_VERSION "\n";
            return kExitOk;
        } else if (arg == "--tables") {
            if (!value(options.tablesDir))
                return UsageError("--tables needs a folder");
        } else if (arg == "-o" || arg == "--output") {
            if (!value(options.output))
                return UsageError(arg + " needs a file name");
            outputGiven = true;
        } else if (arg == "--out-dir") {
            if (!value(options.outDir))
                return UsageError("--out-dir needs a folder");
        } else if (arg == "--check") {
            check = true;
        } else if (arg == "--trace") {
            // An empty LINE is a line like any other.
            if (i + 1 >= argc)
                return UsageError("--trace needs a line");
            options.traceLine = argv[++i];
            options.mode = TMode::TraceLine;
            ++traces;
        } else if (arg == "--trace-file") {
            if (!value(options.traceFile))
                return UsageError("--trace-file needs a file name");
            options.mode = TMode::TraceFile;
            ++traces;
        } else {
            return UsageError("unknown option '" + arg + "'");
        }
    }

    if (check || traces > 0) {
        const char* mode = check ? "--check" : "--trace";
        if (check && traces > 0)
            return UsageError("--check and --trace cannot be used together");
        if (traces > 1)
            return UsageError("give one --trace or --trace-file");
        if (!options.sources.empty())
            return UsageError(std::string(mode) + " takes no SOURCE");
        if (outputGiven || !options.outDir.empty())
            return UsageError(std::string(mode) + " writes to standard output only");
        if (check)
            options.mode = TMode::Check;
        if (options.mode == TMode::TraceLine &&
            options.traceLine.find_first_of("\r\n") != std::string::npos)
            return UsageError(
                "--trace takes a single line; put several lines in a file for --trace-file");
        return -1;
    }

    if (options.sources.empty())
        return UsageError("no SOURCE given");
    if (outputGiven && !options.outDir.empty())
        return UsageError("-o and --out-dir cannot be used together");
    if (options.outDir.empty() && options.sources.size() > 1)
        return UsageError("several SOURCE files need --out-dir");
    return -1;
}
