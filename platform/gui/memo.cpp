#include "platform/gui/memo.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

#include "platform/gui/forms.h"
#include "platform/rtl/errors.h"
#include "platform/rtl/sourcetext.h"

namespace {

bool EndsInBreak(const std::string& text)
{
    return text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0;
}

bool IsAscii(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Gives in cut the text with every line longer than MaxViewLineLength cut
// there (at a character boundary in UTF-8) and ended by "…"; false when no
// line is that long. Only for showing: the user cannot edit a read-only view,
// so the widget's text is never read back.
bool CutLongLines(const std::string& text, TViewEncoding encoding, std::string& cut)
{
    std::vector<std::string_view> lines = ViewLines(text);
    if (std::none_of(lines.begin(), lines.end(),
                     [](std::string_view l) { return l.size() > MaxViewLineLength; }))
        return false;
    const std::string_view ellipsis = encoding == TViewEncoding::Utf8 ? "\xE2\x80\xA6" : "...";
    cut.clear();
    cut.reserve(text.size());
    for (std::string_view line : lines) {
        if (line.size() > MaxViewLineLength) {
            std::size_t end = MaxViewLineLength;
            if (encoding == TViewEncoding::Utf8) {
                while (end > 0 && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80) --end;
            }
            cut.append(line.substr(0, end));
            cut.append(ellipsis);
        } else {
            cut.append(line);
        }
        cut.append("\r\n");
    }
    if (!EndsInBreak(text)) cut.resize(cut.size() - 2);
    return true;
}

}  // namespace

TMemo::TMemo(TForm* form) : QPlainTextEdit(form->ClientArea())
{
    setFocusPolicy(Qt::StrongFocus);
    setTabChangesFocus(true);
    setFrameShape(QFrame::StyledPanel);
    document()->setUndoRedoEnabled(true);
    connect(document(), &QTextDocument::contentsChanged, this, &TMemo::TextChanged);
    text_ = "\r\n";
    Show();
}

void TMemo::SetBounds(int left, int top, int width, int height)
{
    setGeometry(left, top, width, height);
    if (auto* form = qobject_cast<TForm*>(window())) form->UpdateClientExtent();
}

void TMemo::SetFont(const std::string& family, int pixelHeight)
{
    QFont f(QString::fromStdString(family));
    f.setPixelSize(pixelHeight);
    setFont(f);
}

void TMemo::SetReadOnly(bool readOnly)
{
    setReadOnly(readOnly);
    if (readOnly) {
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    }
    setFocusPolicy(Qt::StrongFocus);
}

void TMemo::SetScrollBars(TScrollStyle style)
{
    bool horizontal = style == TScrollStyle::Horizontal || style == TScrollStyle::Both;
    bool vertical = style == TScrollStyle::Vertical || style == TScrollStyle::Both;
    setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void TMemo::SetWordWrap(bool wrap)
{
    setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void TMemo::SetTabOrder(int order) { tabOrder_ = order; }

void TMemo::Clear()
{
    text_.clear();
    textCurrent_ = true;
    linesCurrent_ = false;
    Show();
}

void TMemo::LoadFromFile(const std::string& path)
{
    SetText(LoadSourceText(path));
}

void TMemo::SaveToFile(const std::string& path)
{
    SaveViewText(path, Text());
}

std::size_t TMemo::LineCount() { return Lines().size(); }

std::string TMemo::Line(std::size_t i) { return std::string(Lines().at(i)); }

void TMemo::AppendLine(std::string_view line)
{
    Text();
    bool atLineStart = text_.empty() || EndsInBreak(text_);
    AppendViewLine(text_, line);
    linesCurrent_ = false;
    if (updateDepth_ > 0) return;
    if (encoding_ == TViewEncoding::Utf8 && !IsAscii(line) &&
        ChooseViewEncoding(line) != TViewEncoding::Utf8) {
        Show();
        return;
    }
    showing_ = true;
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    QString shown = ShowPiece(line, encoding_);
    if (atLineStart) {
        cursor.insertText(shown);
        cursor.insertBlock();
    } else {
        cursor.insertBlock();
        cursor.insertText(shown);
    }
    showing_ = false;
}

void TMemo::BeginUpdate()
{
    if (updateDepth_++ == 0) Text();
}

void TMemo::EndUpdate()
{
    if (updateDepth_ > 0 && --updateDepth_ == 0) Show();
}

const std::string& TMemo::Text()
{
    if (textCurrent_) return text_;
    std::string text;
    text.reserve(text_.size());
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block != document()->begin()) text += "\r\n";
        AppendShownBytes(block.text(), encoding_, text);
    }
    text_ = std::move(text);
    textCurrent_ = true;
    linesCurrent_ = false;
    return text_;
}

void TMemo::SetText(std::string text)
{
    text_ = std::move(text);
    textCurrent_ = true;
    linesCurrent_ = false;
    Show();
}

void TMemo::Show()
{
    if (updateDepth_ > 0) return;
    encoding_ = ChooseViewEncoding(text_);
    showing_ = true;
    std::string cut;
    if (isReadOnly() && CutLongLines(text_, encoding_, cut)) {
        setPlainText(ShowText(cut, encoding_));
    } else {
        setPlainText(ShowText(text_, encoding_));
    }
    showing_ = false;
}

void TMemo::TextChanged()
{
    if (showing_) return;
    textCurrent_ = false;
    linesCurrent_ = false;
}

const std::vector<std::string_view>& TMemo::Lines()
{
    Text();
    if (!linesCurrent_) {
        lines_ = ViewLines(text_);
        linesCurrent_ = true;
    }
    return lines_;
}
