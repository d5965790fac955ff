#include "platform/gui/forms.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QIcon>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "platform/gui/application.h"
#include "platform/gui/memo.h"

namespace {

// The member font heights as designed, kept so that scaling starts from them.
const char* const kDesignedFontHeight = "velmoraDesignedFontHeight";
const char* const kDesignedGeometry = "velmoraDesignedGeometry";

int Scaled(int value, double factor) { return static_cast<int>(std::lround(value * factor)); }

QFont WithPixelSize(QFont font, int pixels)
{
    font.setPixelSize(std::max(1, pixels));
    return font;
}

}  // namespace

TForm::TForm()
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    QPalette p = palette();
    p.setColor(QPalette::Window, p.color(QPalette::Button));
    setPalette(p);
    setAutoFillBackground(true);

    scroller_ = new QScrollArea(this);
    scroller_->setFrameShape(QFrame::NoFrame);
    scroller_->setFocusPolicy(Qt::NoFocus);
    scroller_->setWidgetResizable(true);
    client_ = new QWidget;
    client_->setObjectName(QStringLiteral("ClientArea"));
    scroller_->setWidget(client_);
    setCentralWidget(scroller_);
}

TForm::~TForm()
{
    if (Application) Application->FormDestroyed(this);
}

void TForm::SetCaption(const std::string& caption)
{
    setWindowTitle(QString::fromStdString(caption));
}

std::string TForm::Caption() const { return windowTitle().toStdString(); }

void TForm::SetOuterBounds(int left, int top, int width, int height)
{
    designed_ = QRect(left, top, width, height);
    outerBoundsSettled_ = false;
    ApplyOuterBounds();
}

QMargins TForm::FrameMargins() const
{
    QRect frame = frameGeometry();
    QRect inner = geometry();
    return QMargins(inner.left() - frame.left(), inner.top() - frame.top(),
                    frame.right() - inner.right(), frame.bottom() - inner.bottom());
}

void TForm::ApplyOuterBounds()
{
    if (designed_.isNull()) return;
    QMargins m = FrameMargins();
    if (isVisible() && !m.isNull()) outerBoundsSettled_ = true;
    resize(designed_.width() - m.left() - m.right(), designed_.height() - m.top() - m.bottom());
    move(designed_.topLeft());
}

void TForm::SettleOuterBounds()
{
    // A window manager's frame becomes known some time after the window is
    // first shown; the outer size is then given through it, once. Without a
    // frame there is nothing to settle, and the user's resizing is left alone.
    if (!outerBoundsSettled_ && isVisible() && !FrameMargins().isNull()) ApplyOuterBounds();
}

void TForm::SetWindowFont(const std::string& family, int pixelHeight)
{
    designedFontHeight_ = pixelHeight;
    QFont f(QString::fromStdString(family));
    f.setPixelSize(pixelHeight);
    setFont(f);
}

void TForm::SetIcon(const std::string& resource)
{
    setWindowIcon(QIcon(QString::fromStdString(resource)));
}

void TForm::UpdateClientExtent()
{
    QRect extent;
    for (QWidget* member : client_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        extent |= member->geometry();
    }
    client_->setMinimumSize(std::max(0, extent.right() + 1), std::max(0, extent.bottom() + 1));
}

void TForm::Close() { close(); }

double TForm::ScaleFactorFor(const QFont& windowFont, double dpi)
{
    int designed = windowFont.pixelSize() > 0 ? windowFont.pixelSize() : 11;
    QFont scaled = WithPixelSize(windowFont, static_cast<int>(std::lround(designed * dpi / 96.0)));
    int designedHeight = QFontMetrics(WithPixelSize(windowFont, designed)).height();
    int scaledHeight = QFontMetrics(scaled).height();
    if (scaledHeight == designedHeight || designedHeight <= 0) return 1.0;
    return static_cast<double>(scaledHeight) / designedHeight;
}

void TForm::ScaleForPixelDensity(double dpi)
{
    QFont designedFont = WithPixelSize(font(), designedFontHeight_ > 0 ? designedFontHeight_ : 11);
    double factor = ScaleFactorFor(designedFont, dpi);
    setFont(WithPixelSize(designedFont, static_cast<int>(std::lround(
                                            designedFont.pixelSize() * dpi / 96.0))));

    auto members = client_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    if (statusBar()) members.append(statusBar());
    for (QWidget* member : members) {
        if (!member->property(kDesignedGeometry).isValid()) {
            member->setProperty(kDesignedGeometry, member->geometry());
            member->setProperty(kDesignedFontHeight, member->font().pixelSize());
        }
        QRect g = member->property(kDesignedGeometry).toRect();
        if (member == statusBar()) {
            member->setFixedHeight(Scaled(g.height(), factor));
        } else {
            member->setGeometry(Scaled(g.x(), factor), Scaled(g.y(), factor),
                                Scaled(g.width(), factor), Scaled(g.height(), factor));
        }
        int fontHeight = member->property(kDesignedFontHeight).toInt();
        if (fontHeight > 0 && member->font().resolveMask() != 0) {
            member->setFont(WithPixelSize(member->font(), Scaled(fontHeight, factor)));
        }
    }
    UpdateClientExtent();
    ApplyOuterBounds();
}

void TForm::AfterConstruction()
{
    QScreen* s = screen();
    ScaleForPixelDensity(s ? s->logicalDotsPerInch() : 96.0);

    auto memos = client_->findChildren<TMemo*>(Qt::FindDirectChildrenOnly);
    std::stable_sort(memos.begin(), memos.end(),
                     [](TMemo* a, TMemo* b) { return a->TabOrder() < b->TabOrder(); });
    for (qsizetype i = 1; i < memos.size(); ++i) setTabOrder(memos[i - 1], memos[i]);
    if (!memos.isEmpty()) memos.first()->setFocus(Qt::OtherFocusReason);
}

bool TForm::event(QEvent* event)
{
    switch (event->type()) {
        case QEvent::StatusTip:
            return true;  // the status bar shows no text
        case QEvent::Show: {
            bool result = QMainWindow::event(event);
            if (!shownBefore_) {
                shownBefore_ = true;
                ApplyOuterBounds();
                QTimer::singleShot(0, this, &TForm::SettleOuterBounds);
            }
            return result;
        }
        case QEvent::Move:
        case QEvent::Resize: {
            bool result = QMainWindow::event(event);
            SettleOuterBounds();
            return result;
        }
        default:
            break;
    }
    return QMainWindow::event(event);
}

void TForm::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (Application) Application->FormClosed(this);
}

TStatusBar::TStatusBar(TForm* form) : QStatusBar(form)
{
    form->setStatusBar(this);
    setSizeGripEnabled(true);
    connect(this, &QStatusBar::messageChanged, this, [this](const QString& text) {
        if (!text.isEmpty()) clearMessage();
    });
}

void TStatusBar::SetHeight(int height) { setFixedHeight(height); }

TMainMenu::TMainMenu(TForm* form) : QMenuBar(form)
{
    setNativeMenuBar(false);
    form->setMenuBar(this);
}

TMenuItem::TMenuItem(TMainMenu* menu) : QAction(menu)
{
    setMenuRole(QAction::NoRole);
    setShortcutContext(Qt::WidgetShortcut);
    menu->addAction(this);
    connect(this, &QAction::triggered, this, [this] { Click(); });
}

void TMenuItem::SetCaption(const std::string& caption)
{
    QString text = QString::fromStdString(caption);
    text.replace(u'&', QStringLiteral("&&"));
    setText(text);
    setIconText(text);
}

std::string TMenuItem::Caption() const
{
    QString shown = text();
    shown.replace(QStringLiteral("&&"), QStringLiteral("&"));
    return shown.toStdString();
}

void TMenuItem::Click()
{
    if (!OnClick) return;
    auto run = [this] { OnClick(this); };
    if (Application) {
        Application->Dispatch(run);
    } else {
        try {
            run();
        } catch (...) {
        }
    }
}
