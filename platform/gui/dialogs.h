// The open and save file dialogs.
//
// Qt's own file dialog (not the desktop's), so that its placement and options
// are those asked for: modal to the whole program, placed on the screen of
// the main window, centred horizontally with one third of the remaining
// height above it. A confirmed choice sets FileName to the full path and
// remembers the filter pair in use; both are offered at the next opening.
//
// Filter strings alternate labels and patterns: "C source|C|all|*". Patterns
// match file names without regard to case, "*.*" matches every name. A
// FileName holding "*" or "?" lists the names it matches when the dialog
// opens (so "*.C" lists both x.c and x.C), as does such a pattern typed into
// the file name field.
#pragma once

#include <QFileDialog>
#include <QObject>
#include <string>
#include <vector>

#include "platform/gui/messages.h"

class QWidget;

enum TOpenOption : unsigned {
    ofHideReadOnly = 1u << 0,    // no read-only check box (Qt's dialog has none)
    ofPathMustExist = 1u << 1,   // the folder of the name typed must exist
    ofFileMustExist = 1u << 2,   // the file must exist
    ofEnableSizing = 1u << 3,    // the dialog can be resized
    ofOverwritePrompt = 1u << 4, // ask before choosing an existing file
    ofCreatePrompt = 1u << 5,    // ask before choosing a file that does not exist
};

class TFileDialogWindow;

class TFileDialog : public QObject {
    Q_OBJECT
public:
    // owner is the window the dialog is placed against.
    TFileDialog(QWidget* owner, QFileDialog::AcceptMode mode);

    void SetTitle(const std::string& title) { title_ = title; }
    const std::string& Title() const { return title_; }
    // Appended (after a ".") to a name typed without an extension: always in
    // a save dialog; in an open dialog only when the name as typed does not
    // exist and the name with the extension does.
    void SetDefaultExt(const std::string& ext) { defaultExt_ = ext; }
    const std::string& DefaultExt() const { return defaultExt_; }
    void SetFileName(const std::string& name) { fileName_ = name; }
    const std::string& FileName() const { return fileName_; }
    void SetFilter(const std::string& filter) { filter_ = filter; }
    const std::string& Filter() const { return filter_; }
    // The filter pair in use, counting from 1.
    void SetFilterIndex(int index) { filterIndex_ = index; }
    int FilterIndex() const { return filterIndex_; }
    void SetOptions(unsigned options) { options_ = options; }
    unsigned Options() const { return options_; }

    // The (label, pattern) pairs of Filter().
    std::vector<std::pair<std::string, std::string>> FilterPairs() const;

    // Shows the dialog modally. True when the user confirmed a file; then
    // FileName() is its full path. Cancelling changes nothing.
    bool Execute();

    // Builds the dialog window as Execute shows it, placed and set up but not
    // shown. Execute uses it; tests may show it without a modal loop.
    TFileDialogWindow* CreateWindow();
    // Takes over the choice of a window that was accepted.
    void TakeChoice(TFileDialogWindow* window);

private:
    QWidget* owner_;
    QFileDialog::AcceptMode mode_;
    std::string title_;
    std::string defaultExt_;
    std::string fileName_;
    std::string filter_;
    int filterIndex_ = 1;
    unsigned options_ = 0;
};

class TOpenDialog : public TFileDialog {
    Q_OBJECT
public:
    explicit TOpenDialog(QWidget* owner) : TFileDialog(owner, QFileDialog::AcceptOpen) {}
};

class TSaveDialog : public TFileDialog {
    Q_OBJECT
public:
    explicit TSaveDialog(QWidget* owner) : TFileDialog(owner, QFileDialog::AcceptSave) {}
};

// The window of a file dialog. Accepting checks the name typed against the
// dialog's options and asks the questions they call for (through
// MessageBox); on No, or when a check fails, the window stays open.
class TFileDialogWindow : public QFileDialog {
    Q_OBJECT
public:
    TFileDialogWindow(QWidget* parent, const TFileDialog& dialog);

    // The full path chosen; empty until accepted.
    const QString& ChosenPath() const { return chosen_; }
    // Makes the dialog list the names matching pattern until another filter
    // pair is chosen.
    void ListMatching(const QString& pattern);
    // The filter pair in use, counting from 0.
    int SelectedFilterIndex() const;
    // The name patterns the file list uses now.
    QStringList ListedPatterns() const;

public slots:
    void accept() override;

private:
    bool Confirm(const QString& text, TMsgResult defaultButton);

    QString title_;
    QString defaultExt_;
    unsigned options_;
    QString chosen_;
};
