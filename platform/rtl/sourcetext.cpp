#include "platform/rtl/sourcetext.h"

#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "platform/rtl/errors.h"
#include "platform/rtl/fileio.h"

namespace {

constexpr char kCR = 13;
constexpr char kLF = 10;

// Turns raw bytes into view text chunk by chunk, so that a file can be read
// in pieces. A CR at the end of one chunk may pair with an LF at the start of
// the next.
class TextNormalizer {
public:
    TextNormalizer(const std::string& fileName, std::size_t capacity)
        : fileName_(fileName), capacity_(capacity)
    {
    }

    // Adds a chunk; false once a NUL has ended the text.
    bool Add(std::string_view chunk)
    {
        for (std::size_t i = 0; i < chunk.size(); ++i) {
            char c = chunk[i];
            if (c == 0) {
                ended_ = true;
                return false;
            }
            if (c == kLF && afterCR_) {  // the LF of a CR LF already written
                afterCR_ = false;
                continue;
            }
            afterCR_ = false;
            if (c == kCR || c == kLF) {
                Put("\r\n");
                afterCR_ = c == kCR;
                continue;
            }
            // Copy the run of ordinary bytes in one go.
            std::size_t j = i;
            while (j < chunk.size() && chunk[j] != 0 && chunk[j] != kCR && chunk[j] != kLF) ++j;
            Put(chunk.substr(i, j - i));
            i = j - 1;
        }
        return true;
    }

    bool Ended() const { return ended_; }
    std::string Take() { return std::move(text_); }

private:
    void Put(std::string_view s)
    {
        if (text_.size() + s.size() > capacity_) RaiseTextCapacityError(fileName_);
        text_.append(s);
    }

    const std::string& fileName_;
    std::size_t capacity_;
    std::string text_;
    bool afterCR_ = false;
    bool ended_ = false;
};

}  // namespace

std::string SourceTextFromBytes(std::string_view bytes, const std::string& fileName,
                                std::size_t capacity)
{
    TextNormalizer normalizer(fileName, capacity);
    normalizer.Add(bytes);
    return normalizer.Take();
}

std::string LoadSourceText(const std::string& path, std::size_t capacity)
{
    int fd = OpenRegularFileForReading(path);
    if (fd < 0) RaiseFOpenError(path);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};

    TextNormalizer normalizer(path, capacity);
    std::string chunk(256 * 1024, '\0');
    for (;;) {
        long n = ReadSome(fd, chunk.data(), chunk.size());
        if (n < 0) RaiseReadError(path);
        if (n == 0) break;
        if (!normalizer.Add(std::string_view(chunk.data(), static_cast<std::size_t>(n)))) break;
    }
    return normalizer.Take();
}

std::vector<std::string_view> ViewLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t brk = text.find("\r\n", start);
        if (brk == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, brk - start));
        start = brk + 2;
    }
    return lines;
}

void AppendViewLine(std::string& text, std::string_view line)
{
    bool endsInBreak = text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0;
    if (text.empty() || endsInBreak) {
        text.append(line);
        text.append("\r\n");
    } else {
        text.append("\r\n");
        text.append(line);
    }
}

void SaveViewText(const std::string& path, std::string_view text)
{
    int status = ReplaceFileContents(path, text);
    if (status == 1) RaiseFCreateError(path);
    if (status != 0) RaiseWriteError(path);
}

std::string_view LineForConversion(std::string_view line)
{
    return line.substr(0, MaxConvertedLineLength);
}
