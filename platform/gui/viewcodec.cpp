#include "platform/gui/viewcodec.h"

namespace {

constexpr char16_t kNulStandIn = 0x2400;
constexpr char16_t kLfStandIn = 0x240A;
constexpr char16_t kCrStandIn = 0x240D;

bool IsStandIn(char32_t c) { return c == kNulStandIn || c == kLfStandIn || c == kCrStandIn; }

// Characters the text widget does not keep as they are, or that stand for a
// byte.
bool ShownSpecially(char32_t c)
{
    return c == 0x2028 || c == 0x2029 || (c >= 0xFDD0 && c <= 0xFDEF) || c == 0xFFFC ||
           c == 0xFEFF || c == 0xFFFE || c == 0xFFFF || IsStandIn(c);
}

char16_t StandInFor(unsigned char byte)
{
    switch (byte) {
        case 0x00: return kNulStandIn;
        case 0x0A: return kLfStandIn;
        case 0x0D: return kCrStandIn;
    }
    return byte;
}

// Decodes one UTF-8 sequence at s[i]; returns its length, or 0 when the bytes
// there are not a valid shortest form of a scalar value.
std::size_t DecodeUtf8(std::string_view s, std::size_t i, char32_t& c)
{
    auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
    auto cont = [&](std::size_t k) { return i + k < s.size() && (b(k) & 0xC0) == 0x80; };
    unsigned char lead = b(0);
    if (lead < 0x80) {
        c = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF && cont(1)) {
        c = (char32_t(lead & 0x1F) << 6) | (b(1) & 0x3F);
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF && cont(1) && cont(2)) {
        c = (char32_t(lead & 0x0F) << 12) | (char32_t(b(1) & 0x3F) << 6) | (b(2) & 0x3F);
        if (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF)) return 0;
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4 && cont(1) && cont(2) && cont(3)) {
        c = (char32_t(lead & 0x07) << 18) | (char32_t(b(1) & 0x3F) << 12) |
            (char32_t(b(2) & 0x3F) << 6) | (b(3) & 0x3F);
        if (c < 0x10000 || c > 0x10FFFF) return 0;
        return 4;
    }
    return 0;
}

void AppendUtf8(char32_t c, std::string& out)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendChar(char32_t c, QString& out)
{
    if (c < 0x10000) {
        out += QChar(static_cast<char16_t>(c));
    } else {
        out += QChar(QChar::highSurrogate(c));
        out += QChar(QChar::lowSurrogate(c));
    }
}

}  // namespace

TViewEncoding ChooseViewEncoding(std::string_view text)
{
    bool beyondAscii = false;
    for (std::size_t i = 0; i < text.size();) {
        char32_t c;
        std::size_t n = DecodeUtf8(text, i, c);
        if (n == 0 || ShownSpecially(c)) return TViewEncoding::Latin1;
        beyondAscii = beyondAscii || c >= 0x80;
        i += n;
    }
    return beyondAscii ? TViewEncoding::Utf8 : TViewEncoding::Latin1;
}

QString ShowPiece(std::string_view piece, TViewEncoding encoding)
{
    QString shown;
    if (encoding == TViewEncoding::Latin1) {
        shown.resize(static_cast<qsizetype>(piece.size()));
        QChar* to = shown.data();
        for (char byte : piece) *to++ = QChar(StandInFor(static_cast<unsigned char>(byte)));
        return shown;
    }
    shown.reserve(static_cast<qsizetype>(piece.size()));
    for (std::size_t i = 0; i < piece.size();) {
        char32_t c;
        std::size_t n = DecodeUtf8(piece, i, c);
        if (n == 0) {  // not expected in a text chosen for UTF-8; keep the byte
            c = static_cast<unsigned char>(piece[i]);
            n = 1;
        }
        AppendChar(c < 0x80 ? StandInFor(static_cast<unsigned char>(c)) : c, shown);
        i += n;
    }
    return shown;
}

void AppendShownBytes(const QString& shown, TViewEncoding encoding, std::string& out)
{
    const qsizetype n = shown.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = shown[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && shown[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(shown[i].unicode(), shown[i + 1].unicode());
            ++i;
        } else if (QChar::isSurrogate(c)) {
            c = 0xFFFD;  // a lone half of a pair has no bytes of its own
        }
        switch (c) {
            case kNulStandIn: out += '\0'; continue;
            case kLfStandIn: out += '\n'; continue;
            case kCrStandIn: out += '\r'; continue;
        }
        if (c < 0x80 || (encoding == TViewEncoding::Latin1 && c <= 0xFF)) {
            out += static_cast<char>(c);
        } else {
            AppendUtf8(c, out);
        }
    }
}

QString ShowText(std::string_view text, TViewEncoding encoding)
{
    QString shown;
    shown.reserve(static_cast<qsizetype>(text.size()));
    std::size_t start = 0;
    for (;;) {
        std::size_t brk = text.find("\r\n", start);
        shown += ShowPiece(text.substr(start, brk == std::string_view::npos ? brk : brk - start),
                           encoding);
        if (brk == std::string_view::npos) break;
        shown += QChar(u'\n');
        start = brk + 2;
    }
    return shown;
}
