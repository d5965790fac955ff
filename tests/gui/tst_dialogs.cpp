// The open and save dialogs of the main window: their settings, what they
// list, where they open, the questions they ask and what they remember.
#include <QComboBox>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include "app/Main.h"
#include "platform/gui/testseams.h"
#include "tests/gui/guitest.h"

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void dialogSettings();
    void openDialogFirstListsBothCasesOfC();
    void typedPatternFiltersTheList();
    void dialogIsPlacedOnTheMainWindowsScreen();
    void acceptChecksAndAsks_data();
    void acceptChecksAndAsks();
    void confirmedChoiceIsOfferedNextTime();
    void seamAnswersWithoutShowing();

private:
    TFileDialogWindow* Window(TFileDialog* dialog);
    QTemporaryDir dir_;
    QString startDir_;
    std::unique_ptr<TFileDialogWindow> window_;
};

void TestDialogs::initTestCase()
{
    startDir_ = QDir::currentPath();
    guitest::WriteTables(dir_.path(), "a\r\n", "x\r\n");
    for (const char* name : {"x.c", "x.C", "y.txt", "old.pas", "C", "prog.C"})
        guitest::WriteBytes(dir_.path() + "/" + name, "int x;\r\n");
    QVERIFY(QDir::setCurrent(dir_.path()));
    int argc = 1;
    char name[] = "tst_dialogs";
    char* argv[] = {name, nullptr};
    InitializeModules(argc, argv);
    Application->CreateForm(MainForm);
    MainForm->show();
    QVERIFY(QTest::qWaitForWindowExposed(MainForm));
}

void TestDialogs::cleanupTestCase()
{
    window_.reset();
    Halt();
    QDir::setCurrent(startDir_);
}

void TestDialogs::init()
{
    TestSeams::Reset();
    TestSeams::CaptureBoxes(TMsgResult::No);
}

void TestDialogs::cleanup() { window_.reset(); }

TFileDialogWindow* TestDialogs::Window(TFileDialog* dialog)
{
    window_.reset(dialog->CreateWindow());
    return window_.get();
}

void TestDialogs::dialogSettings()
{
    TOpenDialog* open = MainForm->OpenDialog;
    QCOMPARE(QString::fromStdString(open->Title()), QString("Open C source"));
    QCOMPARE(QString::fromStdString(open->DefaultExt()), QString("C"));
    QCOMPARE(QString::fromStdString(open->FileName()), QString("*.C"));
    QCOMPARE(QString::fromStdString(open->Filter()), QString("C source|C|all|*"));
    QCOMPARE(open->Options(), unsigned(ofHideReadOnly | ofPathMustExist | ofFileMustExist | ofEnableSizing));
    TSaveDialog* save = MainForm->SaveDialog;
    QCOMPARE(QString::fromStdString(save->Title()), QString("Save converted file to"));
    QCOMPARE(QString::fromStdString(save->DefaultExt()), QString("pas"));
    QCOMPARE(QString::fromStdString(save->FileName()), QString("*.pas"));
    QCOMPARE(QString::fromStdString(save->Filter()), QString("Pascal|*.pas|all|*.*"));
    QCOMPARE(save->Options(), unsigned(ofOverwritePrompt | ofHideReadOnly | ofCreatePrompt | ofEnableSizing));

    TFileDialogWindow* w = Window(open);
    QCOMPARE(w->windowTitle(), QString("Open C source"));
    QVERIFY(w->testOption(QFileDialog::DontUseNativeDialog));
    QCOMPARE(w->windowModality(), Qt::ApplicationModal);
    QVERIFY(w->isSizeGripEnabled());
    QCOMPARE(w->acceptMode(), QFileDialog::AcceptOpen);
    auto* types = w->findChild<QComboBox*>("fileTypeCombo");
    QVERIFY(types);
    QCOMPARE(types->count(), 2);
    QCOMPARE(types->itemText(0), QString("C source"));
    QCOMPARE(types->itemText(1), QString("all"));
    QCOMPARE(types->currentIndex(), 0);
    QCOMPARE(w->SelectedFilterIndex(), 0);
    QCOMPARE(w->findChild<QLineEdit*>("fileNameEdit")->text(), QString("*.C"));

    w = Window(save);
    QCOMPARE(w->acceptMode(), QFileDialog::AcceptSave);
    QCOMPARE(w->nameFilters(), QStringList({"Pascal (*.pas)", "all (*)"}));
}

void TestDialogs::openDialogFirstListsBothCasesOfC()
{
    TFileDialogWindow* w = Window(MainForm->OpenDialog);
    w->show();
    auto* model = w->findChild<QFileSystemModel*>();
    QVERIFY(model);
    QModelIndex root = model->index(dir_.path());
    QTRY_VERIFY(model->rowCount(root) > 0);
    QTest::qWait(50);
    QStringList listed;
    for (int row = 0; row < model->rowCount(root); ++row)
        listed << model->index(row, 0, root).data().toString();
    listed.sort();
    QCOMPARE(listed, QStringList({"prog.C", "x.C", "x.c"}));
    QCOMPARE(w->ListedPatterns(), QStringList({"*.C"}));
}

void TestDialogs::typedPatternFiltersTheList()
{
    TFileDialogWindow* w = Window(MainForm->OpenDialog);
    w->selectFile("*.TXT");
    w->accept();
    QCOMPARE(w->result(), int(QDialog::Rejected));  // stays open
    QCOMPARE(w->ListedPatterns(), QStringList({"*.TXT"}));
    QVERIFY(TestSeams::TakeBoxes().empty());
}

void TestDialogs::dialogIsPlacedOnTheMainWindowsScreen()
{
    TFileDialogWindow* w = Window(MainForm->SaveDialog);
    QRect area = MainForm->screen()->availableGeometry();
    QSize size = w->frameGeometry().size();
    QCOMPARE(w->pos(), QPoint(area.x() + (area.width() - size.width()) / 2,
                              area.y() + (area.height() - size.height()) / 3));
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QCOMPARE(w->pos(), QPoint(area.x() + (area.width() - size.width()) / 2,
                              area.y() + (area.height() - size.height()) / 3));
}

void TestDialogs::acceptChecksAndAsks_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("answer");  // to a Yes/No question
    QTest::addColumn<QString>("box");  // the box's text, with %1 for the full path
    QTest::addColumn<QString>("chosen");  // empty when the dialog stays open

    const int yes = int(TMsgResult::Yes), no = int(TMsgResult::No);
    QTest::newRow("open an existing file") << false << "x.c" << no << "" << "x.c";
    QTest::newRow("open adds the extension when needed") << false << "prog" << no << "" << "prog.C";
    QTest::newRow("open keeps a name that exists") << false << "C" << no << "" << "C";
    QTest::newRow("open a missing file")
        << false << "none.c" << no
        << "%1/none.c\nFile not found.\nPlease verify the correct file name was given." << "";
    QTest::newRow("open in a missing folder")
        << false << "nodir/x.c" << no
        << "%1/nodir/x.c\nPath not found.\nPlease verify the correct path was given." << "";
    QTest::newRow("save over a file, Yes") << true << "old.pas" << yes
                                           << "%1/old.pas already exists.\nDo you want to replace it?"
                                           << "old.pas";
    QTest::newRow("save over a file, No") << true << "old.pas" << no
                                          << "%1/old.pas already exists.\nDo you want to replace it?"
                                          << "";
    QTest::newRow("save a new file, Yes") << true << "new" << yes
                                          << "%1/new.pas does not exist.\nDo you want to create it?"
                                          << "new.pas";
    QTest::newRow("save a new file, No") << true << "new.pas" << no
                                         << "%1/new.pas does not exist.\nDo you want to create it?"
                                         << "";
}

void TestDialogs::acceptChecksAndAsks()
{
    QFETCH(bool, save);
    QFETCH(QString, typed);
    QFETCH(int, answer);
    QFETCH(QString, box);
    QFETCH(QString, chosen);
    TestSeams::SetBoxAnswer(TMsgResult(answer));
    TFileDialog* dialog = save ? static_cast<TFileDialog*>(MainForm->SaveDialog) : MainForm->OpenDialog;
    TFileDialogWindow* w = Window(dialog);
    w->selectFile(typed);
    w->accept();

    const auto boxes = TestSeams::TakeBoxes();
    if (box.isEmpty()) {
        QCOMPARE(boxes.size(), std::size_t{0});
    } else {
        QCOMPARE(boxes.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(boxes[0].text), box.arg(dir_.path()));
        QCOMPARE(QString::fromStdString(boxes[0].title), QString::fromStdString(dialog->Title()));
        QVERIFY(boxes[0].hasOwner);
        // Enter creates a new file but does not replace an old one.
        if (boxes[0].buttons == TMsgButtons::YesNo)
            QCOMPARE(boxes[0].defaultButton, box.contains("create") ? TMsgResult::Yes : TMsgResult::No);
    }
    if (chosen.isEmpty()) {
        QCOMPARE(w->result(), int(QDialog::Rejected));
        QVERIFY(w->ChosenPath().isEmpty());
    } else {
        QCOMPARE(w->result(), int(QDialog::Accepted));
        QCOMPARE(w->ChosenPath(), dir_.path() + "/" + chosen);
    }
}

void TestDialogs::confirmedChoiceIsOfferedNextTime()
{
    QDir(dir_.path()).mkdir("sub");
    guitest::WriteBytes(dir_.path() + "/sub/z.h", "x");
    TOpenDialog dialog(MainForm);
    dialog.SetFileName("*.C");
    dialog.SetFilter("C source|C|all|*");
    TFileDialogWindow* w = Window(&dialog);
    w->selectNameFilter(w->nameFilters()[1]);
    w->setDirectory(dir_.path() + "/sub");
    w->selectFile("z.h");
    w->accept();
    QCOMPARE(w->result(), int(QDialog::Accepted));
    dialog.TakeChoice(w);
    QCOMPARE(QString::fromStdString(dialog.FileName()), dir_.path() + "/sub/z.h");
    QCOMPARE(dialog.FilterIndex(), 2);

    w = Window(&dialog);
    QCOMPARE(w->SelectedFilterIndex(), 1);
    QCOMPARE(w->directory().absolutePath(), dir_.path() + "/sub");
    QCOMPARE(w->selectedFiles(), QStringList({dir_.path() + "/sub/z.h"}));

    // Cancelling changes nothing.
    TestSeams::CancelNextFileDialog();
    QVERIFY(!dialog.Execute());
    QCOMPARE(QString::fromStdString(dialog.FileName()), dir_.path() + "/sub/z.h");
}

void TestDialogs::seamAnswersWithoutShowing()
{
    TOpenDialog dialog(MainForm);
    TestSeams::AnswerNextFileDialog("x.c");
    QVERIFY(dialog.Execute());
    QCOMPARE(QString::fromStdString(dialog.FileName()), dir_.path() + "/x.c");
    // With boxes captured, an unanswered dialog cancels instead of blocking.
    QVERIFY(!dialog.Execute());
    QCOMPARE(TestSeams::UnansweredFileDialogs(), 1);
    QCOMPARE(TestSeams::FileDialogsExecuted(), 2);
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
