// The three commands end to end: "Source open", "Convert source" and
// "Save dest", their flags, their refusals and their failures.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>

#include "app/Main.h"
#include "engine/convert.h"
#include "engine/table.h"
#include "platform/gui/testseams.h"
#include "platform/rtl/sourcetext.h"
#include "tests/gui/guitest.h"

Q_DECLARE_METATYPE(std::string)

namespace {

std::string Hex(const std::string& bytes)
{
    return QByteArray::fromStdString(bytes).left(200).toHex(' ').toStdString();
}

#define COMPARE_BYTES(actual, expected)                                               \
    do {                                                                              \
        const std::string a_ = (actual), e_ = (expected);                             \
        QVERIFY2(a_ == e_, qPrintable(QString::fromStdString(                         \
                               "\n   got " + std::to_string(a_.size()) + ": " + Hex(a_) + \
                               "\nwanted " + std::to_string(e_.size()) + ": " + Hex(e_)))); \
    } while (0)

// '==' to '=', then '=' to ':=', then '{' to a replacement holding an LF.
const std::string kCpp = "==\r\n=\r\n{\r\n";
const std::string kPascal = "=\r\n:=\r\nbegin\nend\r\n";

}  // namespace

class TestCommands : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void stateTable_data();
    void stateTable();
    void sourceErrorsKeepFlagsAndEmptyViews_data();
    void sourceErrorsKeepFlagsAndEmptyViews();
    void saveErrorsKeepTheOldFile_data();
    void saveErrorsKeepTheOldFile();
    void everyByteSurvivesSourceToFile();
    void lfOnlyFileConvertsLineByLine();
    void longLineIsConvertedAsItsFirst4096Characters();
    void convertingTwiceGivesTheSameResult();
    void editedResultIsWhatIsSaved();
    void emptySourceConvertsToEmptyFile();
    void savedBytesEqualTheBatchConverters();
    void saveWritesThroughASymbolicLinkAndKeepsPermissions();

private:
    QString Path(const QString& name) const { return dir_.path() + "/" + name; }
    void Open(const QString& name);
    void Click(TMenuItem* item) { item->trigger(); }

    QTemporaryDir dir_;
    QString startDir_;
};

void TestCommands::initTestCase()
{
    startDir_ = QDir::currentPath();
    guitest::WriteTables(dir_.path(), kCpp, kPascal);
    QVERIFY(QDir::setCurrent(dir_.path()));
    int argc = 1;
    char name[] = "tst_commands";
    char* argv[] = {name, nullptr};
    InitializeModules(argc, argv);
    Application->CreateForm(MainForm);
    MainForm->show();
    QVERIFY(QTest::qWaitForWindowExposed(MainForm));
}

void TestCommands::cleanupTestCase()
{
    Halt();
    QDir::setCurrent(startDir_);
}

void TestCommands::init()
{
    TestSeams::Reset();
    TestSeams::CaptureBoxes();
    SourceLoaded = false;
    Converted = false;
    MainForm->SourceMemo->SetText("\r\n");
    MainForm->DestMemo->SetText("\r\n");
}

void TestCommands::Open(const QString& name)
{
    TestSeams::AnswerNextFileDialog(Path(name).toStdString());
    Click(MainForm->FileOpenItem);
}

void TestCommands::stateTable_data()
{
    QTest::addColumn<bool>("loaded");     // SourceLoaded before
    QTest::addColumn<bool>("converted");  // Converted before
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("answer");  // the dialog's answer: a file name, or "" to cancel
    QTest::addColumn<std::string>("source");  // the views afterwards
    QTest::addColumn<std::string>("dest");
    QTest::addColumn<bool>("loadedAfter");
    QTest::addColumn<bool>("convertedAfter");
    QTest::addColumn<int>("beeps");
    QTest::addColumn<int>("dialogs");
    QTest::addColumn<bool>("saved");

    const std::string src = "if (a == b) x = 1;\r\n";
    const std::string dst = "if (a = b) x = 1;\r\n";
    const std::string none;
    // Before each row the source view holds src and the result view dst.
    QTest::newRow("open, file chosen") << false << false << "open" << "in.c" << src << none << true << false << 0 << 1 << false;
    QTest::newRow("open after converting") << true << true << "open" << "in.c" << src << none << true << false << 0 << 1 << false;
    QTest::newRow("open, cancelled") << true << true << "open" << "" << none << none << false << false << 0 << 1 << false;
    QTest::newRow("convert with a source") << true << false << "convert" << "" << src << dst << true << true << 0 << 0 << false;
    QTest::newRow("convert again") << true << true << "convert" << "" << src << dst << true << true << 0 << 0 << false;
    QTest::newRow("convert without a source") << false << true << "convert" << "" << src << none << false << false << 1 << 0 << false;
    QTest::newRow("save after converting") << true << true << "save" << "out.pas" << src << dst << true << true << 0 << 1 << true;
    QTest::newRow("save, cancelled") << true << true << "save" << "" << src << dst << true << true << 0 << 1 << false;
    QTest::newRow("save without converting") << true << false << "save" << "out.pas" << src << dst << true << false << 1 << 0 << false;
    QTest::newRow("save at start") << false << false << "save" << "out.pas" << src << dst << false << false << 1 << 0 << false;
}

void TestCommands::stateTable()
{
    QFETCH(bool, loaded);
    QFETCH(bool, converted);
    QFETCH(QString, command);
    QFETCH(QString, answer);
    QFETCH(std::string, source);
    QFETCH(std::string, dest);
    QFETCH(bool, loadedAfter);
    QFETCH(bool, convertedAfter);
    QFETCH(int, beeps);
    QFETCH(int, dialogs);
    QFETCH(bool, saved);

    guitest::WriteBytes(Path("in.c"), "if (a == b) x = 1;\r\n");
    QFile::remove(Path("out.pas"));
    MainForm->SourceMemo->SetText("if (a == b) x = 1;\r\n");
    MainForm->DestMemo->SetText("if (a = b) x = 1;\r\n");
    SourceLoaded = loaded;
    Converted = converted;
    if (answer.isEmpty()) {
        TestSeams::CancelNextFileDialog();
    } else {
        TestSeams::AnswerNextFileDialog(Path(answer).toStdString());
    }

    TMenuItem* item = command == "open"      ? MainForm->FileOpenItem
                      : command == "convert" ? MainForm->ConvertItem
                                             : MainForm->SaveDestItem;
    Click(item);

    COMPARE_BYTES(MainForm->SourceMemo->Text(), source);
    COMPARE_BYTES(MainForm->DestMemo->Text(), dest);
    QCOMPARE(SourceLoaded, loadedAfter);
    QCOMPARE(Converted, convertedAfter);
    QCOMPARE(TestSeams::BeepCount(), beeps);
    if (beeps > 0) QCOMPARE(*TestSeams::LastBeepType(), 1u);
    QCOMPARE(TestSeams::FileDialogsExecuted(), dialogs);
    QCOMPARE(QFile::exists(Path("out.pas")), saved);
    if (saved) COMPARE_BYTES(guitest::ReadBytes(Path("out.pas")), dest);
    QVERIFY(TestSeams::TakeBoxes().empty());  // a refusal is no error
}

void TestCommands::sourceErrorsKeepFlagsAndEmptyViews_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing file") << "missing.c" << "Datei %1 kann nicht geöffnet werden.";
    QTest::newRow("directory") << "folder" << "Datei %1 kann nicht geöffnet werden.";
    QTest::newRow("named pipe") << "fifo" << "Datei %1 kann nicht geöffnet werden.";
    QTest::newRow("over the view's capacity") << "huge.c" << "Text überschreitet Memo-Kapazität.";
}

void TestCommands::sourceErrorsKeepFlagsAndEmptyViews()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    QDir(dir_.path()).mkpath("folder");
    ::mkfifo(qPrintable(Path("fifo")), 0600);
    if (name == "huge.c") guitest::WriteBytes(Path("huge.c"), std::string(MemoCapacity + 1, 'x'));
    // After a conversion.
    guitest::WriteBytes(Path("in.c"), "a == b\r\n");
    Open("in.c");
    Click(MainForm->ConvertItem);
    QVERIFY(SourceLoaded && Converted);

    Open(name);

    auto boxes = TestSeams::TakeBoxes();
    QCOMPARE(boxes.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(boxes[0].text), message.contains("%1") ? message.arg(Path(name)) : message);
    QCOMPARE(boxes[0].title, Application->Title());
    QCOMPARE(boxes[0].icon, TMsgIcon::Stop);
    QCOMPARE(boxes[0].buttons, TMsgButtons::Ok);
    COMPARE_BYTES(MainForm->SourceMemo->Text(), "");
    COMPARE_BYTES(MainForm->DestMemo->Text(), "");
    QVERIFY(SourceLoaded);
    QVERIFY(Converted);
    QVERIFY(MainForm->isVisible());

    // So "Save dest" is still allowed, and writes the empty result view.
    TestSeams::AnswerNextFileDialog(Path("after-error.pas").toStdString());
    Click(MainForm->SaveDestItem);
    QCOMPARE(TestSeams::BeepCount(), 0);
    COMPARE_BYTES(guitest::ReadBytes(Path("after-error.pas")), "");
    QFile::remove(Path("huge.c"));
}

void TestCommands::saveErrorsKeepTheOldFile_data()
{
    QTest::addColumn<QString>("target");  // %1: the test folder
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("fileSizeLimit");
    QTest::newRow("folder missing") << "%1/nowhere/out.pas" << "Datei %1/nowhere/out.pas kann nicht erstellt werden." << false;
    QTest::newRow("folder that takes no files") << "/proc/velmora-out.pas" << "Datei /proc/velmora-out.pas kann nicht erstellt werden." << false;
    QTest::newRow("target is a folder") << "%1/folder" << "Datei %1/folder kann nicht erstellt werden." << false;
    QTest::newRow("disk full") << "%1/old.pas" << "Stream-Write-Fehler." << true;
}

void TestCommands::saveErrorsKeepTheOldFile()
{
    QFETCH(QString, target);
    QFETCH(QString, message);
    QFETCH(bool, fileSizeLimit);
    target = target.arg(dir_.path());
    message = message.arg(dir_.path());
    QDir(dir_.path()).mkpath("folder");
    const std::string oldBytes = "old contents\r\n";
    guitest::WriteBytes(Path("old.pas"), oldBytes);
    std::string line(200, 'x');
    std::string source;
    for (int i = 0; i < 100; ++i) source += line + "\r\n";
    guitest::WriteBytes(Path("big.c"), source);
    Open("big.c");
    Click(MainForm->ConvertItem);
    const std::string result = MainForm->DestMemo->Text();

    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    if (fileSizeLimit) {
        // Writes stop after 4 KiB, as on a disk that is full; SIGXFSZ is
        // ignored by the platform, so the write comes back short.
        rlimit small = saved;
        small.rlim_cur = 4096;
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
    }
    TestSeams::AnswerNextFileDialog(target.toStdString());
    Click(MainForm->SaveDestItem);
    ::setrlimit(RLIMIT_FSIZE, &saved);

    auto boxes = TestSeams::TakeBoxes();
    QCOMPARE(boxes.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(boxes[0].text), message);
    QCOMPARE(boxes[0].icon, TMsgIcon::Stop);
    COMPARE_BYTES(guitest::ReadBytes(Path("old.pas")), oldBytes);
    QVERIFY(!QFile::exists(target) || QFileInfo(target).isDir() || target.endsWith("old.pas"));
    QCOMPARE(QDir(dir_.path()).entryList({".old.pas*"}, QDir::Hidden | QDir::Files), QStringList());
    COMPARE_BYTES(MainForm->DestMemo->Text(), result);
    QVERIFY(Converted);
}

void TestCommands::everyByteSurvivesSourceToFile()
{
    guitest::UseTables(dir_.path(), "\r\n", "\r\n");  // one pair, empty pattern: changes nothing
    std::string line;
    for (int b = 1; b < 256; ++b)
        if (b != '\r' && b != '\n') line += char(b);
    guitest::WriteBytes(Path("all.c"), line + "\r\n" + line + "\n" + line);
    Open("all.c");
    Click(MainForm->ConvertItem);
    TestSeams::AnswerNextFileDialog(Path("all.pas").toStdString());
    Click(MainForm->SaveDestItem);
    guitest::UseTables(dir_.path(), kCpp, kPascal);
    COMPARE_BYTES(guitest::ReadBytes(Path("all.pas")), line + "\r\n" + line + "\r\n" + line + "\r\n");
}

void TestCommands::lfOnlyFileConvertsLineByLine()
{
    guitest::WriteBytes(Path("lf.c"), "a == b\nx = 1\n");
    Open("lf.c");
    QCOMPARE(MainForm->SourceMemo->LineCount(), std::size_t{2});
    QCOMPARE(MainForm->SourceMemo->document()->blockCount(), 3);
    Click(MainForm->ConvertItem);
    TestSeams::AnswerNextFileDialog(Path("lf.pas").toStdString());
    Click(MainForm->SaveDestItem);
    COMPARE_BYTES(guitest::ReadBytes(Path("lf.pas")), "a = b\r\nx := 1\r\n");
}

void TestCommands::longLineIsConvertedAsItsFirst4096Characters()
{
    const std::string line = std::string(100, 'x') + "==" + std::string(4898, 'y');
    QCOMPARE(line.size(), std::size_t{5000});
    guitest::WriteBytes(Path("long.c"), line + "\r\n");
    Open("long.c");
    Click(MainForm->ConvertItem);
    TestSeams::AnswerNextFileDialog(Path("long.pas").toStdString());
    Click(MainForm->SaveDestItem);
    COMPARE_BYTES(guitest::ReadBytes(Path("long.pas")),
                  std::string(100, 'x') + "=" + std::string(4096 - 102, 'y') + "\r\n");
    // The source view keeps the whole line.
    QCOMPARE(MainForm->SourceMemo->Line(0).size(), std::size_t{5000});
}

void TestCommands::convertingTwiceGivesTheSameResult()
{
    guitest::WriteBytes(Path("twice.c"), "{ x = 1; }\r\nif (a == b)\r\n");
    Open("twice.c");
    Click(MainForm->ConvertItem);
    const std::string first = MainForm->DestMemo->Text();
    COMPARE_BYTES(first, "begin\nend x := 1; }\r\nif (a = b)\r\n");
    Click(MainForm->ConvertItem);
    COMPARE_BYTES(MainForm->DestMemo->Text(), first);
}

void TestCommands::editedResultIsWhatIsSaved()
{
    guitest::WriteBytes(Path("edit.c"), "x = 1\r\ny = 2\r\n");
    Open("edit.c");
    Click(MainForm->ConvertItem);
    TMemo* dest = MainForm->DestMemo;
    dest->setFocus();
    dest->moveCursor(QTextCursor::Start);
    QTest::keyClick(dest, Qt::Key_End);
    QTest::keyClicks(dest, ";");
    QTest::keyClick(dest, Qt::Key_Return);
    QTest::keyClicks(dest, "(* new *)");
    TestSeams::AnswerNextFileDialog(Path("edit.pas").toStdString());
    Click(MainForm->SaveDestItem);
    COMPARE_BYTES(guitest::ReadBytes(Path("edit.pas")), "x := 1;\r\n(* new *)\r\ny := 2\r\n");

    // "Save dest" may run again and writes what the view shows then.
    QTest::keyClicks(dest, "!");
    TestSeams::AnswerNextFileDialog(Path("edit.pas").toStdString());
    Click(MainForm->SaveDestItem);
    COMPARE_BYTES(guitest::ReadBytes(Path("edit.pas")), "x := 1;\r\n(* new *)!\r\ny := 2\r\n");
}

void TestCommands::emptySourceConvertsToEmptyFile()
{
    guitest::WriteBytes(Path("empty.c"), "");
    guitest::WriteBytes(Path("empty.pas"), "previous");
    Open("empty.c");
    COMPARE_BYTES(MainForm->SourceMemo->Text(), "");
    Click(MainForm->ConvertItem);
    QVERIFY(Converted);
    TestSeams::AnswerNextFileDialog(Path("empty.pas").toStdString());
    Click(MainForm->SaveDestItem);
    QCOMPARE(TestSeams::BeepCount(), 0);
    COMPARE_BYTES(guitest::ReadBytes(Path("empty.pas")), "");
}

void TestCommands::savedBytesEqualTheBatchConverters()
{
    std::string source = "/* sample */\r\nint main() {\n  if (a == b) x = 1;\r  return 0;\r\n}\n\r";
    source += "Gr\xC3\xB6\xC3\x9F" "e \xE4 \xA0 == \x01\x7F\xFF\r\n";
    source += std::string(4500, 'q') + "=\r\n\r\n\r\nlast line without break {";
    guitest::WriteBytes(Path("sample.c"), source);
    Open("sample.c");
    Click(MainForm->ConvertItem);
    TestSeams::AnswerNextFileDialog(Path("window.pas").toStdString());
    Click(MainForm->SaveDestItem);

    QProcess batch;
    batch.start(VELMORA_CONVERT, {"--tables", dir_.path(), Path("sample.c"), "-o", Path("batch.pas")});
    QVERIFY(batch.waitForFinished(20000));
    QCOMPARE(batch.exitCode(), 0);
    const std::string window = guitest::ReadBytes(Path("window.pas"));
    COMPARE_BYTES(window, guitest::ReadBytes(Path("batch.pas")));
    COMPARE_BYTES(window, ConvertSourceText(LoadSourceText(Path("sample.c").toStdString())));
}

void TestCommands::saveWritesThroughASymbolicLinkAndKeepsPermissions()
{
    guitest::WriteBytes(Path("in.c"), "x = 1\r\n");
    guitest::WriteBytes(Path("real.pas"), "old");
    QVERIFY(::chmod(qPrintable(Path("real.pas")), 0640) == 0);
    QFile::remove(Path("link.pas"));
    QVERIFY(QFile::link(Path("real.pas"), Path("link.pas")));
    Open("in.c");
    Click(MainForm->ConvertItem);
    TestSeams::AnswerNextFileDialog(Path("link.pas").toStdString());
    Click(MainForm->SaveDestItem);
    QVERIFY(QFileInfo(Path("link.pas")).isSymLink());
    COMPARE_BYTES(guitest::ReadBytes(Path("real.pas")), "x := 1\r\n");
    struct stat st {};
    QVERIFY(::stat(qPrintable(Path("real.pas")), &st) == 0);
    QCOMPARE(st.st_mode & 07777, mode_t{0640});
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
