// How a view's bytes are shown as characters, and how the characters shown
// come back as the same bytes.
//
// A view's text is bytes whose line breaks are CR LF; the widget shows each
// piece between breaks as one block. Within a piece:
//  - Latin-1 showing: every byte is the character of the same code
//    (0xE4 is "ä");
//  - UTF-8 showing: the piece is decoded as UTF-8. Chosen only for a text
//    that is valid UTF-8, holds at least one byte above 0x7F and none of the
//    characters the text widget treats specially (U+2028, U+2029, U+FDD0 to
//    U+FDEF, U+FFFC, U+FEFF, U+FFFE, U+FFFF) or the stand-ins below.
// In both, the bytes the widget cannot hold inside a block have stand-ins:
// NUL is U+2400 "␀", LF is U+240A "␊", CR is U+240D "␍".
//
// Characters typed into a view come back as: a stand-in as its byte; in a
// Latin-1 view a character up to U+00FF as its byte; every other character
// as its UTF-8 bytes.
#pragma once

#include <QString>
#include <string>
#include <string_view>

enum class TViewEncoding { Latin1, Utf8 };

// How text (a whole view text) is best shown, by the rules above.
TViewEncoding ChooseViewEncoding(std::string_view text);

// The characters showing piece, a part of a view text without CR LF in it.
QString ShowPiece(std::string_view piece, TViewEncoding encoding);

// Appends to out the bytes of the characters shown.
void AppendShownBytes(const QString& shown, TViewEncoding encoding, std::string& out);

// The characters the widget shows for a whole view text: its pieces between
// CR LF breaks joined by "\n" (the widget's block break).
QString ShowText(std::string_view text, TViewEncoding encoding);
