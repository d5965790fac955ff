// Source texts that the bad-input tests of the batch converter and of the
// window both feed in.
#pragma once

#include <string>

namespace badinputs {

// Every byte value once, in order. With nulLast the NUL comes last and text
// follows it, which must never reach a view; otherwise the NUL comes first.
inline std::string AllByteValues(bool nulLast)
{
    std::string bytes;
    for (int b = nulLast ? 1 : 0; b < 256; ++b) bytes += static_cast<char>(b);
    if (nulLast) bytes += std::string(1, '\0') + "int after the NUL\r\n";
    return bytes;
}

// A single line of 1 MiB of C-looking text, without a line break.
inline std::string OneLongLine()
{
    std::string line;
    while (line.size() < 1024 * 1024) line += "a == c && b != NULL; ";
    return line;
}

}  // namespace badinputs
