#pragma once

#include <QList>
#include <QMargins>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

// What the window needs of the desktop it runs on: the screen, the window frame,
// the modal boxes, the printer and the web engine. The defaults are the real Qt
// ones; tests replace single functions. The boxes' buttons speak Turkish, as
// the whole calculator does, whatever the user's locale.
class Platform {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~Platform();

    // Size of the primary screen in logical pixels.
    virtual QSize screenSize() const;

    // Title bar and borders that the window system puts around `window`, in
    // logical pixels; zero where there are none or before they are known.
    virtual QMargins frameMargins(const QWidget& window) const;

    // Learns, before `window` is first shown, the frame that the window manager
    // will put around it, so that the window can be placed by its outer edges
    // from the moment it appears.
    virtual void learnFrame(const QWidget& window);

    // Tells the window manager that only the program sizes `window`: no
    // resizing, no maximizing. Called when the window is about to be shown.
    virtual void fixWindowSize(QWidget& window);

    // Whether the window system places windows where the program asks and
    // tells where they stand. Wayland does neither.
    virtual bool placesWindows() const;

    // Whether a child window that has a native window of its own is cut off at
    // its parent's edges. Wayland's subsurfaces are not.
    virtual bool clipsChildWindows() const;

    // A modal question with Yes, No and Cancel, Yes the default. Closing the
    // box answers Cancel.
    virtual Answer ask(QWidget* parent, const QString& title, const QString& text);

    // A modal message with OK alone and no icon, titled with the program's name.
    virtual void tell(QWidget* parent, const QString& text);

    // A modal one-line text box; no value when it is cancelled or closed.
    virtual std::optional<QString> askText(QWidget* parent, const QString& title,
                                           const QString& prompt, const QString& preset);

    // Prints each page as a job of its own on the system's current printer, a
    // row per line in "Courier" at the printer's default size. A page that fails
    // is skipped. Returns how many pages the printer took: none without a printer.
    virtual int printPages(const QList<QStringList>& pages);

    // Creates the web view of the advertisement strip inside `parent`, loading
    // the web engine on first use. Returns nullptr when the engine cannot be had.
    virtual QWidget* createWebView(QWidget* parent);

private:
    QMargins m_learnedFrame;
};
