// The displays and the tape as the window draws them: colours, alignment,
// every digit visible at any scale, and the tape in one character width.

#include "formdriver.h"

#include <QLabel>

#include <cmath>

class DisplaysTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // Every character of the tape is as wide as any other, as drawn: the
    // amounts of the entry column, short or long, end in one pixel column.
    void tapeIsDrawnInFixedPitch()
    {
        FormDriver driver;
        driver.type(QStringLiteral("7+11111111111111+\r"));
        TapeView* tape = driver.tape();
        const QFontMetricsF metrics(tape->viewport()->font());
        const qreal advance = metrics.horizontalAdvance(u'0');
        for (const QChar c : driver.tapeLines().join(QString()))
            QCOMPARE(metrics.horizontalAdvance(c), advance);
        const QImage drawn = tape->viewport()->grab().toImage();
        QList<int> ends;
        for (int row = 1; row < tape->count(); ++row) {
            const QRect band = tape->rowRect(row) & drawn.rect();
            QCOMPARE(band.height(), tape->rowRect(row).height());
            const QColor paper = drawn.pixelColor(0, band.center().y());
            int end = -1;
            for (int x = 0; x < 23 * advance; ++x)
                for (int y = band.top(); y <= band.bottom(); ++y)
                    if (drawn.pixelColor(x, y) != paper)
                        end = x;
            ends.append(end);
        }
        QCOMPARE(ends, QList<int>(3, ends.first()));
        QVERIFY2(ends.first() > 21 * advance, qPrintable(QString::number(ends.first())));
    }

    // The displays as the window shows them: background and text colours, and
    // where a short text stands.
    void displaysShowTheirColoursAndAlignment_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QColor>("background");
        QTest::addColumn<QColor>("text"); // none: the system's
        QTest::addColumn<int>("alignment");
        const QColor teal(0, 192, 192), paleYellow(255, 255, 192);
        QTest::newRow("result") << "Label1" << paleYellow << QColor() << int(Qt::AlignRight);
        QTest::newRow("result line") << "Label5" << paleYellow << QColor() << int(Qt::AlignLeft);
        QTest::newRow("entry") << "Label4" << teal << QColor(0, 0, 0) << int(Qt::AlignRight);
        QTest::newRow("operator") << "Label2" << teal << QColor() << int(Qt::AlignHCenter);
    }
    void displaysShowTheirColoursAndAlignment()
    {
        QFETCH(QString, name);
        QFETCH(QColor, background);
        QFETCH(QColor, text);
        QFETCH(int, alignment);
        FormDriver driver;
        driver.type(QStringLiteral("5+7"));
        const QImage drawn = driver.label(qPrintable(name))->grab().toImage();
        QCOMPARE(drawn.pixelColor(0, 0), background);
        QRect ink;
        bool textColour = false;
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x)
                if (const QColor c = drawn.pixelColor(x, y); c != background) {
                    ink |= QRect(x, y, 1, 1);
                    textColour = textColour || c == text;
                }
        QVERIFY(!ink.isEmpty());
        QVERIFY(!text.isValid() || textColour);
        const int left = ink.left(), right = drawn.width() - 1 - ink.right();
        const QByteArray gaps = QByteArray::number(left) + " left, " + QByteArray::number(right);
        if (alignment == Qt::AlignRight)
            QVERIFY2(right <= 3 && left > 3 * right, gaps);
        else if (alignment == Qt::AlignLeft)
            QVERIFY2(left <= 3, gaps);
        else
            QVERIFY2(std::abs(left - right) <= 2, gaps);
    }

    void displaysShowEveryDigit_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<qreal>("dpr");
        for (const qreal dpr : {1.0, 1.5, 2.0}) {
            const QByteArray scale = QByteArray::number(dpr) + "x";
            QTest::newRow("widest entry " + scale)
                << "12345678901234" << QByteArray("Label4") << "12,345,678,901,234.00" << dpr;
            QTest::newRow("widest total " + scale) << "99999999999999*10+9+" << QByteArray("Label1")
                                                   << "999,999,999,999,999.00" << dpr;
            QTest::newRow("large negative total " + scale)
                << "1-99999999999999*99999999999999+" << QByteArray("Label1")
                << "-9,999,999,999,999,700,000,000,000,000.00" << dpr;
        }
    }
    // Drawn at the screen's scale, the display's text, right-aligned, keeps
    // clear of the display's left edge: nothing of it is cut off.
    void displaysShowEveryDigit()
    {
        QFETCH(QString, typed);
        QFETCH(QByteArray, display);
        QFETCH(QString, shown);
        QFETCH(qreal, dpr);
        FormDriver driver;
        driver.type(typed);
        QLabel* label = driver.label(display.constData());
        QCOMPARE(label->text(), shown);
        QImage image(label->size() * dpr, QImage::Format_RGB32);
        image.setDevicePixelRatio(dpr);
        label->render(&image);
        const QColor background = image.pixelColor(0, 0);
        int ink = 0;
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y)
                if (image.pixelColor(x, y) != background) {
                    ++ink;
                    QVERIFY2(x > 0, "the text is cut off at the display's left edge");
                }
        QVERIFY(ink > 0);
    }
};

QTEST_MAIN(DisplaysTest)
#include "tst_displays.moc"
