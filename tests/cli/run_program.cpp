#include "run_program.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A fresh temporary file; returns its path.
std::string TempFile()
{
    const char* dir = std::getenv("TMPDIR");
    std::string path = std::string(dir && *dir ? dir : "/tmp") + "/velmora-run-XXXXXX";
    int fd = ::mkstemp(path.data());
    if (fd >= 0)
        ::close(fd);
    return path;
}

}  // namespace

TRunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& cwd, const std::string& stdoutPath)
{
    std::string outPath = stdoutPath.empty() ? TempFile() : stdoutPath;
    std::string errPath = TempFile();

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    pid_t pid = ::fork();
    if (pid == 0) {
        int out = ::open(outPath.c_str(), O_WRONLY | O_TRUNC);
        int err = ::open(errPath.c_str(), O_WRONLY | O_TRUNC);
        if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0)
            ::_exit(126);
        if (::chdir(cwd.c_str()) != 0)
            ::_exit(126);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }

    TRunResult result;
    int wstatus = 0;
    if (pid > 0 && ::waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus))
        result.status = WEXITSTATUS(wstatus);
    if (stdoutPath.empty()) {
        result.out = ReadWhole(outPath);
        ::unlink(outPath.c_str());
    }
    result.err = ReadWhole(errPath);
    ::unlink(errPath.c_str());
    return result;
}
