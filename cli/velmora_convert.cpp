// velmora-convert: the batch converter.
//
// Produces exactly the bytes that opening a source in the window, "Convert
// source" and "Save dest" produce with the same tables, without a window.

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "engine/convert.h"
#include "engine/table.h"
#include "platform/rtl/errors.h"
#include "platform/rtl/fileio.h"
#include "platform/rtl/sourcetext.h"

#ifndef VELMORA_VERSION
#define VELMORA_VERSION "unknown"
#endif

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

const char* const kUsage =
    "Usage: velmora-convert [--tables DIR] SOURCE [-o OUTPUT]\n"
    "       velmora-convert [--tables DIR] --out-dir DIR SOURCE...\n"
    "\n"
    "Converts C source to Pascal text with the tables cpp.tap and pascal.tap,\n"
    "byte for byte as the Velmora window does.\n"
    "\n"
    "  --tables DIR    read cpp.tap and pascal.tap from DIR (default: the\n"
    "                  current directory, as the window does)\n"
    "  -o, --output F  write the result to F instead of standard output\n"
    "  --out-dir DIR   convert every SOURCE to DIR/NAME.pas, NAME being the\n"
    "                  source's file name without its extension\n"
    "  --help          show this help and exit\n"
    "  --version       show the version and exit\n"
    "\n"
    "Exit status: 0 on success, 1 when a file could not be read or written,\n"
    "2 on a usage error.\n";

struct Options {
    std::string tablesDir;
    std::string output;
    std::string outDir;
    std::vector<std::string> sources;
};

void Complain(const std::string& file, const std::string& message)
{
    std::cerr << "velmora-convert: ";
    if (!file.empty()) std::cerr << file << ": ";
    std::cerr << message << '\n';
}

// The message of a failed operation, with the system's reason where errno has one.
std::string WithReason(const std::string& message, int err)
{
    if (err == 0) return message;
    return message + " (" + std::strerror(err) + ")";
}

int UsageError(const std::string& message)
{
    Complain({}, message);
    std::cerr << "Try 'velmora-convert --help' for more information.\n";
    return kExitUsage;
}

std::string JoinPath(const std::string& dir, const std::string& name)
{
    if (dir.empty()) return name;
    if (dir.back() == '/') return dir + name;
    return dir + "/" + name;
}

// DIR/NAME.pas for a source: its file name without directory and extension.
std::string OutputNameFor(const std::string& source)
{
    auto slash = source.rfind('/');
    std::string name = slash == std::string::npos ? source : source.substr(slash + 1);
    auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name + ".pas";
}

// Writes data to path (or standard output when path is empty). Reports a
// failure on stderr and returns false; a failed file leaves any old file whole.
bool WriteResult(const std::string& path, const std::string& data)
{
    if (path.empty()) {
        if (!WriteAll(STDOUT_FILENO, data)) {
            Complain("standard output", WithReason("Stream-Write-Fehler", errno));
            return false;
        }
        return true;
    }
    int status = ReplaceFileContents(path, data);
    if (status == 0) return true;
    int err = errno;
    if (status == 1) {
        Complain(path, WithReason("Datei " + path + " kann nicht erstellt werden", err));
    } else {
        Complain(path, WithReason("Stream-Write-Fehler", err));
    }
    return false;
}

bool ConvertOne(const std::string& source, const std::string& output)
{
    std::string result;
    try {
        result = ConvertSourceText(LoadSourceText(source));
    } catch (const Exception& e) {
        Complain(source, e.Message());
        return false;
    }
    return WriteResult(output, result);
}

// Parses the command line; returns -1 to go on, or the exit status.
int ParseArguments(int argc, char** argv, Options& options)
{
    bool endOfOptions = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](std::string& into) -> bool {
            if (i + 1 >= argc) return false;
            into = argv[++i];
            return true;
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
            if (!value(options.tablesDir)) return UsageError("--tables needs a folder");
        } else if (arg == "-o" || arg == "--output") {
            if (!value(options.output)) return UsageError(arg + " needs a file name");
        } else if (arg == "--out-dir") {
            if (!value(options.outDir)) return UsageError("--out-dir needs a folder");
        } else {
            return UsageError("unknown option '" + arg + "'");
        }
    }
    if (options.sources.empty()) return UsageError("no SOURCE given");
    if (!options.output.empty() && !options.outDir.empty())
        return UsageError("-o and --out-dir cannot be used together");
    if (options.outDir.empty() && options.sources.size() > 1)
        return UsageError("several SOURCE files need --out-dir");
    return -1;
}

}  // namespace

int main(int argc, char** argv)
{
    // A closed pipe or a file-size limit must come back as a write error.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);

    Options options;
    int status = ParseArguments(argc, argv, options);
    if (status >= 0) return status;

    if (!options.outDir.empty()) {
        std::set<std::string> seen;
        for (const auto& source : options.sources) {
            if (!seen.insert(OutputNameFor(source)).second)
                return UsageError("two sources would both be written to " +
                                  JoinPath(options.outDir, OutputNameFor(source)));
        }
    }

    try {
        LoadTablesFromFiles(JoinPath(options.tablesDir, "cpp.tap"),
                            JoinPath(options.tablesDir, "pascal.tap"));
    } catch (const Exception& e) {
        Complain(e.FileName(), e.Message());
        FreeTables();
        return kExitFailed;
    }

    bool ok = true;
    for (const auto& source : options.sources) {
        std::string output = options.outDir.empty()
                                 ? options.output
                                 : JoinPath(options.outDir, OutputNameFor(source));
        ok = ConvertOne(source, output) && ok;
    }
    FreeTables();
    return ok ? kExitOk : kExitFailed;
}
