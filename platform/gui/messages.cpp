#include "platform/gui/messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <cstdio>

#include "platform/gui/testseams.h"

TMsgResult MessageBox(QWidget* owner, const std::string& text, const std::string& title,
                      TMsgIcon icon, TMsgButtons buttons, TMsgResult defaultButton)
{
    TestSeams::TBoxRecord record{title, text, icon, buttons, owner != nullptr, defaultButton};
    if (auto answer = TestSeamsInternal::InterceptBox(record)) return *answer;

    QMessageBox::Icon qtIcon = QMessageBox::NoIcon;
    switch (icon) {
        case TMsgIcon::None: qtIcon = QMessageBox::NoIcon; break;
        case TMsgIcon::Stop: qtIcon = QMessageBox::Critical; break;
        case TMsgIcon::Warning: qtIcon = QMessageBox::Warning; break;
        case TMsgIcon::Question: qtIcon = QMessageBox::Question; break;
        case TMsgIcon::Information: qtIcon = QMessageBox::Information; break;
    }
    QMessageBox::StandardButtons qtButtons =
        buttons == TMsgButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok;

    QPointer<QWidget> activeBefore = QApplication::activeWindow();
    QMessageBox box(qtIcon, QString::fromStdString(title), QString::fromStdString(text),
                    qtButtons, owner);
    box.setWindowModality(Qt::ApplicationModal);
    box.setTextFormat(Qt::PlainText);
    if (buttons == TMsgButtons::YesNo) {
        box.setDefaultButton(defaultButton == TMsgResult::Yes ? QMessageBox::Yes : QMessageBox::No);
    }
    int pressed = box.exec();
    if (activeBefore) activeBefore->activateWindow();

    if (buttons == TMsgButtons::Ok) return TMsgResult::Ok;
    return pressed == QMessageBox::Yes ? TMsgResult::Yes : TMsgResult::No;
}

void MessageBeep(unsigned type)
{
    TestSeamsInternal::RecordBeep(type);
    QApplication::beep();
}

std::string ErrorBoxText(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}

std::string RuntimeErrorText(int code, unsigned long address)
{
    char text[64];
    std::snprintf(text, sizeof text, "Runtime error%4d at %08lX", code, address & 0xFFFFFFFFul);
    return text;
}
