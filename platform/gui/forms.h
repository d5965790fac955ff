// Forms and their plain members: the window class, its status bar, its menu
// bar and menu commands.
//
// A form is a top-level window with a menu bar at the top, a status bar along
// the bottom and between them a client area in which the members sit at fixed
// positions. Members keep their place when the window is resized; when the
// client area is smaller than the members' extent it shows scroll bars.
// Sizes are pixels at 96 pixels per inch (see ScaleForPixelDensity).
#pragma once

#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <functional>
#include <string>

class QScrollArea;
class TApplication;

using TNotifyEvent = std::function<void(QObject* Sender)>;

class TForm : public QMainWindow {
    Q_OBJECT
public:
    TForm();
    ~TForm() override;

    void SetCaption(const std::string& caption);
    std::string Caption() const;

    // Places the window with its frame at left, top and gives the frame the
    // outer size width x height. Where no frame is drawn (no window manager)
    // the window itself gets that size.
    void SetOuterBounds(int left, int top, int width, int height);
    QRect DesignedOuterBounds() const { return designed_; }

    // The window's default font: family at a height of pixelHeight pixels.
    void SetWindowFont(const std::string& family, int pixelHeight);
    // The window's icon, from a Qt resource path (":/...").
    void SetIcon(const std::string& resource);

    // The widget members are placed in; a member's position is relative to it.
    QWidget* ClientArea() const { return client_; }
    // The scroll area that shows ClientArea.
    QScrollArea* ClientScroller() const { return scroller_; }
    // Recomputes the extent the client area scrolls over: the right and
    // bottom edges of its members. Members call it when they move.
    void UpdateClientExtent();

    // Asks the window to close, as its close box does.
    void Close();

    // The factor by which a form designed at 96 pixels per inch is scaled on
    // a screen of dpi pixels per inch: the height of "0" in windowFont scaled
    // by dpi / 96, divided by its height in windowFont as designed; 1 when
    // both heights are equal.
    static double ScaleFactorFor(const QFont& windowFont, double dpi);

    // Applies the pixel-density rule for a screen of dpi pixels per inch: the
    // window font's height is scaled by dpi / 96; when that changes the height
    // of "0", the position and size of every member and the members' font
    // heights are scaled by ScaleFactorFor. The outer size stays as designed.
    void ScaleForPixelDensity(double dpi);

    // Called once by the application after the form's constructor: applies
    // the pixel-density rule for the form's screen, links the members' tab
    // order and gives the first of them the focus.
    void AfterConstruction();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QMargins FrameMargins() const;
    void ApplyOuterBounds();
    void SettleOuterBounds();

    QScrollArea* scroller_;
    QWidget* client_;
    QRect designed_;
    bool outerBoundsSettled_ = false;
    bool shownBefore_ = false;
    int designedFontHeight_ = 0;
};

// The status bar of a form: one simple panel with a size grip at its right
// end. It never shows text: status tips of menu commands do not reach it.
class TStatusBar : public QStatusBar {
    Q_OBJECT
public:
    // Puts the status bar along the bottom edge of form, full width.
    explicit TStatusBar(TForm* form);
    void SetHeight(int height);
    void SetSimplePanel(bool simple) { simplePanel_ = simple; }
    bool SimplePanel() const { return simplePanel_; }

private:
    bool simplePanel_ = true;
};

// The menu bar of a form. Its commands are top-level items, without submenus.
class TMainMenu : public QMenuBar {
    Q_OBJECT
public:
    explicit TMainMenu(TForm* form);
};

// A command of a menu bar. A click runs OnClick through the application's
// dispatcher, so an error raised by the handler reaches the error box.
// Commands carry no keyboard accelerator and no shortcut.
class TMenuItem : public QAction {
    Q_OBJECT
public:
    // Adds the command at the end of menu.
    explicit TMenuItem(TMainMenu* menu);

    // The caption exactly as given; an "&" in it is shown, not taken as an
    // accelerator mark.
    void SetCaption(const std::string& caption);
    std::string Caption() const;

    TNotifyEvent OnClick;

    // Runs the command as a click on it does.
    void Click();
};
