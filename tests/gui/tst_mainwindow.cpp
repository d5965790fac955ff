// The main window as built by the Main unit: its members, captions, geometry,
// fonts, focus and the error box of its commands.
#include <QFontInfo>
#include <QScrollArea>
#include <QScrollBar>
#include <QSizeGrip>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <set>
#include <stdexcept>

#include "app/Main.h"
#include "engine/table.h"
#include "platform/gui/testseams.h"
#include "platform/gui/units.h"
#include "platform/rtl/errors.h"
#include "tests/gui/guitest.h"

Q_DECLARE_METATYPE(std::string)

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void startsAfterTheTableAndBecomesTheMainWindow();
    void hasExactlyItsMembersInOrder();
    void windowCaptionPlaceAndLook();
    void iconsAreTwoDifferent16ColourPictures();
    void viewsSitWhereDesigned();
    void viewsKeepTheirPlaceOnResize_data();
    void viewsKeepTheirPlaceOnResize();
    void viewSettings();
    void sourceViewIsReadOnlyButSelectable();
    void resultViewIsEditable();
    void focusStartsInSourceAndTabMovesIt();
    void menuBarHasThreeBareCommands();
    void statusBarNeverShowsText();
    void pixelDensityRuleScalesMembersNotTheWindow_data();
    void pixelDensityRuleScalesMembersNotTheWindow();
    void commandErrorReachesTheErrorBox_data();
    void commandErrorReachesTheErrorBox();

private:
    QTemporaryDir dir_;
    QString startDir_;
};

void TestMainWindow::initTestCase()
{
    startDir_ = QDir::currentPath();
    guitest::WriteTables(dir_.path(), "a\r\nb\r\nc\r\n", "x\r\n");
    QVERIFY(QDir::setCurrent(dir_.path()));
    int argc = 1;
    char name[] = "tst_mainwindow";
    char* argv[] = {name, nullptr};
    InitializeModules(argc, argv);
    Application->CreateForm(MainForm);
    MainForm->show();
    QVERIFY(QTest::qWaitForWindowExposed(MainForm));
}

void TestMainWindow::cleanupTestCase()
{
    QCOMPARE(Halt(), 0);
    QVERIFY(MainForm == nullptr || Application == nullptr);
    QCOMPARE(PairCount, TPairCount{0});
    QCOMPARE(InitializedUnitCount(), std::size_t{0});
    QDir::setCurrent(startDir_);
}

void TestMainWindow::init() { TestSeams::Reset(); }

void TestMainWindow::startsAfterTheTableAndBecomesTheMainWindow()
{
    QCOMPARE(QString::fromStdString(InitializedUnitNames()), QString("System Forms Main"));
    QCOMPARE(PairCount, TPairCount{3});
    QCOMPARE(Application->MainForm(), static_cast<TForm*>(MainForm));
    QCOMPARE(QString::fromStdString(Application->Title()), QString("tst_mainwindow"));
}

void TestMainWindow::hasExactlyItsMembersInOrder()
{
    // Nine pointers on top of the form class and nothing else.
    static_assert(sizeof(TMainForm) == sizeof(TForm) + 9 * sizeof(void*));
    const void* order[] = {&MainForm->StatusLine,   &MainForm->MainMenu1,  &MainForm->FileOpenItem,
                           &MainForm->SaveDestItem, &MainForm->ConvertItem, &MainForm->SourceMemo,
                           &MainForm->DestMemo,     &MainForm->OpenDialog, &MainForm->SaveDialog};
    for (std::size_t i = 1; i < std::size(order); ++i) QVERIFY(order[i - 1] < order[i]);

    QCOMPARE(MainForm->statusBar(), static_cast<QStatusBar*>(MainForm->StatusLine));
    QCOMPARE(MainForm->menuBar(), static_cast<QMenuBar*>(MainForm->MainMenu1));
    QCOMPARE(MainForm->SourceMemo->parentWidget(), MainForm->ClientArea());
    QCOMPARE(MainForm->DestMemo->parentWidget(), MainForm->ClientArea());
    QCOMPARE(MainForm->ClientArea()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size(), 2);
    QVERIFY(MainForm->OpenDialog != nullptr && MainForm->SaveDialog != nullptr);
}

void TestMainWindow::windowCaptionPlaceAndLook()
{
    QCOMPARE(MainForm->windowTitle(), QString("Velmora C to Pascal Converter"));
    // No window manager offscreen: the window itself has the outer size.
    QCOMPARE(MainForm->frameGeometry(), QRect(232, 107, 788, 627));
    QVERIFY(MainForm->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(MainForm->windowFlags() & Qt::WindowMaximizeButtonHint);
    QCOMPARE(MainForm->palette().color(QPalette::Window), MainForm->palette().color(QPalette::Button));
    QFontInfo font(MainForm->font());
    QCOMPARE(font.family(), QString("Liberation Sans"));
    QCOMPARE(font.pixelSize(), 11);
}

void TestMainWindow::iconsAreTwoDifferent16ColourPictures()
{
    QImage window = MainForm->windowIcon().pixmap(32, 32).toImage();
    QImage program = QImage(":/program-icon.png");
    QCOMPARE(program.size(), QSize(32, 32));
    QCOMPARE(window.size(), QSize(32, 32));
    QVERIFY(window.convertToFormat(QImage::Format_ARGB32) != program.convertToFormat(QImage::Format_ARGB32));
    QVERIFY(!qApp->windowIcon().isNull());
    for (const QImage& icon : {window, program}) {
        std::set<QRgb> colours;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                if (qAlpha(icon.pixel(x, y)) != 0) colours.insert(icon.pixel(x, y));
        QVERIFY(colours.size() <= 16);
    }
}

void TestMainWindow::viewsSitWhereDesigned()
{
    QCOMPARE(MainForm->SourceMemo->geometry(), QRect(0, 2, 385, 552));
    QCOMPARE(MainForm->DestMemo->geometry(), QRect(390, 2, 385, 552));
    // The client area starts right below the menu bar.
    QCOMPARE(MainForm->SourceMemo->mapTo(MainForm, QPoint(0, 0)),
             QPoint(0, MainForm->menuBar()->geometry().bottom() + 1 + 2));
    QCOMPARE(MainForm->StatusLine->height(), 23);
    QCOMPARE(MainForm->StatusLine->geometry().bottom(), MainForm->height() - 1);
    QCOMPARE(MainForm->StatusLine->width(), MainForm->width());
}

void TestMainWindow::viewsKeepTheirPlaceOnResize_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("scrolls");
    QTest::newRow("smaller") << QSize(500, 300) << true;
    QTest::newRow("larger") << QSize(1100, 900) << false;
    QTest::newRow("exactly the extent") << QSize(775, 577) << false;
}

void TestMainWindow::viewsKeepTheirPlaceOnResize()
{
    QFETCH(QSize, size);
    QFETCH(bool, scrolls);
    // The client area is what lies below the menu bar.
    MainForm->resize(size.width(), size.height() + MainForm->menuBar()->height());
    QTest::qWait(20);
    QCOMPARE(MainForm->SourceMemo->geometry(), QRect(0, 2, 385, 552));
    QCOMPARE(MainForm->DestMemo->geometry(), QRect(390, 2, 385, 552));
    QCOMPARE(MainForm->StatusLine->geometry().bottom(), MainForm->height() - 1);
    QScrollArea* scroller = MainForm->ClientScroller();
    bool scrollRange = scroller->horizontalScrollBar()->maximum() > 0 ||
                       scroller->verticalScrollBar()->maximum() > 0;
    QCOMPARE(scrollRange, scrolls);
    MainForm->resize(788, 627);
}

void TestMainWindow::viewSettings()
{
    for (TMemo* memo : {MainForm->SourceMemo, MainForm->DestMemo}) {
        QFontInfo font(memo->font());
        QCOMPARE(font.family(), QString("Liberation Mono"));
        QCOMPARE(font.pixelSize(), 13);
        QCOMPARE(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(memo->lineWrapMode(), QPlainTextEdit::NoWrap);
        QVERIFY(memo->tabChangesFocus());
    }
}

void TestMainWindow::sourceViewIsReadOnlyButSelectable()
{
    TMemo* memo = MainForm->SourceMemo;
    memo->SetText("int x;\r\n");
    memo->setFocus();
    memo->moveCursor(QTextCursor::Start);
    QTest::keyClicks(memo, "abc");
    QTest::keyClick(memo, Qt::Key_Return);
    QCOMPARE(memo->Text(), std::string("int x;\r\n"));
    QTest::keyClick(memo, Qt::Key_End, Qt::ShiftModifier);
    QCOMPARE(memo->textCursor().selectedText(), QString("int x;"));
    QVERIFY(memo->focusPolicy() & Qt::TabFocus);
    memo->SetText("\r\n");
}

void TestMainWindow::resultViewIsEditable()
{
    TMemo* memo = MainForm->DestMemo;
    memo->SetText("\r\n");
    memo->setFocus();
    memo->moveCursor(QTextCursor::Start);
    QTest::keyClicks(memo, "begin");
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClicks(memo, "end");
    QCOMPARE(memo->Text(), std::string("begin\r\nend\r\n"));
    memo->SetText("\r\n");
}

void TestMainWindow::focusStartsInSourceAndTabMovesIt()
{
    QCOMPARE(MainForm->SourceMemo->TabOrder(), 1);
    QCOMPARE(MainForm->DestMemo->TabOrder(), 2);
    // A fresh window, as the program shows it at start.
    TMainForm* form = nullptr;
    Application->CreateForm(form);
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form->SourceMemo));
    QCOMPARE(form->SourceMemo->Text(), std::string("\r\n"));
    QCOMPARE(form->DestMemo->Text(), std::string("\r\n"));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form->DestMemo));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form->SourceMemo));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form->DestMemo));
    QCOMPARE(form->DestMemo->Text(), std::string("\r\n"));  // no Tab character went in
    delete form;
    QCOMPARE(Application->MainForm(), static_cast<TForm*>(MainForm));
}

void TestMainWindow::menuBarHasThreeBareCommands()
{
    const QList<QAction*> actions = MainForm->MainMenu1->actions();
    QCOMPARE(actions.size(), 3);
    QCOMPARE(actions[0], static_cast<QAction*>(MainForm->FileOpenItem));
    QCOMPARE(actions[1], static_cast<QAction*>(MainForm->ConvertItem));
    QCOMPARE(actions[2], static_cast<QAction*>(MainForm->SaveDestItem));
    const QStringList captions = {"Source open", "Convert source", "Save dest"};
    for (int i = 0; i < 3; ++i) {
        auto* item = static_cast<TMenuItem*>(actions[i]);
        QCOMPARE(QString::fromStdString(item->Caption()), captions[i]);
        QCOMPARE(item->text(), captions[i]);  // no "&" accelerator mark
        QVERIFY(item->menu() == nullptr);
        QVERIFY(item->shortcuts().isEmpty());
        QVERIFY(item->isEnabled());
    }
}

void TestMainWindow::statusBarNeverShowsText()
{
    TStatusBar* bar = MainForm->StatusLine;
    QVERIFY(bar->isSizeGripEnabled());
    QVERIFY(bar->SimplePanel());
    QStatusTipEvent tip(QStringLiteral("Opens a file"));
    QApplication::sendEvent(MainForm->SourceMemo, &tip);
    QCOMPARE(bar->currentMessage(), QString());
    MainForm->FileOpenItem->setStatusTip(QStringLiteral("tip"));
    MainForm->FileOpenItem->showStatusText(MainForm->MainMenu1);
    QCOMPARE(bar->currentMessage(), QString());
    MainForm->FileOpenItem->setStatusTip(QString());
    bar->showMessage(QStringLiteral("written directly"));
    QCOMPARE(bar->currentMessage(), QString());
}

void TestMainWindow::pixelDensityRuleScalesMembersNotTheWindow_data()
{
    QTest::addColumn<double>("dpi");
    QTest::newRow("96 dpi") << 96.0;
    QTest::newRow("120 dpi") << 120.0;
    QTest::newRow("192 dpi") << 192.0;
}

void TestMainWindow::pixelDensityRuleScalesMembersNotTheWindow()
{
    QFETCH(double, dpi);
    QFont designed(QStringLiteral("MS Sans Serif"));
    designed.setPixelSize(11);
    QFont scaledFont = designed;
    scaledFont.setPixelSize(qRound(11 * dpi / 96));
    const int designedHeight = QFontMetrics(designed).height();
    const int scaledHeight = QFontMetrics(scaledFont).height();
    const double factor = double(scaledHeight) / designedHeight;
    QCOMPARE(TForm::ScaleFactorFor(designed, dpi), factor);

    auto form = std::make_unique<TMainForm>();
    form->ScaleForPixelDensity(dpi);
    auto s = [&](int v) { return qRound(v * factor); };
    QCOMPARE(form->DestMemo->geometry(), QRect(s(390), s(2), s(385), s(552)));
    QCOMPARE(form->SourceMemo->font().pixelSize(), s(13));
    QCOMPARE(form->StatusLine->height(), s(23));
    QCOMPARE(form->font().pixelSize(), qRound(11 * dpi / 96));
    QCOMPARE(form->size(), QSize(788, 627));

    form->ScaleForPixelDensity(96);  // from the design again, not from the scaled state
    QCOMPARE(form->DestMemo->geometry(), QRect(390, 2, 385, 552));
    QCOMPARE(form->SourceMemo->font().pixelSize(), 13);
}

void TestMainWindow::commandErrorReachesTheErrorBox_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::newRow("platform error") << 0 << "Datei /x/y.pas kann nicht erstellt werden.";
    QTest::newRow("message ending in a dot") << 1 << "Schon zu Ende.";
    QTest::newRow("standard error") << 2 << "vector too long.";
    QTest::newRow("memory exhausted") << 3 << "Zu wenig Arbeitsspeicher.";
    QTest::newRow("not a standard error") << 4 << "Unbekannter Fehler.";
}

void TestMainWindow::commandErrorReachesTheErrorBox()
{
    QFETCH(int, kind);
    QFETCH(QString, text);
    TestSeams::CaptureBoxes();
    TMenuItem item(MainForm->MainMenu1);
    bool after = false;
    item.OnClick = [&](QObject*) {
        switch (kind) {
            case 0: RaiseFCreateError("/x/y.pas");
            case 1: throw Exception("Schon zu Ende.");
            case 2: throw std::length_error("vector too long");
            case 3: throw std::bad_alloc();
            default: throw 42;
        }
        after = true;
    };
    item.trigger();  // as a click on the menu does
    item.Click();    // as a direct call does
    QVERIFY(!after);
    const auto boxes = TestSeams::TakeBoxes();
    QCOMPARE(boxes.size(), std::size_t{2});
    for (const auto& box : boxes) {
        QCOMPARE(QString::fromStdString(box.text), text);
        QCOMPARE(box.title, Application->Title());
        QCOMPARE(box.icon, TMsgIcon::Stop);
        QCOMPARE(box.buttons, TMsgButtons::Ok);
        QVERIFY(box.hasOwner);
    }
    QVERIFY(MainForm->isVisible());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
