// Cost of printing a long tape: laying out a tape of N lines (with totals) and
// handing every page, as a job of its own, to the system's default queue,
// through the program's own printing code. Prints lines=N pages=P ms=T.

#include "app/platform/platform.h"
#include "tape/printlayout.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;
    QStringList tape{QString(18, u' ')};
    for (int i = 1; i < count; ++i)
        tape.append(QStringLiteral("+%1%2")
                        .arg(QStringLiteral("1.00"), 21)
                        .arg(QString::number(i) + QStringLiteral(".00"), 27));

    QElapsedTimer timer;
    timer.start();
    const QList<QStringList> pages = LayoutPrintPages(tape, PrintTotals::With);
    const int printed = Platform().printPages(pages);
    std::printf("lines=%d pages=%lld printed=%d ms=%lld\n", count,
                static_cast<long long>(pages.size()), printed, timer.elapsed());
    return printed == pages.size() ? 0 : 1;
}
