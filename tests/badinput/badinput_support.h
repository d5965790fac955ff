// Helpers for the bad-input tests: scratch folders, whole-file reading and
// writing, and running the batch converter as a child process with limits.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace badinput {

namespace fs = std::filesystem;

// A fresh folder under /tmp, removed with everything in it at the end.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const fs::path& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

// The two table files in folder.
void WriteTables(const std::string& folder, const std::string& cpp, const std::string& pascal);

// A small table that makes lines grow, shrink and chain, and a C text it
// changes in many places.
extern const char kSampleCpp[];
extern const char kSamplePascal[];
extern const char kSampleSource[];

// The user id the permission cases run the converter as when the tests run
// as root (root is not stopped by file permissions); the own id otherwise.
// -1 when the tests run as root and cannot switch to another user.
int UnprivilegedUid();
// Hands path to that user, so that the file's own mode is what counts.
void GiveToUnprivilegedUser(const std::string& path);

struct RunOptions {
    explicit RunOptions(std::vector<std::string> arguments = {}) : args(std::move(arguments)) {}

    RunOptions& StdoutTo(std::string path)
    {
        stdoutPath = std::move(path);
        return *this;
    }
    RunOptions& FileSizeLimit(rlim_t bytes, bool ignoreSignal)
    {
        fileSizeLimit = bytes;
        ignoreFileSizeSignal = ignoreSignal;
        return *this;
    }
    RunOptions& Unprivileged(bool on = true)
    {
        unprivileged = on;
        return *this;
    }
    RunOptions& Timeout(int seconds)
    {
        timeoutSeconds = seconds;
        return *this;
    }

    std::vector<std::string> args;         // after the program name
    std::string stdoutPath;                // where standard output goes; empty: captured
    rlim_t fileSizeLimit = RLIM_INFINITY;  // RLIMIT_FSIZE of the child
    bool ignoreFileSizeSignal = false;     // start the child with SIGXFSZ ignored
    bool unprivileged = false;             // run as UnprivilegedUid()
    int timeoutSeconds = 30;               // the child is killed after this long
};

struct RunResult {
    bool exited = false;  // ended by exit (not by a signal)
    int exitCode = -1;
    int signal = 0;         // the signal that ended it, if any
    bool timedOut = false;  // killed because it ran too long
    std::string out;        // captured standard output (when not sent to a file)
    std::string err;        // standard error
    long maxRssKiB = 0;     // peak resident memory of the child
};

// Runs velmora-convert with options.args and waits for it, at most
// options.timeoutSeconds.
RunResult RunConvert(const RunOptions& options);

// How a run ended, for failure messages.
std::string Describe(const RunResult& result);

}  // namespace badinput
