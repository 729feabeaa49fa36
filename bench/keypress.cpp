// Cost of one calculation step as the tape grows: "1" and "+" clicked with real
// mouse events on the window's key hotspots (each "+" writes a tape line and
// selects it), then the events that follow, painting included, with 10 lines on
// the tape and with 100,000, in one process on the offscreen platform. Then
// what a screen reader costs a step: the checks for one that a step makes
// while none listens, timed alone, and the step while one listens.

#include "app/announcer.h"
#include "app/form1.h"
#include "keys/keytable.h"

#include "tape/tapeview.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// A window frame of classic size and no web engine, on a screen so low that
// the window starts at its full height: every step then costs the same
// window work, and what differs is the tape alone.
class BenchPlatform : public Platform {
public:
    QSize screenSize() const override { return {1024, 400}; }
    QMargins frameMargins(const QWidget&) const override { return {4, 30, 3, 4}; }
    QWidget* createWebView(QWidget*) override { return nullptr; }
};

class Bench {
public:
    Bench()
        : m_form(std::make_unique<BenchPlatform>())
    {
        m_form.show();
        (void)QTest::qWaitForWindowExposed(&m_form);
        m_tape = m_form.findChild<TapeView*>(QStringLiteral("List1"));
    }

    int lines() const { return m_tape->count(); }

    // Calculation steps through PressKey, the road every key press takes.
    void fillTo(int count)
    {
        while (m_tape->count() < count) {
            m_form.PressKey(1, Button::Left);
            m_form.PressKey(Key::Plus, Button::Left);
        }
        QApplication::processEvents();
    }

    // Tape lines appended straight to the list, as calculation steps write
    // them; through PressKey the fill alone would take as long as the steps
    // it makes grow, which is what is measured here.
    void appendLinesTo(int count)
    {
        const QString line = m_tape->line(m_tape->count() - 1);
        while (m_tape->count() < count)
            m_tape->addLine(line);
        QApplication::processEvents();
    }

    void clearTape()
    {
        click(Key::ClearEntryAndTape);
        QApplication::processEvents();
    }

    // Times `steps` steps. A short tape is cleared and filled again after each
    // step, untimed, so that it keeps its length; a long one grows by one line
    // a step, which leaves its length all but unchanged.
    std::vector<double> timeSteps(int steps)
    {
        std::vector<double> ms;
        const int length = m_tape->count();
        for (int i = 0; i < steps; ++i) {
            QElapsedTimer timer;
            timer.start();
            click(1);
            click(Key::Plus);
            QApplication::processEvents();
            ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
            if (length < 1000) {
                clearTape();
                fillTo(length);
            }
        }
        return ms;
    }

private:
    void click(int index)
    {
        QTest::mouseClick(m_form.findChild<QWidget*>(QStringLiteral("Image1_%1").arg(index)),
                          Qt::LeftButton);
    }

    Form1 m_form;
    TapeView* m_tape = nullptr;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double percentile90(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() * 9 / 10];
}

constexpr int Steps = 301;
constexpr int WarmUpSteps = 30; // the window grows with the first lines; let it finish

double measure(Bench& bench, const char* name)
{
    bench.timeSteps(WarmUpSteps);
    const std::vector<double> ms = bench.timeSteps(Steps);
    std::printf("%s lines=%d median_ms=%.3f p90_ms=%.3f\n", name, bench.lines(), median(ms),
                percentile90(ms));
    return median(ms);
}

// Without a screen reader a step ("1", "+") asks whether one listens at the
// start and end of each of its two key presses, for its tape line, and for
// each of the entry field's two changes, and hands its line to the announcer,
// which drops it. Returns nanoseconds a step.
double checksWithoutScreenReader()
{
    QWidget window;
    Announcer announcer(&window);
    const QString line = QStringLiteral("+                 1.00                      2.00");
    constexpr int Repeats = 1000000;
    int listening = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < Repeats; ++i) {
        for (int press = 0; press < 2; ++press)
            listening += Announcer::listening() + Announcer::listening();
        announcer.say(line);
        listening += QAccessible::isActive() + QAccessible::isActive();
    }
    const double ns = static_cast<double>(timer.nsecsElapsed()) / Repeats;
    return listening == 0 ? ns : -1;
}

// A screen reader's bridge switches the platform's accessibility on; the events
// it would send on go nowhere here.
void listen(bool on)
{
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(on);
    const QAccessible::UpdateHandler dropEvents = [](QAccessibleEvent*) {};
    QAccessible::installUpdateHandler(on ? dropEvents : nullptr);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const int large = argc > 1 ? std::atoi(argv[1]) : 100000;
    Bench bench;
    bench.fillTo(10);
    const double small = measure(bench, "small");

    QElapsedTimer fill;
    fill.start();
    bench.appendLinesTo(large);
    std::printf("fill lines=%d seconds=%.1f\n", bench.lines(),
                static_cast<double>(fill.elapsed()) / 1e3);
    const double big = measure(bench, "large");

    bench.clearTape();
    bench.fillTo(10);
    const double smallAgain = measure(bench, "small_again");
    std::printf("ratio large/small=%.2f (small again %.2f)\n", big / small, big / smallAgain);

    const double checks = checksWithoutScreenReader();
    std::printf("screen_reader_checks step_ns=%.1f ratio_to_step=%.6f\n", checks,
                checks / (smallAgain * 1e6));
    listen(true);
    bench.timeSteps(WarmUpSteps);
    const double listening = median(bench.timeSteps(Steps));
    listen(false);
    std::printf("screen_reader_listening step_median_ms=%.3f ratio_to_step=%.2f\n", listening,
                listening / smallAgain);
    return 0;
}
