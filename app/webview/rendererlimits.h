#pragma once

#include <QDeadlineTimer>
#include <QList>
#include <QObject>
#include <QTimer>

class QWebEnginePage;

// A process's processor time over its latest samples, taken at a steady
// interval, against a share of one core.
class ProcessorWindow {
public:
    ProcessorWindow(int samples, int intervalMs, double share)
        : m_samples(samples)
        , m_budgetSeconds(share * samples * intervalMs / 1000.0)
    {
    }

    // Adds the processor time the process has used so far, in clock ticks;
    // true once the window is full and the process used at least its share
    // over all of it.
    bool add(qint64 ticks);
    void clear() { m_ticks.clear(); }

private:
    int m_samples;
    double m_budgetSeconds;
    QList<qint64> m_ticks;
};

// Keeps the process that renders the strip's page within bounds that no honest
// advertisement comes near. It may commit so much memory and no more: the
// kernel refuses it the rest, and it is ended once it comes near. It yields
// to the calculator whenever both want the processor. It is ended once it has
// kept a core busy for a few seconds on end, or once its page has not answered
// for a few seconds (a script that never returns, however little processor
// time it is given on a busy machine). Showing the page costs the calculator's
// own process work too: it is ended once the calculator has spent more than a
// few per cent of a core on end while the user did nothing, as a page that
// animates without pause makes it. What the page keeps outside its renderer
// (blobs, frames, its history) lives in the calculator's own process: once
// that holds a few dozen MiB more than when the page started, the page is
// ended. An ended page is reported, so that what it keeps goes with it; the
// next page the program asks for starts a new renderer.
class RendererLimits : public QObject {
    Q_OBJECT

public:
    explicit RendererLimits(QWebEnginePage* page);

    // Ends the renderer now.
    void end();

signals:
    // The page's renderer was ended.
    void ended();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void follow();
    void adopt(qint64 pid);
    void sample();
    bool hung();
    bool costsTheCalculator();
    void watchCalculatorMemory();

    QWebEnginePage* m_page;
    QTimer m_timer;
    QTimer m_memoryTimer;
    qint64 m_pid = 0;
    // When the process started: a later process with the same number is not ours.
    qint64 m_started = -1;
    // The renderer's processor time over the latest samples.
    ProcessorWindow m_renderer;
    // A question to the page that has not been answered yet, and when its answer is due.
    int m_question = 0;
    bool m_asking = false;
    QDeadlineTimer m_answerDue;
    // The calculator's own processor time over the latest samples while the
    // user did nothing, and whether the user has done something since the
    // last sample.
    ProcessorWindow m_calculator;
    bool m_userActed = false;
    // The calculator's private memory when the renderer started, in KiB.
    qint64 m_calculatorKiB = 0;
};
