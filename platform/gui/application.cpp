#include "platform/gui/application.h"

#include <cxxabi.h>
#include <dlfcn.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QIcon>
#include <QStringList>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <typeinfo>

#include "platform/gui/forms.h"
#include "platform/gui/messages.h"
#include "platform/gui/units.h"
#include "platform/rtl/errors.h"

TApplication* Application = nullptr;

namespace {

// The Qt instance, when the platform created it (tests bring their own).
QApplication* OwnedQtApplication = nullptr;

// The program icon, the one the desktop shows for the program; the program
// puts it into its resources under this name.
const char* const kProgramIconResource = ":/program-icon.png";

std::string ExecutablePath()
{
    char path[4096];
    ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return "velmora";
    return std::string(path, static_cast<std::size_t>(n));
}

std::string ExecutableFileName()
{
    std::string path = ExecutablePath();
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Demangle(const char* name)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(name, nullptr, nullptr, &status), std::free);
    return status == 0 && demangled ? std::string(demangled.get()) : std::string(name);
}

// Messages Qt gives while it connects to the display, held back so that a
// failure to connect gives one line instead of Qt's abort.
struct TStartMessages {
    QtMessageHandler previous = nullptr;
    std::vector<std::tuple<QtMsgType, QString>> held;
};
TStartMessages* StartMessages = nullptr;

void HoldStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg) {
        const char* display = std::getenv("DISPLAY");
        std::fprintf(stderr, "%s: cannot show the window: no connection to the display%s%s\n",
                     ExecutableFileName().c_str(), display ? " " : "", display ? display : "");
        std::fflush(stderr);
        ::_exit(1);
    }
    StartMessages->held.emplace_back(type, qFormatLogMessage(type, context, message));
}

bool HasDisplay(int argc, char** argv)
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0) return true;
    }
    return false;
}

void StartQt(int& argc, char** argv)
{
    if (QCoreApplication::instance()) return;
    if (!HasDisplay(argc, argv)) {
        std::fprintf(stderr, "%s: no display to show the window on (DISPLAY is not set)\n",
                     ExecutableFileName().c_str());
        std::exit(1);
    }
    TStartMessages messages;
    StartMessages = &messages;
    messages.previous = qInstallMessageHandler(HoldStartMessage);
    OwnedQtApplication = new QApplication(argc, argv);
    qInstallMessageHandler(messages.previous);
    StartMessages = nullptr;
    for (const auto& [type, text] : messages.held) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(text));
    }
}

void StopQt()
{
    delete OwnedQtApplication;
    OwnedQtApplication = nullptr;
}

void InitializeSystem()
{
    // A closed pipe or a file-size limit must come back as a write error.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

void InitializeForms()
{
    // Metric-compatible stand-ins where the designed fonts are missing.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
    Application = new TApplication;
}

void FinalizeForms()
{
    delete Application;
    Application = nullptr;
}

void RegisterPlatformUnits()
{
    static bool registered = false;
    if (registered) return;
    registered = true;
    RegisterPlatformUnit("System", &InitializeSystem, nullptr);
    RegisterPlatformUnit("Forms", &InitializeForms, &FinalizeForms);
}

[[noreturn]] __attribute__((noinline)) void StartupFailed(const std::exception_ptr& error,
                                                          TUnitProc failedUnit)
{
    unsigned long offset =
        ImageOffset(ErrorAddress(error, reinterpret_cast<const void*>(failedUnit)));
    FinalizeUnits();
    MessageBox(nullptr, RuntimeErrorText(StartupFailureStatus, offset), "Error", TMsgIcon::None,
               TMsgButtons::Ok);
    StopQt();
    std::exit(StartupFailureStatus);
}

}  // namespace

std::string ApplicationTitleFromFileName(const std::string& path)
{
    auto slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    auto dot = name.find('.');
    if (dot != std::string::npos) name.erase(dot);
    QString title = QFile::decodeName(QByteArray::fromStdString(name));
    if (title.isEmpty()) return {};
    qsizetype first = title[0].isHighSurrogate() && title.size() > 1 ? 2 : 1;
    return (title.left(first) + title.mid(first).toLower()).toStdString();
}

unsigned long ImageOffset(const void* address)
{
    Dl_info info{};
    auto value = reinterpret_cast<unsigned long>(address);
    if (address && ::dladdr(address, &info) != 0 && info.dli_fbase) {
        value -= reinterpret_cast<unsigned long>(info.dli_fbase);
    }
    return value & 0xFFFFFFFFul;
}

std::string ErrorMessage(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        return e.Message();
    } catch (const std::bad_alloc&) {
        return "Zu wenig Arbeitsspeicher";
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unbekannter Fehler";
    }
}

std::string ErrorClassName(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (...) {
        const std::type_info* type = abi::__cxa_current_exception_type();
        return type ? Demangle(type->name()) : std::string("Exception");
    }
}

const void* ErrorAddress(const std::exception_ptr& error, const void* fallback)
{
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        if (e.RaiseAddress() != 0) return reinterpret_cast<const void*>(e.RaiseAddress());
    } catch (...) {
    }
    return fallback;
}

std::string ApplicationErrorText(const std::string& className, const std::string& moduleName,
                                 unsigned long address, const std::string& message)
{
    char where[16];
    std::snprintf(where, sizeof where, "%08lX", address & 0xFFFFFFFFul);
    std::string text = "Exception " + className + " in Modul " + moduleName + " bei " + where +
                       ".\n" + message;
    if (!message.empty() && message.back() != '.') text += '.';
    return text;
}

TApplication::TApplication() : title_(ApplicationTitleFromFileName(ExecutablePath()))
{
    QCoreApplication::setApplicationName(QString::fromStdString(title_));
    if (auto* gui = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        gui->setQuitOnLastWindowClosed(false);
        if (QFile::exists(QString::fromLatin1(kProgramIconResource))) {
            gui->setWindowIcon(QIcon(QString::fromLatin1(kProgramIconResource)));
        }
    }
}

TApplication::~TApplication() { DestroyForms(); }

void TApplication::AddForm(TForm* form)
{
    forms_.push_back(form);
    if (!mainForm_) mainForm_ = form;
}

void TApplication::FormCreationFailed(const std::exception_ptr& error)
{
    std::string text =
        ApplicationErrorText(ErrorClassName(error), ExecutableFileName(),
                             ImageOffset(ErrorAddress(error, __builtin_return_address(0))),
                             ErrorMessage(error));
    MessageBox(nullptr, text, "Anwendungsfehler", TMsgIcon::Stop, TMsgButtons::Ok);
    DestroyForms();
    FinalizeUnits();
    StopQt();
    std::exit(1);
}

void TApplication::Run()
{
    if (!mainForm_ || terminated_) return;
    try {
        mainForm_->show();
    } catch (...) {
        FormCreationFailed(std::current_exception());
    }
    QApplication::exec();
}

void TApplication::Terminate()
{
    terminated_ = true;
    QCoreApplication::quit();
}

void TApplication::Dispatch(const std::function<void()>& handler) noexcept
{
    try {
        handler();
    } catch (...) {
        ShowException(std::current_exception());
    }
}

void TApplication::ShowException(const std::exception_ptr& error) noexcept
{
    try {
        QWidget* owner = QApplication::activeWindow();
        if (!owner) owner = mainForm_;
        MessageBox(owner, ErrorBoxText(ErrorMessage(error)), title_, TMsgIcon::Stop,
                   TMsgButtons::Ok);
    } catch (...) {
        // Not even the box could be shown; the beep is all that is left.
        QApplication::beep();
    }
}

void TApplication::DestroyForms()
{
    while (!forms_.empty()) {
        // Every other form goes before the main window.
        auto it = forms_.end() - 1;
        if (*it == mainForm_ && forms_.size() > 1) --it;
        TForm* form = *it;
        forms_.erase(it);
        if (form == mainForm_) mainForm_ = nullptr;
        delete form;
    }
}

void TApplication::FormClosed(TForm* form)
{
    if (form == mainForm_) Terminate();
}

void TApplication::FormDestroyed(TForm* form)
{
    std::erase(forms_, form);
    if (form == mainForm_) mainForm_ = nullptr;
}

void InitializeModules(int& argc, char** argv)
{
    StartQt(argc, argv);
    RegisterPlatformUnits();
    try {
        InitializeUnits();
    } catch (...) {
        StartupFailed(std::current_exception(), FailedUnitProc());
    }
}

int Halt()
{
    if (Application) Application->DestroyForms();
    FinalizeUnits();
    StopQt();
    return 0;
}
