// Message boxes and the refusal beep.
//
// Every box the program shows goes through MessageBox, so that tests can read
// a box instead of showing it (see testseams.h). The texts are UTF-8.
#pragma once

#include <string>

class QWidget;

enum class TMsgIcon { None, Stop, Warning, Question, Information };
enum class TMsgButtons { Ok, YesNo };
enum class TMsgResult { Ok, Yes, No };

// Shows a modal box and returns the button the user pressed. With owner null
// the box has no owner window; otherwise it is modal to the owner's window
// and the owner becomes active again afterwards. Application-modal in both
// cases: no other window of the program takes input while it is open.
// defaultButton is the button Enter presses in a Yes/No box.
TMsgResult MessageBox(QWidget* owner, const std::string& text, const std::string& title,
                      TMsgIcon icon, TMsgButtons buttons,
                      TMsgResult defaultButton = TMsgResult::No);

// Sounds the system's alert for a refused command. type is the alert kind of
// the design (1 for the default alert); it is recorded for tests.
void MessageBeep(unsigned type);

// The text of the application's error box for an error message: the message
// with a "." appended when it is not empty and its last byte is above "."
// (46) as an unsigned byte.
std::string ErrorBoxText(const std::string& message);

// The text of the runtime-error box: "Runtime error 217 at 0040ABCD" for
// code 217 and address 0x40ABCD. The code is right-aligned in a field of
// four, the address written as eight upper-case hexadecimal digits.
std::string RuntimeErrorText(int code, unsigned long address);
