#pragma once

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QWebEnginePage>

// The page shown in the strip. The page is not the calculator's to trust: it
// opens no box of its own (its alerts, confirmations and prompts are answered
// here, its file choosers get no file), its console goes nowhere, it cannot
// reach the clipboard or the selection, it makes no sound, it stores nothing,
// it starts no other program, and it may navigate itself only now and then.
// Each of its requests costs the calculator's process some work: a page that
// makes more of them than any honest page does is reported, to be ended.
class StripPage : public QWebEnginePage {
    Q_OBJECT

public:
    explicit StripPage(QObject* parent);

    // Counts a request of the page's, of so many units, against its
    // allowance; false once the page is past it (and reported).
    bool count(double cost = 1);

signals:
    void excessive();

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    void javaScriptAlert(const QUrl&, const QString&) override { count(); }
    bool javaScriptConfirm(const QUrl& origin, const QString& message) override;
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override
    {
        count();
        return false;
    }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int,
                                  const QString&) override
    {
        count();
    }
    QStringList chooseFiles(FileSelectionMode, const QStringList&, const QStringList&) override
    {
        count();
        return {};
    }

private:
    bool mayNavigate();
    void refuse(const QUrl& origin, Feature feature);

    int m_navigations = 0;
    QDeadlineTimer m_nextNavigation;
    // Requests the page may still make at once; refilled at a steady rate.
    double m_allowance;
    QElapsedTimer m_sinceRequest;
};
