#include "platform/gui/testseams.h"

#include <QDir>
#include <QFileInfo>
#include <deque>

namespace {

struct TSeamState {
    std::deque<std::string> fileAnswers;  // "" is a cancel
    int dialogsExecuted = 0;
    int unanswered = 0;
    bool capturing = false;
    TMsgResult boxAnswer = TMsgResult::Ok;
    std::vector<TestSeams::TBoxRecord> boxes;
    std::function<TMsgResult(const TestSeams::TBoxRecord&)> hook;
    int beeps = 0;
    std::optional<unsigned> lastBeep;
};

TSeamState& State()
{
    static TSeamState state;
    return state;
}

}  // namespace

namespace TestSeams {

void AnswerNextFileDialog(const std::string& path)
{
    QString absolute = QDir::current().absoluteFilePath(QString::fromStdString(path));
    State().fileAnswers.push_back(QDir::cleanPath(absolute).toStdString());
}

void CancelNextFileDialog() { State().fileAnswers.push_back(std::string()); }

int PendingFileDialogAnswers() { return static_cast<int>(State().fileAnswers.size()); }
int FileDialogsExecuted() { return State().dialogsExecuted; }
int UnansweredFileDialogs() { return State().unanswered; }

void CaptureBoxes(TMsgResult answer)
{
    State().capturing = true;
    State().boxAnswer = answer;
}

void SetBoxAnswer(TMsgResult answer) { State().boxAnswer = answer; }

std::vector<TBoxRecord> TakeBoxes()
{
    std::vector<TBoxRecord> boxes;
    boxes.swap(State().boxes);
    return boxes;
}

void SetBoxHook(std::function<TMsgResult(const TBoxRecord&)> hook)
{
    State().hook = std::move(hook);
}

int BeepCount() { return State().beeps; }
std::optional<unsigned> LastBeepType() { return State().lastBeep; }

void Reset() { State() = TSeamState(); }

}  // namespace TestSeams

namespace TestSeamsInternal {

std::optional<std::string> TakeFileDialogAnswer()
{
    TSeamState& s = State();
    ++s.dialogsExecuted;
    if (s.fileAnswers.empty()) {
        if (!s.capturing && !s.hook) return std::nullopt;
        ++s.unanswered;
        return std::string();
    }
    std::string answer = std::move(s.fileAnswers.front());
    s.fileAnswers.pop_front();
    return answer;
}

std::optional<TMsgResult> InterceptBox(const TestSeams::TBoxRecord& box)
{
    TSeamState& s = State();
    if (s.hook) return s.hook(box);
    if (!s.capturing) return std::nullopt;
    s.boxes.push_back(box);
    if (box.buttons == TMsgButtons::Ok) return TMsgResult::Ok;
    return s.boxAnswer == TMsgResult::Yes ? TMsgResult::Yes : TMsgResult::No;
}

void RecordBeep(unsigned type)
{
    ++State().beeps;
    State().lastBeep = type;
}

}  // namespace TestSeamsInternal
