// The text views: bytes in, the same bytes out, whatever the widget shows.
#include <sys/stat.h>

#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>

#include "platform/gui/forms.h"
#include "platform/gui/memo.h"
#include "platform/gui/viewcodec.h"
#include "platform/rtl/errors.h"
#include "platform/rtl/sourcetext.h"
#include "tests/gui/guitest.h"

Q_DECLARE_METATYPE(std::string)

namespace {

std::string Hex(const std::string& bytes)
{
    return QByteArray::fromStdString(bytes).toHex(' ').toStdString();
}

// Compares byte strings and shows them in hex when they differ.
#define COMPARE_BYTES(actual, expected)                                               \
    do {                                                                              \
        const std::string a_ = (actual), e_ = (expected);                             \
        QVERIFY2(a_ == e_, qPrintable(QString::fromStdString("\n   got " + Hex(a_) + \
                                                             "\nwanted " + Hex(e_)))); \
    } while (0)

// The view text with CR LF after each line.
std::string Lines(std::initializer_list<std::string> lines)
{
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}

}  // namespace

class TestViewText : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void textRoundTripsThroughTheWidget_data();
    void textRoundTripsThroughTheWidget();
    void everyByteSurvivesLoadEditAndSave();
    void widgetShowsOneBlockPerLine();
    void lineCountAndLineAccess_data();
    void lineCountAndLineAccess();
    void appendFollowsTheViewRule_data();
    void appendFollowsTheViewRule();
    void batchedAppendsEqualSingleAppends();
    void loneLfInALineBecomesOneByteAgain();
    void typedCharactersComeBackAsDocumented_data();
    void typedCharactersComeBackAsDocumented();
    void newViewHoldsOneEmptyLine();
    void loadFailuresLeaveTheViewAlone_data();
    void loadFailuresLeaveTheViewAlone();
    void longestLineLoads();
    void longLinesInReadOnlyViewAreShownCutButKeptWhole();

private:
    TForm* form_ = nullptr;
    TMemo* memo_ = nullptr;
    QTemporaryDir dir_;
};

void TestViewText::init()
{
    form_ = new TForm;
    memo_ = new TMemo(form_);
}

void TestViewText::cleanup()
{
    delete form_;
    form_ = nullptr;
}

void TestViewText::textRoundTripsThroughTheWidget_data()
{
    QTest::addColumn<std::string>("text");
    QTest::addColumn<int>("encoding");
    const int latin1 = int(TViewEncoding::Latin1), utf8 = int(TViewEncoding::Utf8);
    QTest::newRow("empty") << std::string() << latin1;
    QTest::newRow("one break") << std::string("\r\n") << latin1;
    QTest::newRow("no final break") << std::string("a\r\nb") << latin1;
    QTest::newRow("empty lines") << std::string("\r\n\r\n\r\n") << latin1;
    QTest::newRow("all bytes in one line") << guitest::AllNonNulBytes() << latin1;
    QTest::newRow("all bytes as lines") << Lines({guitest::AllNonNulBytes(), "x"}) << latin1;
    QTest::newRow("NUL inside") << std::string("a\0b\r\n", 5) << latin1;
    QTest::newRow("lone CR and LF") << std::string("a\rb\nc\r\r\n\nd") << latin1;
    QTest::newRow("no-break space byte") << std::string("a\xA0 b") << latin1;
    QTest::newRow("UTF-8") << Lines({"Größe: 5 €", "日本語 𝄞"}) << utf8;
    QTest::newRow("UTF-8 no-break space") << std::string("a\xC2\xA0" "b") << utf8;
    QTest::newRow("UTF-8 line separator") << std::string("a\xE2\x80\xA8" "b\xC3\xA4") << latin1;
    QTest::newRow("UTF-8 paragraph separator") << std::string("a\xE2\x80\xA9" "b") << latin1;
    QTest::newRow("UTF-8 U+FDD0") << std::string("\xEF\xB7\x90\xC3\xA4") << latin1;
    QTest::newRow("UTF-8 U+FDD1") << std::string("\xEF\xB7\x91\xC3\xA4") << latin1;
    QTest::newRow("UTF-8 U+FFFC") << std::string("\xEF\xBF\xBC\xC3\xA4") << latin1;
    QTest::newRow("UTF-8 byte-order mark") << std::string("\xEF\xBB\xBFint x;") << latin1;
    QTest::newRow("UTF-8 holding a stand-in") << std::string("\xE2\x90\x8A\r\nx") << latin1;
    QTest::newRow("UTF-8 and a lone LF") << std::string("\xC3\xA4\nb") << utf8;
    QTest::newRow("overlong UTF-8") << std::string("\xC0\xAF\xE0\x80\xAF") << latin1;
    QTest::newRow("encoded surrogate") << std::string("\xED\xA0\x80") << latin1;
    QTest::newRow("cut sequence") << std::string("\xE2\x82") << latin1;
}

void TestViewText::textRoundTripsThroughTheWidget()
{
    QFETCH(std::string, text);
    QFETCH(int, encoding);
    memo_->SetText(text);
    QCOMPARE(int(memo_->Encoding()), encoding);

    // Read back from the widget, not from what was set.
    memo_->document()->setModified(false);
    QTextCursor(memo_->document()).insertText(QStringLiteral("x"));
    memo_->undo();
    COMPARE_BYTES(memo_->Text(), text);
}

void TestViewText::everyByteSurvivesLoadEditAndSave()
{
    const std::string all = guitest::AllNonNulBytes();
    // Every byte inside a line, and the line breaks of every kind a file has.
    const std::string file = all + "\r\n" + all + "\n" + all + "\r" + all;
    const QString source = dir_.path() + "/all.bin";
    guitest::WriteBytes(source, file);

    memo_->LoadFromFile(source.toStdString());
    const std::string expected = SourceTextFromBytes(file);
    COMPARE_BYTES(memo_->Text(), expected);
    QCOMPARE(memo_->LineCount(), ViewLines(expected).size());

    // An edit elsewhere leaves every other byte as it was.
    QTextCursor cursor(memo_->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringLiteral("!"));
    const QString saved = dir_.path() + "/all.out";
    memo_->SaveToFile(saved.toStdString());
    COMPARE_BYTES(guitest::ReadBytes(saved), expected + "!");
}

void TestViewText::widgetShowsOneBlockPerLine()
{
    memo_->SetText("a\r\nb\nc\r\n");
    QTextDocument* doc = memo_->document();
    QCOMPARE(doc->blockCount(), 3);
    QCOMPARE(doc->findBlockByNumber(0).text(), QString("a"));
    QCOMPARE(doc->findBlockByNumber(1).text(), QString::fromUtf16(u"b\u240Ac"));
    QCOMPARE(doc->findBlockByNumber(2).text(), QString());
}

void TestViewText::lineCountAndLineAccess_data()
{
    QTest::addColumn<std::string>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty") << std::string() << QStringList();
    QTest::newRow("one break") << std::string("\r\n") << QStringList({""});
    QTest::newRow("final break starts no line") << std::string("a\r\nb\r\n") << QStringList({"a", "b"});
    QTest::newRow("last line without break") << std::string("a\r\nb") << QStringList({"a", "b"});
    QTest::newRow("empty lines kept") << std::string("\r\n\r\nc") << QStringList({"", "", "c"});
    QTest::newRow("LF is no break") << std::string("a\nb\r\n") << QStringList({"a\nb"});
}

void TestViewText::lineCountAndLineAccess()
{
    QFETCH(std::string, text);
    QFETCH(QStringList, lines);
    memo_->SetText(text);
    QCOMPARE(memo_->LineCount(), std::size_t(lines.size()));
    for (int i = 0; i < lines.size(); ++i) {
        QCOMPARE(QString::fromStdString(memo_->Line(std::size_t(i))), lines[i]);
    }
}

void TestViewText::appendFollowsTheViewRule_data()
{
    QTest::addColumn<std::string>("before");
    QTest::addColumn<std::string>("line");
    QTest::addColumn<std::string>("after");
    QTest::newRow("empty text") << std::string() << std::string("x") << std::string("x\r\n");
    QTest::newRow("after a break") << std::string("a\r\n") << std::string("x") << std::string("a\r\nx\r\n");
    QTest::newRow("no final break") << std::string("a") << std::string("x") << std::string("a\r\nx");
    QTest::newRow("empty line") << std::string("a\r\n") << std::string() << std::string("a\r\n\r\n");
    QTest::newRow("non-UTF-8 line into a UTF-8 text")
        << std::string("\xC3\xA4\r\n") << std::string("\xE4") << std::string("\xC3\xA4\r\n\xE4\r\n");
}

void TestViewText::appendFollowsTheViewRule()
{
    QFETCH(std::string, before);
    QFETCH(std::string, line);
    QFETCH(std::string, after);
    memo_->SetText(before);
    memo_->AppendLine(line);
    COMPARE_BYTES(memo_->Text(), after);
    // The widget shows the same: a fresh read from its blocks agrees.
    QTextCursor(memo_->document()).insertText(QStringLiteral("y"));
    COMPARE_BYTES(memo_->Text(), "y" + after);
}

void TestViewText::batchedAppendsEqualSingleAppends()
{
    TMemo other(form_);
    const std::vector<std::string> lines = {"int x;", "", "\xC3\xA4", "a\nb", guitest::AllNonNulBytes()};
    memo_->Clear();
    other.Clear();
    {
        TMemoUpdate update(memo_);
        for (const auto& line : lines) memo_->AppendLine(line);
        // Nothing reaches the widget before the update ends.
        QCOMPARE(memo_->document()->blockCount(), 1);
    }
    for (const auto& line : lines) other.AppendLine(line);
    COMPARE_BYTES(memo_->Text(), other.Text());
    QCOMPARE(memo_->document()->blockCount(), int(lines.size()) + 1);
}

void TestViewText::loneLfInALineBecomesOneByteAgain()
{
    memo_->Clear();
    memo_->AppendLine("begin\nend");
    QCOMPARE(memo_->document()->firstBlock().text(), QString::fromUtf16(u"begin\u240Aend"));
    const QString saved = dir_.path() + "/lf.out";
    memo_->SaveToFile(saved.toStdString());
    COMPARE_BYTES(guitest::ReadBytes(saved), std::string("begin\nend\r\n"));
}

void TestViewText::typedCharactersComeBackAsDocumented_data()
{
    QTest::addColumn<std::string>("text");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<std::string>("bytes");
    QTest::newRow("Latin-1 view, Latin-1 letter") << std::string("a") << QString::fromUtf16(u"ä") << std::string("\xE4" "a");
    QTest::newRow("Latin-1 view, euro sign") << std::string("a") << QString::fromUtf16(u"€") << std::string("\xE2\x82\xAC" "a");
    QTest::newRow("UTF-8 view, Latin-1 letter") << std::string("\xC3\xA4") << QString::fromUtf16(u"ö") << std::string("\xC3\xB6\xC3\xA4");
    QTest::newRow("beyond the basic plane") << std::string("a") << QString::fromUcs4(U"𝄞") << std::string("\xF0\x9D\x84\x9E" "a");
    QTest::newRow("LF stand-in") << std::string("a") << QString::fromUtf16(u"\u240A") << std::string("\na");
}

void TestViewText::typedCharactersComeBackAsDocumented()
{
    QFETCH(std::string, text);
    QFETCH(QString, typed);
    QFETCH(std::string, bytes);
    memo_->SetText(text);
    memo_->setFocus();
    memo_->moveCursor(QTextCursor::Start);
    memo_->insertPlainText(typed);
    COMPARE_BYTES(memo_->Text(), bytes);
}

void TestViewText::newViewHoldsOneEmptyLine()
{
    TMemo fresh(form_);
    COMPARE_BYTES(fresh.Text(), "\r\n");
    QCOMPARE(fresh.LineCount(), std::size_t{1});
    fresh.Clear();
    COMPARE_BYTES(fresh.Text(), "");
    QCOMPARE(fresh.LineCount(), std::size_t{0});
}

void TestViewText::loadFailuresLeaveTheViewAlone_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << "missing.c" << "Datei %1 kann nicht geöffnet werden";
    QTest::newRow("directory") << "folder" << "Datei %1 kann nicht geöffnet werden";
    QTest::newRow("named pipe") << "fifo" << "Datei %1 kann nicht geöffnet werden";
    QTest::newRow("device") << "/dev/zero" << "Datei %1 kann nicht geöffnet werden";
    QTest::newRow("over capacity") << "huge.c" << "Text überschreitet Memo-Kapazität";
}

void TestViewText::loadFailuresLeaveTheViewAlone()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    QDir(dir_.path()).mkdir("folder");
    ::mkfifo(qPrintable(dir_.path() + "/fifo"), 0600);
    if (name == "huge.c") {
        guitest::WriteBytes(dir_.path() + "/huge.c", std::string(MemoCapacity + 1, 'x'));
    }
    const QString path = name.startsWith('/') ? name : dir_.path() + "/" + name;
    memo_->SetText("kept\r\n");
    try {
        memo_->LoadFromFile(path.toStdString());
        QFAIL("no error raised");
    } catch (const Exception& e) {
        QCOMPARE(QString::fromStdString(e.Message()),
                 message.contains("%1") ? message.arg(path) : message);
    }
    COMPARE_BYTES(memo_->Text(), "kept\r\n");
}

void TestViewText::longestLineLoads()
{
    const std::string line(MaxViewLineLength, 'x');
    guitest::WriteBytes(dir_.path() + "/longest.c", line + "\n" + line);
    memo_->LoadFromFile((dir_.path() + "/longest.c").toStdString());
    COMPARE_BYTES(memo_->Text(), line + "\r\n" + line);
}

void TestViewText::longLinesInReadOnlyViewAreShownCutButKeptWhole()
{
    // A line of 1 MiB: laid out whole it would hold up the window for long.
    const std::string longLine = std::string(1 << 20, 'x') + "\xE4";
    guitest::WriteBytes(dir_.path() + "/longline.c", "short\n" + longLine + "\n");
    memo_->SetReadOnly(true);
    memo_->LoadFromFile((dir_.path() + "/longline.c").toStdString());
    COMPARE_BYTES(memo_->Text(), "short\r\n" + longLine + "\r\n");
    QCOMPARE(memo_->LineCount(), std::size_t{2});
    COMPARE_BYTES(memo_->Line(1), longLine);
    const QString shown = memo_->document()->findBlockByNumber(1).text();
    QCOMPARE(shown.size(), qsizetype(MaxViewLineLength + 3));
    QVERIFY(shown.endsWith(QStringLiteral("...")));
    const QString out = dir_.path() + "/out.pas";
    memo_->SaveToFile(out.toStdString());
    COMPARE_BYTES(guitest::ReadBytes(out), "short\r\n" + longLine + "\r\n");
}

QTEST_MAIN(TestViewText)
#include "tst_viewtext.moc"
