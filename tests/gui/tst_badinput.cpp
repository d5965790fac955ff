// The window's three commands against bad input: sources that are empty,
// binary, huge, gone or not files at all, and saves that cannot go where the
// user asked. Each case either gives exactly the bytes the engine and the
// plain reference give, or one error box with the application's title,
// leaving views, flags and every existing file as they were.
//
// The last case is a whole open-convert-save run; the shutdown in
// cleanupTestCase then has to release every table entry, which the
// sanitizer build's leak checker confirms at exit.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include <csignal>
#include <cstring>
#include <functional>
#include <string>

#include "app/Main.h"
#include "engine/convert.h"
#include "engine/table.h"
#include "platform/gui/testseams.h"
#include "platform/rtl/sourcetext.h"
#include "tests/gui/guitest.h"
#include "tests/support/bad_inputs.h"
#include "tests/support/reference_rewrite.h"

// Makes a source at path; returns false when the case cannot be made here,
// with the reason in skip.
using MakeSource = std::function<bool(const QString& path, QString& skip)>;

Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(MakeSource)

namespace {

// The first 120 bytes from where two byte strings first differ.
std::string Difference(const std::string& a, const std::string& e)
{
    std::size_t at = 0;
    while (at < a.size() && at < e.size() && a[at] == e[at]) ++at;
    auto hex = [at](const std::string& s) {
        return QByteArray::fromStdString(s.substr(std::min(at, s.size()), 120)).toHex(' ').toStdString();
    };
    return "\n   got " + std::to_string(a.size()) + " bytes, wanted " + std::to_string(e.size()) +
           "; first difference at " + std::to_string(at) + "\n   got: " + hex(a) + "\nwanted: " + hex(e);
}

#define COMPARE_BYTES(actual, expected)                                                  \
    do {                                                                                 \
        const std::string a_ = (actual), e_ = (expected);                                \
        QVERIFY2(a_ == e_, qPrintable(QString::fromStdString(Difference(a_, e_))));      \
    } while (0)

// Pairs that grow, shrink and chain ('=' after '==' was made '='), one
// replacement with an LF in it, and non-ASCII bytes on both sides.
const std::string kCpp =
    "/*\r\n*/\r\n==\r\n!=\r\n=\r\n{\r\n}\r\nint \r\nNULL\r\n&&\r\n||\r\n->\r\n\t\r\n\xE4\r\n\x01\r\n";
const std::string kPascal =
    "{\r\n}\r\n=\r\n<>\r\n:=\r\nbegin\nend\r\nend;\r\nInteger \r\nnil\r\nand\r\nor\r\n^.\r\n  \r\nae\r\n\xFF\xFE\r\n";

const reference::Table& ReferenceTable()
{
    static const reference::Table table =
        reference::ReadTable(reference::ToBytes(kCpp), reference::ToBytes(kPascal));
    return table;
}

std::string ReferenceView(const std::string& file)
{
    return reference::ToString(reference::SourceText(reference::ToBytes(file)));
}

std::string ReferenceResult(const std::string& file)
{
    return reference::ToString(reference::ConvertSource(ReferenceTable(), reference::ToBytes(file)));
}

const std::string kSample =
    "/* sample */\r\nint main(void)\r\n{\r\n\tint a = 1, c = 2;\r\n"
    "\tif (a == c && p->next != NULL) x = a;\r\n\treturn 0; /* \xE4nd */\r\n}\r\n";

using badinputs::AllByteValues;
using badinputs::OneLongLine;

// Short lines with all three kinds of break; no two breaks in a row merge.
std::string ManyShortLines(int count)
{
    const char* const lines[] = {"int a = 1;", "{", "}", "", "x = a == c;", "\tp->q = NULL;", "/* c */",
                                 "a && c || b"};
    const char* const breaks[] = {"\r\n", "\n", "\r"};
    std::string source;
    source.reserve(std::size_t(count) * 10);
    for (int i = 0; i < count; ++i) {
        source += lines[i % 8];
        source += breaks[i % 3];
    }
    return source;
}

// A command that does not come back within the time allowed ends the run
// with a message instead of holding up the suite until its timeout.
const char* g_running = "";

void Hung(int)
{
    const char text[] = "\nFAIL: a command hung on ";
    (void)!::write(2, text, sizeof text - 1);
    (void)!::write(2, g_running, std::strlen(g_running));
    (void)!::write(2, "\n", 1);
    _exit(3);
}

class Watchdog {
public:
    explicit Watchdog(const char* what, unsigned seconds = 30)
    {
        g_running = what;
        std::signal(SIGALRM, Hung);
        ::alarm(seconds);
    }
    ~Watchdog() { ::alarm(0); }
};

long MaxRssKiB()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

class TestBadInput : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void sourceConvertsLikeTheReference_data();
    void sourceConvertsLikeTheReference();
    void sourceErrorsKeepFlagsAndEmptyViews_data();
    void sourceErrorsKeepFlagsAndEmptyViews();
    void saveErrorsLoseNothing_data();
    void saveErrorsLoseNothing();
    void saveOntoSymbolicLinkWritesItsTarget_data();
    void saveOntoSymbolicLinkWritesItsTarget();
    void fullRunOpenConvertSave();

private:
    QString Path(const QString& name) const { return dir_.path() + "/" + name; }
    void Open(const QString& path)
    {
        TestSeams::AnswerNextFileDialog(path.toStdString());
        MainForm->FileOpenItem->trigger();
    }
    void Convert() { MainForm->ConvertItem->trigger(); }
    void Save(const QString& path)
    {
        TestSeams::AnswerNextFileDialog(path.toStdString());
        MainForm->SaveDestItem->trigger();
    }
    // Loads and converts the sample, so that both views hold text and both
    // flags are set.
    void OpenAndConvertSample();
    // Exactly one box, an error box with the application's title and text.
    void ExpectErrorBox(const QString& text);

    QTemporaryDir dir_;
    QString startDir_;
};

void TestBadInput::initTestCase()
{
    QVERIFY(dir_.isValid());
    startDir_ = QDir::currentPath();
    guitest::WriteTables(dir_.path(), kCpp, kPascal);
    QVERIFY(QDir::setCurrent(dir_.path()));
    int argc = 1;
    char name[] = "tst_badinput";
    char* argv[] = {name, nullptr};
    InitializeModules(argc, argv);
    QCOMPARE(PairCount, TPairCount{15});
    Application->CreateForm(MainForm);
    MainForm->show();
    QVERIFY(QTest::qWaitForWindowExposed(MainForm));
}

void TestBadInput::cleanupTestCase()
{
    // Closing the program: forms, then units, then Qt.
    Halt();
    QCOMPARE(PairCount, TPairCount{0});
    QCOMPARE(PatternTable.Count(), std::size_t{0});
    QCOMPARE(ReplacementTable.Count(), std::size_t{0});
    QDir::setCurrent(startDir_);
}

void TestBadInput::init()
{
    TestSeams::Reset();
    TestSeams::CaptureBoxes();
    SourceLoaded = false;
    Converted = false;
    MainForm->SourceMemo->SetText("");
    MainForm->DestMemo->SetText("");
}

void TestBadInput::OpenAndConvertSample()
{
    guitest::WriteBytes(Path("sample.c"), kSample);
    Open(Path("sample.c"));
    Convert();
    QVERIFY(SourceLoaded && Converted);
    COMPARE_BYTES(MainForm->DestMemo->Text(), ReferenceResult(kSample));
}

void TestBadInput::ExpectErrorBox(const QString& text)
{
    auto boxes = TestSeams::TakeBoxes();
    QCOMPARE(boxes.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(boxes[0].text), text);
    QCOMPARE(QString::fromStdString(boxes[0].title), QString("tst_badinput"));
    QCOMPARE(boxes[0].title, Application->Title());
    QCOMPARE(boxes[0].icon, TMsgIcon::Stop);
    QCOMPARE(boxes[0].buttons, TMsgButtons::Ok);
}

void TestBadInput::sourceConvertsLikeTheReference_data()
{
    QTest::addColumn<std::string>("file");
    QTest::newRow("empty") << std::string();
    QTest::newRow("only NULs") << std::string(4096, '\0');
    QTest::newRow("text, then NULs") << kSample + std::string(4096, '\0') + kSample;
    QTest::newRow("all byte values, NUL first") << AllByteValues(false);
    QTest::newRow("all byte values, NUL last") << AllByteValues(true);
    QTest::newRow("one line of 1 MB") << OneLongLine();
    QTest::newRow("one line of 1 MB among short ones") << "int x;\nint y;\r\n" + OneLongLine() + "\r\n}";
    QTest::newRow("only line breaks") << std::string("\r\n\n\r\r\n\n\r\r");
    QTest::newRow("200,000 short lines") << ManyShortLines(200 * 1000);
}

void TestBadInput::sourceConvertsLikeTheReference()
{
    QFETCH(std::string, file);
    const QString in = Path("in.c"), out = Path("out.pas");
    guitest::WriteBytes(in, file);
    guitest::WriteBytes(out, "the old result");
    const std::string view = LoadSourceText(in.toStdString());
    const std::string expected = ConvertSourceText(view);
    COMPARE_BYTES(view, ReferenceView(file));
    COMPARE_BYTES(expected, ReferenceResult(file));

    Open(in);
    QVERIFY(TestSeams::TakeBoxes().empty());
    QVERIFY(SourceLoaded);
    QVERIFY(!Converted);
    COMPARE_BYTES(MainForm->SourceMemo->Text(), view);
    const auto lines = reference::SourceLines(reference::ToBytes(file));
    QCOMPARE(MainForm->SourceMemo->LineCount(), lines.size());
    // The read-only view shows a line longer than it lays out whole cut, and
    // says so; its text above keeps every byte.
    QTextBlock block = MainForm->SourceMemo->document()->firstBlock();
    for (std::size_t i = 0; i < lines.size(); ++i, block = block.next()) {
        QVERIFY(block.isValid());
        if (lines[i].size() <= MaxViewLineLength) continue;
        QCOMPARE(block.text().size(), qsizetype(MaxViewLineLength + 3));
        QVERIFY(block.text().endsWith(QStringLiteral("...")));
    }

    Convert();
    QVERIFY(Converted);
    COMPARE_BYTES(MainForm->DestMemo->Text(), expected);

    Save(out);
    QVERIFY(TestSeams::TakeBoxes().empty());
    QCOMPARE(TestSeams::BeepCount(), 0);
    COMPARE_BYTES(guitest::ReadBytes(out), expected);
    // The source file is only read.
    COMPARE_BYTES(guitest::ReadBytes(in), file);
}

void TestBadInput::sourceErrorsKeepFlagsAndEmptyViews_data()
{
    using Make = MakeSource;
    QTest::addColumn<MakeSource>("make");
    QTest::addColumn<QString>("message");  // %1: the file's name
    const QString cannotOpen = "Datei %1 kann nicht geöffnet werden.";
    const QString capacity = "Text überschreitet Memo-Kapazität.";

    QTest::newRow("removed after choosing") << Make([](const QString& path, QString&) {
        guitest::WriteBytes(path, kSample);
        return QFile::remove(path);
    }) << cannotOpen;
    QTest::newRow("directory") << Make([](const QString& path, QString&) {
        return QDir().mkpath(path) && QFile::exists(path + "/.");
    }) << cannotOpen;
    QTest::newRow("named pipe without writer") << Make([](const QString& path, QString&) {
        return ::mkfifo(qPrintable(path), 0600) == 0;
    }) << cannotOpen;
    // Another program keeps the pipe open and never closes it: reading it to
    // its end would wait for ever.
    QTest::newRow("named pipe with writer") << Make([](const QString& path, QString&) {
        if (::mkfifo(qPrintable(path), 0600) != 0) return false;
        int fd = ::open(qPrintable(path), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        return fd >= 0 && ::write(fd, "int a;\n", 7) == 7;  // closed when the test ends
    }) << cannotOpen;
    QTest::newRow("unreadable") << Make([](const QString& path, QString& skip) {
        if (::geteuid() == 0) {
            skip = "running as root: file permissions do not stop root from reading";
            return false;
        }
        guitest::WriteBytes(path, kSample);
        return ::chmod(qPrintable(path), 0) == 0;
    }) << cannotOpen;
    QTest::newRow("one byte over the capacity") << Make([](const QString& path, QString&) {
        guitest::WriteBytes(path, std::string(MemoCapacity + 1, 'x'));
        return true;
    }) << capacity;
    // Each LF becomes CR LF in the view: the file is half the capacity.
    QTest::newRow("line breaks that double in the view") << Make([](const QString& path, QString&) {
        guitest::WriteBytes(path, std::string(MemoCapacity / 2 + 1, '\n'));
        return true;
    }) << capacity;
    // 4 GiB, mostly a hole; the text goes on past the capacity before the
    // hole's NULs would end it.
    QTest::newRow("4 GiB file") << Make([](const QString& path, QString&) {
        guitest::WriteBytes(path, std::string(MemoCapacity + 1024 * 1024, 'q'));
        return ::truncate(qPrintable(path), off_t{4} * 1024 * 1024 * 1024) == 0;
    }) << capacity;
}

void TestBadInput::sourceErrorsKeepFlagsAndEmptyViews()
{
    QFETCH(MakeSource, make);
    QFETCH(QString, message);
    QTemporaryDir here;
    const QString path = here.path() + "/src.c";
    QString skip;
    if (!make(path, skip)) {
        if (!skip.isEmpty()) QSKIP(qPrintable(skip));
        QFAIL("could not make the source");
    }
    const QString text = message.contains("%1") ? message.arg(path) : message;

    // From the start, and after a conversion: the flags stay either way.
    for (bool before : {false, true}) {
        if (before) OpenAndConvertSample();
        const long rssBefore = MaxRssKiB();
        {
            Watchdog watchdog(QTest::currentDataTag());
            Open(path);
        }
        ExpectErrorBox(text);
        COMPARE_BYTES(MainForm->SourceMemo->Text(), "");
        COMPARE_BYTES(MainForm->DestMemo->Text(), "");
        QCOMPARE(SourceLoaded, before);
        QCOMPARE(Converted, before);
        QVERIFY(MainForm->isVisible());
        // Far below the file; a reader that stops at the capacity needs
        // a small multiple of it.
        QVERIFY2(MaxRssKiB() - rssBefore < 256 * 1024,
                 qPrintable(QString("peak memory grew by %1 KiB").arg(MaxRssKiB() - rssBefore)));
    }

    // The window goes on working: the next file opens and converts.
    OpenAndConvertSample();
    QVERIFY(TestSeams::TakeBoxes().empty());
}

void TestBadInput::saveErrorsLoseNothing_data()
{
    QTest::addColumn<QString>("target");   // %1: the test's folder
    QTest::addColumn<QString>("message");  // %1: the target
    QTest::addColumn<QString>("setup");
    const QString cannotCreate = "Datei %1 kann nicht erstellt werden.";
    QTest::newRow("folder that does not exist") << "%1/nowhere/out.pas" << cannotCreate << "";
    QTest::newRow("folder no one may create files in") << "/proc/velmora-out.pas" << cannotCreate << "";
    QTest::newRow("name that is a folder") << "%1/out.pas" << cannotCreate << "folder";
    QTest::newRow("folder that is not writable") << "%1/locked/out.pas" << cannotCreate << "locked folder";
    QTest::newRow("over a read-only file") << "%1/old.pas" << cannotCreate << "read-only";
    QTest::newRow("full disk") << "%1/old.pas" << "Stream-Write-Fehler." << "limit";
    // The old file alone is larger than what may still be written.
    QTest::newRow("full disk, old file larger than the room left") << "%1/old.pas" << "Stream-Write-Fehler."
                                                                    << "limit, large old file";
}

void TestBadInput::saveErrorsLoseNothing()
{
    QFETCH(QString, target);
    QFETCH(QString, message);
    QFETCH(QString, setup);
    QTemporaryDir here;
    if (target.contains("%1")) target = target.arg(here.path());
    if (message.contains("%1")) message = message.arg(target);
    const bool asRoot = ::geteuid() == 0;
    if (asRoot && (setup == "read-only" || setup == "locked folder"))
        QSKIP("running as root: file permissions do not stop root from writing");

    const std::string oldBytes = setup.contains("large old file") ? std::string(64 * 1024, 'o') + "\r\n"
                                                                  : std::string("old contents\r\n");
    const QString old = here.path() + "/old.pas";
    guitest::WriteBytes(old, oldBytes);
    if (setup == "folder") {
        QVERIFY(QDir().mkpath(target));
        guitest::WriteBytes(target + "/inside.txt", oldBytes);
    }
    if (setup == "read-only") QVERIFY(::chmod(qPrintable(old), 0444) == 0);
    if (setup == "locked folder") {
        QVERIFY(QDir().mkpath(here.path() + "/locked"));
        QVERIFY(::chmod(qPrintable(here.path() + "/locked"), 0555) == 0);
    }

    // A result far larger than the room the limit leaves.
    std::string source;
    while (source.size() < 256 * 1024) source += kSample;
    guitest::WriteBytes(Path("big.c"), source);
    Open(Path("big.c"));
    Convert();
    const std::string view = MainForm->SourceMemo->Text();
    const std::string result = MainForm->DestMemo->Text();
    COMPARE_BYTES(result, ReferenceResult(source));
    const QStringList namesBefore = QDir(here.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

    rlimit saved{};
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
    if (setup.startsWith("limit")) {
        // As on a disk that is full after 4 KiB. The application ignores
        // SIGXFSZ, so the write comes back short instead of ending the run.
        struct sigaction action{};
        QVERIFY(::sigaction(SIGXFSZ, nullptr, &action) == 0);
        QVERIFY(action.sa_handler == SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 4096;
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
    }
    Save(target);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    if (setup == "locked folder") ::chmod(qPrintable(here.path() + "/locked"), 0755);

    ExpectErrorBox(message);
    COMPARE_BYTES(guitest::ReadBytes(old), oldBytes);
    if (setup == "folder") {
        QVERIFY(QFileInfo(target).isDir());
        QCOMPARE(QDir(target).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"inside.txt"});
        COMPARE_BYTES(guitest::ReadBytes(target + "/inside.txt"), oldBytes);
    } else if (!target.endsWith("/old.pas")) {
        QVERIFY(!QFileInfo::exists(target));
    }
    // No half-written or temporary file is left behind.
    QCOMPARE(QDir(here.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), namesBefore);
    if (setup == "locked folder")
        QCOMPARE(QDir(here.path() + "/locked").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
    // Views and flags are untouched, so the result can still be saved.
    COMPARE_BYTES(MainForm->SourceMemo->Text(), view);
    COMPARE_BYTES(MainForm->DestMemo->Text(), result);
    QVERIFY(SourceLoaded && Converted);
    Save(here.path() + "/retry.pas");
    QVERIFY(TestSeams::TakeBoxes().empty());
    COMPARE_BYTES(guitest::ReadBytes(here.path() + "/retry.pas"), result);
}

void TestBadInput::saveOntoSymbolicLinkWritesItsTarget_data()
{
    QTest::addColumn<QString>("linkTarget");  // as stored in the link, which lies in "out"
    QTest::addColumn<QString>("realFile");    // the file that gets the bytes
    QTest::addColumn<bool>("targetExists");
    QTest::newRow("relative, to an existing file") << "../elsewhere/real.pas" << "elsewhere/real.pas" << true;
    QTest::newRow("dangling") << "../elsewhere/new.pas" << "elsewhere/new.pas" << false;
    QTest::newRow("to a file in the same folder") << "real.pas" << "out/real.pas" << true;
}

void TestBadInput::saveOntoSymbolicLinkWritesItsTarget()
{
    QFETCH(QString, linkTarget);
    QFETCH(QString, realFile);
    QFETCH(bool, targetExists);
    QTemporaryDir here;
    QVERIFY(QDir(here.path()).mkpath("out") && QDir(here.path()).mkpath("elsewhere"));
    const QString real = here.path() + "/" + realFile;
    if (targetExists) guitest::WriteBytes(real, std::string(3000, 'o'));
    const QString link = here.path() + "/out/link.pas";
    const QString chain = here.path() + "/out/chain.pas";
    QVERIFY(::symlink(qPrintable(linkTarget), qPrintable(link)) == 0);
    QVERIFY(::symlink("link.pas", qPrintable(chain)) == 0);  // a link to the link
    OpenAndConvertSample();
    const std::string expected = ReferenceResult(kSample);

    for (const QString& name : {link, chain}) {
        Save(name);
        QVERIFY(TestSeams::TakeBoxes().empty());
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY(QFileInfo(chain).isSymLink());
        QVERIFY(!QFileInfo(real).isSymLink());
        COMPARE_BYTES(guitest::ReadBytes(real), expected);
        QFile::remove(real);
    }
    char stored[256] = {};
    QVERIFY(::readlink(qPrintable(link), stored, sizeof stored - 1) > 0);
    QCOMPARE(QString(stored), linkTarget);
}

void TestBadInput::fullRunOpenConvertSave()
{
    // A table far larger than the design's room, so that a pair left
    // unreleased at shutdown would be noticed.
    std::string cpp, pascal;
    for (int k = 0; k < 9000; ++k) {
        cpp += "pattern" + std::to_string(k) + "\r\n";
        pascal += "replacement number " + std::to_string(k) + "\r\n";
    }
    cpp += kCpp;
    pascal += kPascal;
    guitest::UseTables(dir_.path(), cpp, pascal);
    QCOMPARE(PairCount, TPairCount{9015});
    const reference::Table table = reference::ReadTable(reference::ToBytes(cpp), reference::ToBytes(pascal));

    const std::string source = kSample + "pattern17 pattern8999 == pattern4242\r\n" + AllByteValues(true);
    guitest::WriteBytes(Path("run.c"), source);
    Open(Path("run.c"));
    Convert();
    Save(Path("run.pas"));
    QVERIFY(TestSeams::TakeBoxes().empty());
    const std::string saved = guitest::ReadBytes(Path("run.pas"));
    COMPARE_BYTES(saved, reference::ToString(reference::ConvertSource(table, reference::ToBytes(source))));
    COMPARE_BYTES(saved, ConvertSourceText(LoadSourceText(Path("run.c").toStdString())));
    // The table stays loaded until cleanupTestCase closes the program.
}

QTEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
