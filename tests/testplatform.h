#pragma once

#include "app/platform/platform.h"

#include <QCursor>
#include <QGuiApplication>
#include <QList>
#include <QStringList>

// A desktop for tests: a 1024 x 768 screen and a window frame of classic size
// (7 pixels across, 34 down: an outer window of 2700 x 5070 twips), no web
// engine, a printer that keeps what it is given and notes the pointer the
// program shows while printing, and a record of what each text box answered.
// The modal boxes are the real ones; tests answer them as a user would.
class TestPlatform : public Platform {
public:
    QSize screen{1024, 768};
    QMargins frame{4, 30, 3, 4};
    QList<QStringList> printedJobs;
    QList<std::optional<QString>> textAnswers; // what each text box answered
    // The application's override cursor at each call to printPages; the arrow
    // where there is none.
    QList<Qt::CursorShape> pointersWhilePrinting;
    bool printerAvailable = true;
    bool windowsPlaced = true; // false: the window system keeps its windows' places to itself

    QSize screenSize() const override { return screen; }
    QMargins frameMargins(const QWidget&) const override { return frame; }
    bool placesWindows() const override { return windowsPlaced; }
    QWidget* createWebView(QWidget*) override { return nullptr; }
    std::optional<QString> askText(QWidget* parent, const QString& title, const QString& prompt,
                                   const QString& preset) override
    {
        textAnswers.append(Platform::askText(parent, title, prompt, preset));
        return textAnswers.last();
    }
    int printPages(const QList<QStringList>& pages) override
    {
        const QCursor* pointer = QGuiApplication::overrideCursor();
        pointersWhilePrinting.append(pointer ? pointer->shape() : Qt::ArrowCursor);
        if (!printerAvailable)
            return 0;
        printedJobs.append(pages);
        return static_cast<int>(pages.size());
    }
};
