#include "tests/badinput/badinput_support.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

#ifndef VELMORA_CONVERT
#error "VELMORA_CONVERT must name the velmora-convert binary"
#endif

namespace badinput {

namespace {

constexpr uid_t kNobody = 65534;

// The exit code a child uses when it could not be set up; never one of the
// converter's own.
constexpr int kSetupFailed = 121;

std::string Capture(int fd)
{
    std::string bytes;
    ::lseek(fd, 0, SEEK_SET);
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
}

int AnonymousFile()
{
    char name[] = "/tmp/velmora-capture-XXXXXX";
    int fd = ::mkstemp(name);
    if (fd < 0) throw std::runtime_error("cannot create a capture file");
    ::unlink(name);
    return fd;
}

bool CanSwitchUser()
{
    pid_t pid = ::fork();
    if (pid == 0)
        _exit(::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 ? 0
                                                                                               : 1);
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

ScratchDir::ScratchDir()
{
    char name[] = "/tmp/velmora-bad-XXXXXX";
    if (::mkdtemp(name) == nullptr) throw std::runtime_error("cannot create a scratch folder");
    path_ = name;
    // Reachable by the unprivileged user of the permission cases.
    ::chmod(name, 0755);
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    // Folders a test made read-only must become writable again to be emptied.
    for (auto it = fs::recursive_directory_iterator(path_, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!in) throw std::runtime_error("cannot read " + path);
    return bytes;
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

void WriteTables(const std::string& folder, const std::string& cpp, const std::string& pascal)
{
    WriteFile(folder + "/cpp.tap", cpp);
    WriteFile(folder + "/pascal.tap", pascal);
}

const char kSampleCpp[] =
    "/*\r\n*/\r\n==\r\n!=\r\n=\r\n{\r\n}\r\nint \r\nNULL\r\n&&\r\n||\r\nprintf(\r\n->\r\n^\r\n"
    "a\r\nc\r\n\t\r\n\xE4\r\n";
const char kSamplePascal[] =
    "{\r\n}\r\n=\r\n<>\r\n:=\r\nbegin\r\nend;\r\nInteger \r\nnil\r\nand\r\nor\r\nWriteLn(\r\n"
    "^.\r\npointer\r\nbc\r\nd\r\n  \r\nae\r\n";
const char kSampleSource[] =
    "/* sample */\r\n"
    "int main(void)\r\n"
    "{\r\n"
    "\tint a = 1, c = 2;\r\n"
    "\tif (a == c && p->next != NULL) printf(\"%d\", a);\r\n"
    "\treturn 0; /* \xE4nd */\r\n"
    "}\r\n";

int UnprivilegedUid()
{
    if (::geteuid() != 0) return static_cast<int>(::geteuid());
    static const bool canSwitch = CanSwitchUser();
    return canSwitch ? static_cast<int>(kNobody) : -1;
}

void GiveToUnprivilegedUser(const std::string& path)
{
    if (::geteuid() != 0) return;
    if (::lchown(path.c_str(), kNobody, kNobody) != 0)
        throw std::runtime_error("cannot hand " + path + " to the unprivileged user");
}

RunResult RunConvert(const RunOptions& options)
{
    // Everything the child needs is prepared before the fork.
    std::vector<std::string> argvStrings{VELMORA_CONVERT};
    argvStrings.insert(argvStrings.end(), options.args.begin(), options.args.end());
    std::vector<char*> argv;
    for (auto& s : argvStrings) argv.push_back(s.data());
    argv.push_back(nullptr);

    int outFd = options.stdoutPath.empty()
                    ? AnonymousFile()
                    : ::open(options.stdoutPath.c_str(), O_WRONLY | O_CLOEXEC);
    if (outFd < 0) throw std::runtime_error("cannot open " + options.stdoutPath);
    int errFd = AnonymousFile();
    int inFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    const bool switchUser = options.unprivileged && ::geteuid() == 0;

    pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        if (::dup2(inFd, 0) < 0 || ::dup2(outFd, 1) < 0 || ::dup2(errFd, 2) < 0)
            _exit(kSetupFailed);
        struct rlimit limit {
            options.fileSizeLimit, options.fileSizeLimit
        };
        if (options.fileSizeLimit != RLIM_INFINITY && ::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            _exit(kSetupFailed);
        ::signal(SIGXFSZ, options.ignoreFileSizeSignal ? SIG_IGN : SIG_DFL);
        if (switchUser &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            _exit(kSetupFailed);
        ::execv(argv[0], argv.data());
        _exit(kSetupFailed);
    }

    RunResult result;
    int status = 0;
    struct rusage usage {};
    struct timespec start {};
    ::clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        pid_t done = ::wait4(pid, &status, WNOHANG, &usage);
        if (done == pid) break;
        struct timespec now {};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        if (!result.timedOut && now.tv_sec - start.tv_sec >= options.timeoutSeconds) {
            result.timedOut = true;
            ::kill(pid, SIGKILL);
        }
        struct timespec pause {
            0, 5 * 1000 * 1000
        };
        ::nanosleep(&pause, nullptr);
    }
    result.exited = WIFEXITED(status);
    if (result.exited) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    result.maxRssKiB = usage.ru_maxrss;
    if (options.stdoutPath.empty()) result.out = Capture(outFd);
    result.err = Capture(errFd);
    ::close(outFd);
    ::close(errFd);
    ::close(inFd);
    if (result.exited && result.exitCode == kSetupFailed)
        throw std::runtime_error("the converter could not be started: " + result.err);
    return result;
}

std::string Describe(const RunResult& result)
{
    std::string s;
    if (result.timedOut) s += "killed after running too long; ";
    if (result.exited) {
        s += "exit status " + std::to_string(result.exitCode);
    } else {
        s += "ended by signal " + std::to_string(result.signal) + " (" +
             ::strsignal(result.signal) + ")";
    }
    s += ", stderr: \"" + result.err + "\"";
    return s;
}

}  // namespace badinput
