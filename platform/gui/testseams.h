// Seams for tests of the window: answer modal dialogs and boxes without
// showing them, and count refusal beeps.
//
// Nothing in the program sets these; with no answer queued and no box hook
// installed, dialogs and boxes are shown to the user as usual.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/gui/messages.h"

namespace TestSeams {

// Answers the next file dialog that executes as if the user had confirmed
// path (made absolute against the current directory). Answers queue up in
// the order given.
void AnswerNextFileDialog(const std::string& path);
// Answers the next file dialog that executes as if the user had cancelled it.
void CancelNextFileDialog();
// The number of queued answers not used yet.
int PendingFileDialogAnswers();
// The number of file dialogs executed since the last Reset (answered ones
// included); a dialog executed with no answer queued while boxes are
// captured counts as unanswered and is cancelled instead of shown.
int FileDialogsExecuted();
int UnansweredFileDialogs();

// A box as the program asked for it.
struct TBoxRecord {
    std::string title;
    std::string text;
    TMsgIcon icon = TMsgIcon::None;
    TMsgButtons buttons = TMsgButtons::Ok;
    bool hasOwner = false;
    TMsgResult defaultButton = TMsgResult::No;  // of a Yes/No box
};

// From now on every box is recorded and answered with answer instead of
// being shown (Yes/No boxes take answer when it is Yes or No, otherwise No;
// OK boxes always give Ok). Also makes unanswered file dialogs cancel.
void CaptureBoxes(TMsgResult answer = TMsgResult::Ok);
// Sets the answer for captured Yes/No boxes.
void SetBoxAnswer(TMsgResult answer);
// Takes the boxes recorded so far.
std::vector<TBoxRecord> TakeBoxes();

// Calls hook for every box instead of showing it; its result is the button
// pressed. For tests that must see a box from a process that exits right
// after it. An empty hook removes it.
void SetBoxHook(std::function<TMsgResult(const TBoxRecord&)> hook);

// The beeps sounded since the last Reset, and the type of the latest one.
int BeepCount();
std::optional<unsigned> LastBeepType();

// Forgets answers, boxes, counts and the hook; boxes and dialogs are shown
// again.
void Reset();

}  // namespace TestSeams

// For the platform layer itself.
namespace TestSeamsInternal {
// The queued answer for an executing file dialog: nullopt when none is
// queued (show the dialog), otherwise an empty string for a cancel or the
// absolute path confirmed.
std::optional<std::string> TakeFileDialogAnswer();
// Non-null when boxes are captured or hooked: the result to give instead of
// showing box.
std::optional<TMsgResult> InterceptBox(const TestSeams::TBoxRecord& box);
void RecordBeep(unsigned type);
}  // namespace TestSeamsInternal
