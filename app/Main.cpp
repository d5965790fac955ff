#include "app/Main.h"

#include "engine/convert.h"
#include "engine/table.h"
#include "platform/gui/messages.h"
#include "platform/gui/units.h"
#include "platform/rtl/sourcetext.h"

TMainForm* MainForm = nullptr;
bool SourceLoaded = false;
bool Converted = false;

namespace {

void InitializeMain() { LoadTables(); }
void FinalizeMain() { FreeTables(); }

TUnitRegistration MainUnit("Main", &InitializeMain, &FinalizeMain);

}  // namespace

TMainForm::TMainForm()
{
    SetCaption("Velmora C to Pascal Converter");
    SetOuterBounds(232, 107, 788, 627);
    SetWindowFont("MS Sans Serif", 11);
    SetIcon(":/window-icon.png");

    StatusLine = new TStatusBar(this);
    StatusLine->SetSimplePanel(true);
    StatusLine->SetHeight(23);

    MainMenu1 = new TMainMenu(this);
    FileOpenItem = new TMenuItem(MainMenu1);
    FileOpenItem->SetCaption("Source open");
    FileOpenItem->OnClick = [this](TObject* Sender) { FileOpenItemClick(Sender); };
    ConvertItem = new TMenuItem(MainMenu1);
    ConvertItem->SetCaption("Convert source");
    ConvertItem->OnClick = [this](TObject* Sender) { ConvertItemClick(Sender); };
    SaveDestItem = new TMenuItem(MainMenu1);
    SaveDestItem->SetCaption("Save dest");
    SaveDestItem->OnClick = [this](TObject* Sender) { SaveDestItemClick(Sender); };

    SourceMemo = new TMemo(this);
    SourceMemo->SetBounds(0, 2, 385, 552);
    SourceMemo->SetReadOnly(true);
    SourceMemo->SetFont("Courier New", 13);
    SourceMemo->SetScrollBars(TScrollStyle::Both);
    SourceMemo->SetWordWrap(false);
    SourceMemo->SetTabOrder(1);

    DestMemo = new TMemo(this);
    DestMemo->SetBounds(390, 2, 385, 552);
    DestMemo->SetFont("Courier New", 13);
    DestMemo->SetScrollBars(TScrollStyle::Both);
    DestMemo->SetWordWrap(false);
    DestMemo->SetTabOrder(2);

    OpenDialog = new TOpenDialog(this);
    OpenDialog->SetTitle("Open C source");
    OpenDialog->SetDefaultExt("C");
    OpenDialog->SetFileName("*.C");
    OpenDialog->SetFilter("C source|C|all|*");
    OpenDialog->SetOptions(ofHideReadOnly | ofPathMustExist | ofFileMustExist | ofEnableSizing);

    SaveDialog = new TSaveDialog(this);
    SaveDialog->SetTitle("Save converted file to");
    SaveDialog->SetDefaultExt("pas");
    SaveDialog->SetFileName("*.pas");
    SaveDialog->SetFilter("Pascal|*.pas|all|*.*");
    SaveDialog->SetOptions(ofOverwritePrompt | ofHideReadOnly | ofCreatePrompt | ofEnableSizing);
}

void TMainForm::FileOpenItemClick(TObject*)
{
    DestMemo->Clear();
    SourceMemo->Clear();
    if (OpenDialog->Execute()) {
        SourceMemo->LoadFromFile(OpenDialog->FileName());
        SourceLoaded = true;
    } else {
        SourceLoaded = false;
    }
    Converted = false;
}

void TMainForm::ConvertItemClick(TObject*)
{
    DestMemo->Clear();
    if (!SourceLoaded) {
        MessageBeep(1);
        Converted = false;
        return;
    }
    const std::size_t n = SourceMemo->LineCount();
    {
        TMemoUpdate update(DestMemo);
        std::string line;
        for (std::size_t i = 0; i < n; ++i) {
            line = LineForConversion(SourceMemo->Line(i));
            ConvertLine(line);
            DestMemo->AppendLine(line);
        }
    }
    Converted = true;
}

void TMainForm::SaveDestItemClick(TObject*)
{
    if (!Converted) {
        MessageBeep(1);
        return;
    }
    if (SaveDialog->Execute()) DestMemo->SaveToFile(SaveDialog->FileName());
}
