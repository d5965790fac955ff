#include "platform/rtl/fileio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include <vector>

int OpenRegularFileForReading(const std::string& path)
{
    // O_NONBLOCK keeps the open of a named pipe from waiting for a writer.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return -1;
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        int err = errno;
        ::close(fd);
        errno = err;
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = S_ISDIR(st.st_mode) ? EISDIR : ENXIO;
        return -1;
    }
    int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

long ReadSome(int fd, char* buffer, std::size_t size)
{
    for (;;) {
        ssize_t n = ::read(fd, buffer, size);
        if (n >= 0 || errno != EINTR) return static_cast<long>(n);
    }
}

bool WriteAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

namespace {

// Follows symbolic links at path to the file they finally name; a dangling
// link gives the path it points to, so that the file is created there.
std::string ResolveLinks(const std::string& path)
{
    std::string current = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st;
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        std::vector<char> buf(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
        ssize_t n = ::readlink(current.c_str(), buf.data(), buf.size());
        if (n < 0) return current;
        std::string target(buf.data(), static_cast<std::size_t>(n));
        if (!target.empty() && target[0] != '/') {
            auto slash = current.rfind('/');
            if (slash != std::string::npos) target = current.substr(0, slash + 1) + target;
        }
        current = target;
    }
    return current;
}

mode_t CurrentUmask()
{
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Overwrites an existing file directly; the fallback when no temporary file can
// be made beside it.
int WriteInPlace(const std::string& target, std::string_view data)
{
    int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return 1;
    if (!WriteAll(fd, data) || ::fsync(fd) != 0) {
        int err = errno;
        ::close(fd);
        errno = err;
        return 2;
    }
    return ::close(fd) == 0 ? 0 : 2;
}

}  // namespace

int ReplaceFileContents(const std::string& path, std::string_view data)
{
    const std::string target = ResolveLinks(path);

    struct stat st;
    bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return 1;
    }
    if (!exists && errno != ENOENT) return 1;

    // The user must be allowed to write the file itself, not only the folder:
    // a read-only file is not replaced behind its owner's back.
    if (exists) {
        int probe = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (probe < 0) return 1;
        ::close(probe);
    }

    auto slash = target.rfind('/');
    std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    // A short fixed name, so that a target of the longest name a folder takes
    // still gets a temporary file beside it.
    std::string temp = dir + ".velmora-XXXXXX";
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        // A writable file in a folder that takes no new files can still be
        // written, only not through a temporary file.
        if (exists && (errno == EACCES || errno == EPERM || errno == EROFS))
            return WriteInPlace(target, data);
        return 1;
    }

    mode_t mode = exists ? (st.st_mode & 07777) : (0666 & ~CurrentUmask());
    if (::fchmod(fd, mode) != 0 && exists) {
        // Not fatal: the data matters more than the bits.
    }
    if (exists && ::geteuid() == 0) {
        [[maybe_unused]] int ignored = ::fchown(fd, st.st_uid, st.st_gid);
    }

    if (!WriteAll(fd, data) || ::fsync(fd) != 0) {
        int err = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        errno = err;
        return 2;
    }
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(temp.c_str());
        errno = err;
        return 2;
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        int err = errno;
        ::unlink(temp.c_str());
        errno = err;
        return 1;
    }
    return 0;
}
