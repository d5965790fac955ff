#include "platform/gui/dialogs.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QScreen>
#include <memory>

#include "platform/gui/messages.h"
#include "platform/gui/testseams.h"

namespace {

QString FromPath(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
std::string ToPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

bool HasWildcard(const QString& name)
{
    return name.contains(u'*') || name.contains(u'?');
}

// The pattern as Qt's dialog should match it: "*.*" names every file.
QString QtPattern(const std::string& pattern)
{
    QStringList parts = QString::fromStdString(pattern).split(u';', Qt::SkipEmptyParts);
    for (QString& part : parts) {
        part = part.trimmed();
        if (part == u"*.*") part = QStringLiteral("*");
    }
    return parts.join(u' ');
}

QStringList QtNameFilters(const TFileDialog& dialog)
{
    QStringList filters;
    for (const auto& [label, pattern] : dialog.FilterPairs()) {
        filters << QString::fromStdString(label) + QStringLiteral(" (") + QtPattern(pattern) + QChar(u')');
    }
    return filters;
}

}  // namespace

TFileDialog::TFileDialog(QWidget* owner, QFileDialog::AcceptMode mode)
    : QObject(owner), owner_(owner), mode_(mode)
{
}

std::vector<std::pair<std::string, std::string>> TFileDialog::FilterPairs() const
{
    std::vector<std::pair<std::string, std::string>> pairs;
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t bar = filter_.find('|', start);
        parts.push_back(filter_.substr(start, bar == std::string::npos ? bar : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) pairs.emplace_back(parts[i], parts[i + 1]);
    return pairs;
}

bool TFileDialog::Execute()
{
    if (auto answer = TestSeamsInternal::TakeFileDialogAnswer()) {
        if (answer->empty()) return false;
        fileName_ = *answer;
        return true;
    }
    std::unique_ptr<TFileDialogWindow> window(CreateWindow());
    if (window->exec() != QDialog::Accepted) return false;
    TakeChoice(window.get());
    return true;
}

TFileDialogWindow* TFileDialog::CreateWindow()
{
    auto* window = new TFileDialogWindow(owner_, *this);
    window->setAcceptMode(mode_);
    window->setFileMode(QFileDialog::AnyFile);
    window->setWindowModality(Qt::ApplicationModal);

    const QStringList filters = QtNameFilters(*this);
    window->setNameFilters(filters);
    if (!filters.isEmpty()) {
        int index = filterIndex_ >= 1 && filterIndex_ <= filters.size() ? filterIndex_ - 1 : 0;
        window->selectNameFilter(filters[index]);
    }

    QString name = FromPath(fileName_);
    if (name.isEmpty()) {
        window->setDirectory(QDir::currentPath());
    } else {
        QFileInfo info(QDir::current(), name);
        window->setDirectory(info.absolutePath());
        window->selectFile(info.fileName());
        if (HasWildcard(info.fileName())) window->ListMatching(info.fileName());
    }

    window->resize(window->sizeHint().expandedTo(QSize(560, 380)));
    QWidget* anchor = owner_ ? owner_->window() : nullptr;
    QScreen* screen = anchor ? anchor->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        QRect area = screen->availableGeometry();
        QSize size = window->frameGeometry().size();
        window->move(area.x() + (area.width() - size.width()) / 2,
                     area.y() + (area.height() - size.height()) / 3);
    }
    return window;
}

void TFileDialog::TakeChoice(TFileDialogWindow* window)
{
    fileName_ = ToPath(window->ChosenPath());
    int index = window->SelectedFilterIndex();
    if (index >= 0) filterIndex_ = index + 1;
}

TFileDialogWindow::TFileDialogWindow(QWidget* parent, const TFileDialog& dialog)
    : QFileDialog(parent),
      title_(QString::fromStdString(dialog.Title())),
      defaultExt_(QString::fromStdString(dialog.DefaultExt())),
      options_(dialog.Options())
{
    setOption(QFileDialog::DontUseNativeDialog, true);
    setOption(QFileDialog::DontConfirmOverwrite, true);  // asked in accept()
    setOption(QFileDialog::HideNameFilterDetails, true);
    setWindowTitle(title_);
    setSizeGripEnabled((options_ & ofEnableSizing) != 0);
}

void TFileDialogWindow::ListMatching(const QString& pattern)
{
    if (auto* model = findChild<QFileSystemModel*>()) model->setNameFilters({pattern});
}

int TFileDialogWindow::SelectedFilterIndex() const
{
    // The filter's label alone is shown, so the filter is known by its place.
    if (auto* types = findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) return types->currentIndex();
    return nameFilters().indexOf(selectedNameFilter());
}

QStringList TFileDialogWindow::ListedPatterns() const
{
    if (auto* model = findChild<QFileSystemModel*>()) return model->nameFilters();
    return {};
}

bool TFileDialogWindow::Confirm(const QString& text, TMsgResult defaultButton)
{
    return MessageBox(this, text.toStdString(), title_.toStdString(), TMsgIcon::Warning,
                      TMsgButtons::YesNo, defaultButton) == TMsgResult::Yes;
}

void TFileDialogWindow::accept()
{
    const QStringList files = selectedFiles();
    if (files.isEmpty()) return;
    QString path = QDir::cleanPath(files.first());
    QFileInfo info(path);
    if (HasWildcard(info.fileName())) {
        setDirectory(info.absolutePath());
        ListMatching(info.fileName());
        return;
    }
    if (info.isDir()) {
        QFileDialog::accept();  // goes into the folder
        return;
    }
    if (!defaultExt_.isEmpty() && !info.fileName().contains(u'.')) {
        QString withExt = path + u'.' + defaultExt_;
        if (acceptMode() == QFileDialog::AcceptSave ||
            (!info.exists() && QFileInfo::exists(withExt))) {
            path = withExt;
            info = QFileInfo(path);
        }
    }
    const std::string shown = path.toStdString();
    if ((options_ & ofPathMustExist) && !QFileInfo(info.absolutePath()).isDir()) {
        MessageBox(this, shown + "\nPath not found.\nPlease verify the correct path was given.",
                   title_.toStdString(), TMsgIcon::Warning, TMsgButtons::Ok);
        return;
    }
    if ((options_ & ofFileMustExist) && !info.exists()) {
        MessageBox(this,
                   shown + "\nFile not found.\nPlease verify the correct file name was given.",
                   title_.toStdString(), TMsgIcon::Warning, TMsgButtons::Ok);
        return;
    }
    if (info.exists() && (options_ & ofOverwritePrompt) &&
        !Confirm(path + QStringLiteral(" already exists.\nDo you want to replace it?"),
                 TMsgResult::No)) {
        return;
    }
    if (!info.exists() && (options_ & ofCreatePrompt) &&
        !Confirm(path + QStringLiteral(" does not exist.\nDo you want to create it?"),
                 TMsgResult::Yes)) {
        return;
    }
    chosen_ = info.absoluteFilePath();
    QDialog::accept();
}
