// The multi-line text view.
//
// A view holds bytes: its text is a string of single-byte characters whose
// line breaks are all CR LF, and every byte comes back exactly as it went in,
// whatever the user does not change (viewcodec.h tells how bytes are shown).
// Its lines are the pieces between the breaks; a break at the very end of the
// text starts no further line.
#pragma once

#include <QPlainTextEdit>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gui/viewcodec.h"

class TForm;

// The longest line a read-only view shows whole. The widget lays out a long
// line as a whole, in time that grows faster than its length (a single line
// of 15 MiB took about 9 s), so a read-only view shows a longer line cut
// there and ended by "…"; its text, its lines and what is saved keep every
// byte. With lines of at most 64 KiB a full view of MemoCapacity bytes shows
// in about a second.
inline constexpr std::size_t MaxViewLineLength = 64 * 1024;

enum class TScrollStyle { None, Horizontal, Vertical, Both };

class TMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    // Places the view in form's client area; it starts with one empty line
    // (its text is a single CR LF).
    explicit TMemo(TForm* form);

    // Position and size within the form's client area.
    void SetBounds(int left, int top, int width, int height);
    // The view's font: family at a height of pixelHeight pixels.
    void SetFont(const std::string& family, int pixelHeight);
    // A read-only view cannot be edited but still takes the focus, and its
    // text can be selected with the mouse and the keyboard.
    void SetReadOnly(bool readOnly);
    void SetScrollBars(TScrollStyle style);
    void SetWordWrap(bool wrap);
    // The place in the form's Tab sequence, counting from 0. Tab and
    // Shift+Tab move the focus; the view takes no Tab characters.
    void SetTabOrder(int order);
    int TabOrder() const { return tabOrder_; }

    // Empties the text.
    void Clear();
    // Makes the text of the file at path the view's text by the source text
    // rules (sourcetext.h). Raises EFOpenError when the file cannot be
    // opened (also a directory, a named pipe or a device), EReadError when
    // reading fails and ETextCapacityError when the text exceeds MemoCapacity;
    // the view is unchanged then.
    void LoadFromFile(const std::string& path);
    // Writes the text byte for byte to path, replacing the file only when
    // every byte is written (fileio.h, ReplaceFileContents). Raises
    // EFCreateError when the file cannot be created and EWriteError when
    // writing stops short; the old file stays as it was in both cases.
    void SaveToFile(const std::string& path);

    // The number of lines.
    std::size_t LineCount();
    // Line i, counting from 0; i must be below LineCount().
    std::string Line(std::size_t i);
    // Appends line by the view's rule: on an empty text, or one that ends in
    // a line break, the line and then CR LF go at the end; otherwise CR LF
    // and then the line.
    void AppendLine(std::string_view line);

    // Between BeginUpdate and the matching EndUpdate, changes collect in the
    // text and the widget shows them all at once at EndUpdate. Use
    // TMemoUpdate to pair the calls.
    void BeginUpdate();
    void EndUpdate();

    // The whole text, with the user's edits.
    const std::string& Text();
    // Replaces the whole text.
    void SetText(std::string text);

    // How the widget currently shows the text.
    TViewEncoding Encoding() const { return encoding_; }

private:
    void Show();
    void TextChanged();
    const std::vector<std::string_view>& Lines();

    std::string text_;
    bool textCurrent_ = true;  // false when the user changed the widget since
    bool linesCurrent_ = false;
    std::vector<std::string_view> lines_;
    TViewEncoding encoding_ = TViewEncoding::Latin1;
    int updateDepth_ = 0;
    bool showing_ = false;  // the widget is being set from text_
    int tabOrder_ = -1;
};

// Holds a view's update open for its lifetime.
class TMemoUpdate {
public:
    explicit TMemoUpdate(TMemo* memo) : memo_(memo) { memo_->BeginUpdate(); }
    ~TMemoUpdate() { memo_->EndUpdate(); }
    TMemoUpdate(const TMemoUpdate&) = delete;
    TMemoUpdate& operator=(const TMemoUpdate&) = delete;

private:
    TMemo* memo_;
};
