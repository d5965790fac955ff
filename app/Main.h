// The Main unit: the main window, its three commands and the two flags that
// decide which command may run.
//
// The unit's initialisation loads the substitution table (before any window
// exists); its finalisation releases it, also after a failed start-up.
#pragma once

#include "platform/gui/application.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/gui/memo.h"

class TMainForm : public TForm {
    Q_OBJECT
public:
    TStatusBar* StatusLine;
    TMainMenu* MainMenu1;
    TMenuItem* FileOpenItem;
    TMenuItem* SaveDestItem;
    TMenuItem* ConvertItem;
    TMemo* SourceMemo;
    TMemo* DestMemo;
    TOpenDialog* OpenDialog;
    TSaveDialog* SaveDialog;

    // "Source open": empties both views, then loads the file chosen in
    // OpenDialog into SourceMemo. SourceLoaded tells whether a file was
    // chosen and loaded; Converted becomes false. An error while loading
    // leaves both views empty and both flags as they were.
    void FileOpenItemClick(TObject* Sender);
    // "Convert source": empties DestMemo, then appends every line of
    // SourceMemo rewritten by ConvertLine and sets Converted. Without a
    // loaded source it beeps and clears Converted instead.
    void ConvertItemClick(TObject* Sender);
    // "Save dest": writes DestMemo to the file chosen in SaveDialog. Without
    // a conversion it only beeps.
    void SaveDestItemClick(TObject* Sender);

    TMainForm();
};

extern TMainForm* MainForm;

// True after a source file was chosen and loaded; false at start and after
// the open dialog was cancelled.
extern bool SourceLoaded;
// True after "Convert source" ran with a loaded source; false at start, after
// every "Source open" and after a refused "Convert source".
extern bool Converted;
