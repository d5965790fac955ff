#include "cli/printable.h"

std::string Quoted(std::string_view bytes)
{
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() + 2);
    out += '\'';
    for (char ch : bytes) {
        auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\'':
                out += "\\'";
                break;
            default:
                if (c >= 0x20 && c < 0x7f) {
                    out += ch;
                } else {
                    out += "\\x";
                    out += kHex[c >> 4];
                    out += kHex[c & 0xf];
                }
        }
    }
    out += '\'';
    return out;
}
