// The application object and the program's start-up and shutdown.
//
// A program's entry does four things:
//   InitializeModules(argc, argv);      // the platform's units, then the program's
//   Application->CreateForm(MainForm);  // the first form created is the main window
//   Application->Run();                 // the event loop, until the main window closes
//   return Halt();                      // destroy the forms, finalise the units
//
// An error raised by a unit's initialisation ends start-up: every unit begun
// is finalised in reverse order, the runtime-error box ("Runtime error 217 at
// XXXXXXXX", title "Error", OK only, no icon, no owner) is shown, and the
// process exits with status 217. An error raised while the main window is
// created or first shown gives the "Anwendungsfehler" box and exit status 1.
// An error raised inside a menu command is shown by the application's error
// box (see TApplication::ShowException) and the event loop goes on.
#pragma once

#include <QObject>

#include "platform/gui/forms.h"
#include <exception>
#include <functional>
#include <string>
#include <vector>

class QApplication;
class QWidget;

using TObject = QObject;

// The exit status of a failed start-up.
inline constexpr int StartupFailureStatus = 217;

// The application title for an executable's file name: the name without its
// directory, cut before its first ".", every character after the first in
// lower case ("/opt/TOOL.EXE" gives "Tool").
std::string ApplicationTitleFromFileName(const std::string& path);

// The offset of a code address from the start of the loaded image that holds
// it, as the error boxes show it.
unsigned long ImageOffset(const void* address);

class TApplication : public QObject {
    Q_OBJECT
public:
    // Takes the title from the running executable's file name.
    TApplication();
    ~TApplication() override;

    const std::string& Title() const { return title_; }

    // Creates a form of class T into reference; the first form created is the
    // main window. An error raised by T's constructor gives the
    // "Anwendungsfehler" box and ends the process with status 1.
    template <typename T>
    void CreateForm(T*& reference)
    {
        try {
            reference = new T();
            AddForm(reference);
            reference->AfterConstruction();
        } catch (...) {
            FormCreationFailed(std::current_exception());
        }
    }

    // Shows the main window and runs the event loop until it closes.
    void Run();

    // Ends the event loop, as closing the main window does.
    void Terminate();

    // Runs handler, and shows any error it raises in the error box instead of
    // letting it leave. Every menu command runs through here.
    void Dispatch(const std::function<void()>& handler) noexcept;

    // The application's error box for error: its message with a "." by the
    // rule of ErrorBoxText, the application title as title, one OK button and
    // the stop icon, modal over the active window.
    void ShowException(const std::exception_ptr& error) noexcept;

    TForm* MainForm() const { return mainForm_; }

    // Destroys every form, the main window last.
    void DestroyForms();

    // Called by a form when the user closes it.
    void FormClosed(TForm* form);
    // Called by a form that is destroyed.
    void FormDestroyed(TForm* form);

private:
    void AddForm(TForm* form);
    [[noreturn]] void FormCreationFailed(const std::exception_ptr& error);

    std::string title_;
    bool terminated_ = false;
    TForm* mainForm_ = nullptr;
    std::vector<TForm*> forms_;
};

// The one application object; exists between the platform's "Forms" unit
// initialisation and its finalisation.
extern TApplication* Application;

// Starts the platform and initialises every unit (see above). With no display
// to show windows on, prints one line saying so and exits with status 1.
// Never returns when start-up fails.
void InitializeModules(int& argc, char** argv);

// Destroys the forms, finalises every unit in reverse order and releases the
// platform. Returns the exit status: 0.
int Halt();

// The message an error carries, as the error boxes show it: an Exception's
// Message(), "Zu wenig Arbeitsspeicher" for an exhausted memory, what() for
// any other standard error.
std::string ErrorMessage(const std::exception_ptr& error);

// The name of an error's class ("EFOpenError").
std::string ErrorClassName(const std::exception_ptr& error);

// The code address an error was raised from, or fallback when it does not
// record one.
const void* ErrorAddress(const std::exception_ptr& error, const void* fallback);

// The text of the "Anwendungsfehler" box for an error raised at address in
// the module moduleName:
// "Exception EFOpenError in Modul velmora bei 0000ABCD.\n<message>." (the
// final "." only when the message is not empty and does not end in one).
std::string ApplicationErrorText(const std::string& className, const std::string& moduleName,
                                 unsigned long address, const std::string& message);
