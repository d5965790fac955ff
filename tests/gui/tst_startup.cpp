// Start-up and shutdown of the program: each case runs the program's start
// sequence (the four steps of app/main.cpp) in a child process, so that exit
// statuses can be observed, and the child reports what it saw through a pipe.
#include <sys/wait.h>
#include <unistd.h>

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <stdexcept>

#include "app/Main.h"
#include "engine/table.h"
#include "platform/gui/testseams.h"
#include "platform/gui/units.h"
#include "platform/rtl/errors.h"
#include "tests/gui/guitest.h"

namespace {

int ReportFd = -1;

void Report(const std::string& line)
{
    std::string text = line + "\n";
    [[maybe_unused]] auto n = ::write(ReportFd, text.data(), text.size());
}

std::string IconName(TMsgIcon icon)
{
    switch (icon) {
        case TMsgIcon::None: return "none";
        case TMsgIcon::Stop: return "stop";
        case TMsgIcon::Warning: return "warning";
        case TMsgIcon::Question: return "question";
        case TMsgIcon::Information: return "information";
    }
    return "?";
}

int CountForms()
{
    int forms = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) forms += qobject_cast<TForm*>(w) ? 1 : 0;
    return forms;
}

// Reports every box instead of showing it, with what was alive at that moment.
void ReportBoxes()
{
    TestSeams::SetBoxHook([](const TestSeams::TBoxRecord& box) {
        Report("box title=" + box.title + " icon=" + IconName(box.icon) +
               " buttons=" + (box.buttons == TMsgButtons::Ok ? "ok" : "yesno") +
               " owner=" + (box.hasOwner ? "yes" : "no") + " forms=" +
               std::to_string(CountForms()) + " units=[" + InitializedUnitNames() + "]");
        std::string text = box.text;
        for (char& c : text) c = c == '\n' ? '|' : c;
        Report("text=" + text);
        return TMsgResult::Ok;
    });
}

void ReportAtExit()
{
    Report("exit units=[" + InitializedUnitNames() + "] pairs=" + std::to_string(PairCount));
}

// A form whose construction fails, as the main window's might.
class TFailingForm : public TForm {
public:
    TFailingForm() { RaiseFOpenError("/nowhere/form.dfm"); }
};

struct TChild {
    int status = -1;  // exit status, or -1 when the child did not exit normally
    QStringList lines;
};

// Runs body in a child process whose current directory is dir and returns
// its exit status and report.
TChild RunChild(const QString& dir, const std::function<int()>& body)
{
    int fds[2];
    if (::pipe(fds) != 0) qFatal("pipe");
    std::fflush(stdout);
    std::fflush(stderr);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        ReportFd = fds[1];
        if (::chdir(dir.toLocal8Bit().constData()) != 0) ::_exit(99);
        std::atexit(ReportAtExit);
        ReportBoxes();
        std::exit(body());
    }
    ::close(fds[1]);
    QByteArray output;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0) output.append(buffer, n);
    ::close(fds[0]);
    int wstatus = 0;
    ::waitpid(pid, &wstatus, 0);
    TChild child;
    child.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    child.lines = QString::fromUtf8(output).split(u'\n', Qt::SkipEmptyParts);
    return child;
}

// The program's entry, step by step as app/main.cpp has it, closing the
// main window once the event loop runs.
int ProgramStartingAndClosing()
{
    int argc = 1;
    char name[] = "velmora";
    char* argv[] = {name, nullptr};
    InitializeModules(argc, argv);
    Report("modules initialised units=[" + InitializedUnitNames() +
           "] pairs=" + std::to_string(PairCount));
    Application->CreateForm(MainForm);
    QTimer::singleShot(0, [] {
        Report(std::string("running visible=") + (MainForm->isVisible() ? "yes" : "no") +
               " main=" + (Application->MainForm() == MainForm ? "yes" : "no"));
        MainForm->close();
    });
    Application->Run();
    Report("loop ended");
    return Halt();
}

}  // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void applicationTitle_data();
    void applicationTitle();
    void errorBoxText_data();
    void errorBoxText();
    void runtimeErrorText();
    void applicationErrorText();

    void failedStartShowsRuntimeErrorAndExits217_data();
    void failedStartShowsRuntimeErrorAndExits217();
    void normalCloseExitsZeroAndReleasesTable();
    void failedMainWindowShowsApplicationErrorAndExits1();
    void noDisplayIsOneLineNotACrash_data();
    void noDisplayIsOneLineNotACrash();
    void unitsInitialiseInOrderAndFinaliseInReverse();
};

void TestStartup::applicationTitle_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    QTest::newRow("design example") << "C:/TOOL.EXE" << "Tool";
    QTest::newRow("this program") << "/usr/bin/velmora" << "velmora";
    QTest::newRow("cut at the first dot") << "/opt/My.Prog.exe" << "My";
    QTest::newRow("first character kept") << "vELMORA" << "velmora";
    QTest::newRow("accented") << "/x/ÄRGER.BIN" << "Ärger";
    QTest::newRow("dash kept") << "velmora-convert" << "velmora-convert";
    QTest::newRow("one character") << "Q" << "Q";
    QTest::newRow("starts with a dot") << "/x/.hidden" << "";
}

void TestStartup::applicationTitle()
{
    QFETCH(QString, path);
    QFETCH(QString, title);
    QCOMPARE(QString::fromStdString(ApplicationTitleFromFileName(path.toStdString())), title);
}

void TestStartup::errorBoxText_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("text");
    QTest::newRow("letter") << "Stream-Write-Fehler" << "Stream-Write-Fehler.";
    QTest::newRow("accented letter") << "Text überschreitet Memo-Kapazität"
                                     << "Text überschreitet Memo-Kapazität.";
    QTest::newRow("ends in a byte above 127") << "Größe ä" << "Größe ä.";
    QTest::newRow("digit") << "E/A-Fehler 5" << "E/A-Fehler 5.";
    QTest::newRow("slash is above the dot") << "a/" << "a/.";
    QTest::newRow("already a dot") << "Fertig." << "Fertig.";
    QTest::newRow("parenthesis") << "(x)" << "(x)";
    QTest::newRow("exclamation") << "Halt!" << "Halt!";
    QTest::newRow("comma") << "a," << "a,";
    QTest::newRow("dash") << "a-" << "a-";
    QTest::newRow("blank") << "a " << "a ";
    QTest::newRow("empty") << "" << "";
}

void TestStartup::errorBoxText()
{
    QFETCH(QString, message);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(ErrorBoxText(message.toStdString())), text);
}

void TestStartup::runtimeErrorText()
{
    QCOMPARE(QString::fromStdString(RuntimeErrorText(217, 0x4A2B3Cul)),
             QString("Runtime error 217 at 004A2B3C"));
    QCOMPARE(QString::fromStdString(RuntimeErrorText(5, 0xABCDEF12ul)),
             QString("Runtime error   5 at ABCDEF12"));
}

void TestStartup::applicationErrorText()
{
    QCOMPARE(QString::fromStdString(
                 ApplicationErrorText("EFOpenError", "velmora", 0x1234, "Datei x kann nicht")),
             QString("Exception EFOpenError in Modul velmora bei 00001234.\nDatei x kann nicht."));
    QCOMPARE(QString::fromStdString(ApplicationErrorText("E", "m", 0, "Ende.")),
             QString("Exception E in Modul m bei 00000000.\nEnde."));
    QCOMPARE(QString::fromStdString(ApplicationErrorText("E", "m", 0, "")),
             QString("Exception E in Modul m bei 00000000.\n"));
}

void TestStartup::failedStartShowsRuntimeErrorAndExits217_data()
{
    QTest::addColumn<bool>("withCpp");
    QTest::addColumn<bool>("withPascal");
    QTest::newRow("no table files") << false << false;
    QTest::newRow("cpp.tap but no pascal.tap") << true << false;
    QTest::newRow("pascal.tap but no cpp.tap") << false << true;
}

void TestStartup::failedStartShowsRuntimeErrorAndExits217()
{
    QFETCH(bool, withCpp);
    QFETCH(bool, withPascal);
    QTemporaryDir dir;
    if (withCpp) guitest::WriteBytes(dir.path() + "/cpp.tap", "a\r\nb\r\n");
    if (withPascal) guitest::WriteBytes(dir.path() + "/pascal.tap", "x\r\n");

    TChild child = RunChild(dir.path(), ProgramStartingAndClosing);

    QCOMPARE(child.status, 217);
    QCOMPARE(child.lines.size(), 3);
    // Every unit begun, Main among them, was finalised before the box; no form
    // existed and the window never ran.
    QCOMPARE(child.lines[0],
             QString("box title=Error icon=none buttons=ok owner=no forms=0 units=[]"));
    QVERIFY2(QRegularExpression("^text=Runtime error 217 at [0-9A-F]{8}$").match(child.lines[1]).hasMatch(),
             qPrintable(child.lines[1]));
    QVERIFY(!child.lines[1].endsWith("00000000"));
    QCOMPARE(child.lines[2], QString("exit units=[] pairs=0"));
}

void TestStartup::normalCloseExitsZeroAndReleasesTable()
{
    QTemporaryDir dir;
    guitest::WriteTables(dir.path(), "a\r\nb\r\n", "x\r\n");

    TChild child = RunChild(dir.path(), ProgramStartingAndClosing);

    QCOMPARE(child.status, 0);
    QCOMPARE(child.lines, QStringList({"modules initialised units=[System Forms Main] pairs=2",
                                       "running visible=yes main=yes", "loop ended",
                                       "exit units=[] pairs=0"}));
}

void TestStartup::failedMainWindowShowsApplicationErrorAndExits1()
{
    QTemporaryDir dir;
    guitest::WriteTables(dir.path(), "a\r\n", "x\r\n");

    TChild child = RunChild(dir.path(), [] {
        int argc = 1;
        char name[] = "velmora";
        char* argv[] = {name, nullptr};
        InitializeModules(argc, argv);
        TFailingForm* form = nullptr;
        Application->CreateForm(form);
        Report("not reached");
        return 0;
    });

    QCOMPARE(child.status, 1);
    QCOMPARE(child.lines.size(), 3);
    QCOMPARE(child.lines[0], QString("box title=Anwendungsfehler icon=stop buttons=ok owner=no "
                                     "forms=0 units=[System Forms Main]"));
    QVERIFY2(QRegularExpression("^text=Exception EFOpenError in Modul tst_startup bei [0-9A-F]{8}\\."
                                "\\|Datei /nowhere/form\\.dfm kann nicht geöffnet werden\\.$")
                 .match(child.lines[1])
                 .hasMatch(),
             qPrintable(child.lines[1]));
    QCOMPARE(child.lines[2], QString("exit units=[] pairs=0"));
}

void TestStartup::noDisplayIsOneLineNotACrash_data()
{
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("message");
    QTest::newRow("no display named")
        << "" << "tst_startup: no display to show the window on (DISPLAY is not set)\n";
    QTest::newRow("display that does not answer")
        << ":4711" << "tst_startup: cannot show the window: no connection to the display :4711\n";
}

void TestStartup::noDisplayIsOneLineNotACrash()
{
    QFETCH(QString, display);
    QFETCH(QString, message);
    QTemporaryDir dir;
    guitest::WriteTables(dir.path(), "a\r\n", "x\r\n");
    int err[2];
    QVERIFY(::pipe(err) == 0);

    TChild child = RunChild(dir.path(), [&] {
        ::dup2(err[1], STDERR_FILENO);
        ::unsetenv("DISPLAY");
        if (!display.isEmpty()) ::setenv("DISPLAY", qPrintable(display), 1);
        ::unsetenv("WAYLAND_DISPLAY");
        ::unsetenv("QT_QPA_PLATFORM");
        int argc = 1;
        char name[] = "velmora";
        char* argv[] = {name, nullptr};
        InitializeModules(argc, argv);
        Report("not reached");
        return 0;
    });
    ::close(err[1]);
    char buffer[4096];
    ssize_t n = ::read(err[0], buffer, sizeof buffer);
    ::close(err[0]);
    QString stderrText;
    // Leaving out what a sanitizer build adds of its own.
    for (const QString& line : QString::fromUtf8(buffer, n > 0 ? n : 0).split(u'\n', Qt::SkipEmptyParts))
        if (!line.startsWith("==")) stderrText += line + "\n";

    QCOMPARE(child.status, 1);
    QCOMPARE(stderrText, message);
    if (display.isEmpty()) QCOMPARE(child.lines, QStringList({"exit units=[] pairs=0"}));
    else QVERIFY(child.lines.isEmpty());  // ended at once, before any unit
}

namespace {
std::string Trace;
void InitA() { Trace += "+A"; }
void FinalA() { Trace += "-A"; }
void InitB() { Trace += "+B"; throw std::runtime_error("B fails"); }
void FinalB() { Trace += "-B"; }
void InitC() { Trace += "+C"; }
void FinalC() { Trace += "-C"; }
}  // namespace

void TestStartup::unitsInitialiseInOrderAndFinaliseInReverse()
{
    // In a child, so that this process keeps its own units untouched.
    QTemporaryDir dir;
    TChild child = RunChild(dir.path(), [] {
        RegisterPlatformUnit("A", &InitA, &FinalA);
        RegisterPlatformUnit("B", &InitB, &FinalB);
        RegisterPlatformUnit("C", &InitC, &FinalC);
        try {
            InitializeUnits();
        } catch (const std::exception& e) {
            Trace += std::string(" failed in ") + (FailedUnitProc() == &InitB ? "B" : "?") + " ";
        }
        FinalizeUnits();
        Report(Trace);
        return 0;
    });
    QCOMPARE(child.status, 0);
    // The failing unit counts as initialised, the one after it never starts.
    QCOMPARE(child.lines.value(0), QString("+A+B failed in B -B-A"));
}

QTEST_APPLESS_MAIN(TestStartup)
#include "tst_startup.moc"
