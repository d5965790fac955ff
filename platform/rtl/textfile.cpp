#include "platform/rtl/textfile.h"

#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/rtl/errors.h"
#include "platform/rtl/fileio.h"

namespace {
constexpr char kCR = 13;
constexpr char kLF = 10;
constexpr char kCtrlZ = 26;
constexpr std::size_t kBufferSize = 64 * 1024;
}  // namespace

TTextFile::TTextFile() = default;

TTextFile::~TTextFile()
{
    if (fd_ >= 0) ::close(fd_);
}

void TTextFile::Reset(const std::string& path)
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    path_ = path;
    fromMemory_ = false;
    ended_ = false;
    pos_ = end_ = 0;
    fd_ = OpenRegularFileForReading(path);
    if (fd_ < 0) RaiseInOutError(InOutErrorCodeFromErrno(errno), path);
    buffer_.resize(kBufferSize);
}

void TTextFile::ResetFromBytes(std::string bytes)
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    path_.clear();
    fromMemory_ = true;
    ended_ = false;
    buffer_.assign(bytes.begin(), bytes.end());
    pos_ = 0;
    end_ = buffer_.size();
}

bool TTextFile::Fill()
{
    if (pos_ < end_) return true;
    if (ended_ || fromMemory_ || fd_ < 0) return false;
    long n = ReadSome(fd_, buffer_.data(), buffer_.size());
    if (n < 0) RaiseInOutError(InOutErrorCodeFromErrno(errno), path_);
    pos_ = 0;
    end_ = static_cast<std::size_t>(n);
    if (n == 0) ended_ = true;
    return n > 0;
}

bool TTextFile::Eof()
{
    if (ended_) return true;
    if (!Fill()) return true;
    if (buffer_[pos_] == kCtrlZ) {
        ended_ = true;
        return true;
    }
    return false;
}

void TTextFile::ReadLine(std::string& line, std::size_t maxKeep)
{
    line.clear();
    while (!ended_ && Fill()) {
        const char* start = buffer_.data() + pos_;
        std::size_t avail = end_ - pos_;
        // The line goes on up to the next CR or Ctrl-Z.
        std::size_t n = 0;
        while (n < avail && start[n] != kCR && start[n] != kCtrlZ) ++n;
        if (line.size() < maxKeep) line.append(start, std::min(n, maxKeep - line.size()));
        pos_ += n;
        if (n == avail) continue;
        if (start[n] == kCtrlZ) {
            ended_ = true;
            return;
        }
        ++pos_;  // the CR
        if (Fill() && buffer_[pos_] == kLF) ++pos_;
        return;
    }
}

void TTextFile::Close()
{
    if (fromMemory_) {
        fromMemory_ = false;
        buffer_.clear();
        pos_ = end_ = 0;
        return;
    }
    if (fd_ < 0) RaiseInOutError(103, path_);
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) RaiseInOutError(InOutErrorCodeFromErrno(errno), path_);
}
