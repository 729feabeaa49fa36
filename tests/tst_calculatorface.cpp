#include "app/face/calculatorface.h"
#include "app/face/windowicon.h"
#include "keys/keytable.h"

#include <QImage>
#include <QPixmap>
#include <QtTest>

#include <algorithm>
#include <cmath>

namespace {

enum class Family { Light, Red, Teal, Other };

// Colour families as a person would name them, independent of the exact
// shades the face uses.
Family familyOf(QColor c)
{
    const int lo = std::min({c.red(), c.green(), c.blue()});
    const int hi = std::max({c.red(), c.green(), c.blue()});
    if (c.red() >= 150 && c.green() <= 110 && c.blue() <= 110)
        return Family::Red;
    if (c.red() <= 90 && c.green() >= 100 && c.blue() >= 100 &&
        std::abs(c.green() - c.blue()) <= 40)
        return Family::Teal;
    if (lo >= 180 && hi - lo <= 30)
        return Family::Light;
    return Family::Other;
}

Family expectedFamily(int index)
{
    if (index == Key::ClearEntryAndTape)
        return Family::Red;
    if (index == Key::AddTax || index == Key::RemoveTax)
        return Family::Teal;
    return Family::Light;
}

bool isLegendInk(QColor c, Family key)
{
    if (key == Family::Light)
        return c.lightness() < 90;
    return std::min({c.red(), c.green(), c.blue()}) >= 225;
}

QImage renderFace(qreal dpr)
{
    CalculatorFace face;
    const QSize size = CalculatorFace::pictureSize();
    QImage image(std::ceil(size.width() * dpr), std::ceil(size.height() * dpr),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::magenta);
    face.render(&image);
    return image;
}

// The device pixel under a point given in picture pixels.
QColor colourAt(const QImage& image, QPointF picture)
{
    const qreal dpr = image.devicePixelRatio();
    return image.pixelColor(int(picture.x() * dpr), int(picture.y() * dpr));
}

// All device pixels inside a rectangle given in picture pixels.
QList<QColor> coloursIn(const QImage& image, const QRectF& picture)
{
    const qreal dpr = image.devicePixelRatio();
    const QRect device(
        QPoint(std::ceil(picture.left() * dpr), std::ceil(picture.top() * dpr)),
        QPoint(std::floor(picture.right() * dpr) - 1, std::floor(picture.bottom() * dpr) - 1));
    QList<QColor> colours;
    for (int y = device.top(); y <= device.bottom(); ++y)
        for (int x = device.left(); x <= device.right(); ++x)
            colours.append(image.pixelColor(x, y));
    return colours;
}

// The part of a key away from its outline, where its colour and legend show.
QRectF keyInterior(int index)
{
    return QRectF(CalculatorFace::keyRectInPicture(keyTable()[size_t(index)].rect))
        .adjusted(3, 2, -3, -3);
}

int colourDistance(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
           std::abs(a.blue() - b.blue());
}

void addRatioRows()
{
    QTest::addColumn<qreal>("dpr");
    QTest::newRow("1x") << 1.0;
    QTest::newRow("1.5x") << 1.5;
    QTest::newRow("2x") << 2.0;
}

} // namespace

class TestCalculatorFace : public QObject {
    Q_OBJECT

private slots:
    void isAPassivePictureOfNaturalSize();
    void keysCoverTheirHotspotPixels_data();
    void keysCoverTheirHotspotPixels();
    void keysDoNotOverlap();
    void keysShowTheirFamilyColourAndLegend_data() { addRatioRows(); }
    void keysShowTheirFamilyColourAndLegend();
    void gapsAndDisplayPanelAreNotKeys_data() { addRatioRows(); }
    void gapsAndDisplayPanelAreNotKeys();
    void rendersAtDeviceResolution();
    void iconIsALightBlueCalculator_data();
    void iconIsALightBlueCalculator();
};

void TestCalculatorFace::isAPassivePictureOfNaturalSize()
{
    CalculatorFace face;
    QCOMPARE(face.size(), QSize(200, 326));
    QVERIFY(face.testAttribute(Qt::WA_TransparentForMouseEvents));
    QCOMPARE(face.focusPolicy(), Qt::NoFocus);
}

void TestCalculatorFace::keysCoverTheirHotspotPixels_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QRect>("pixels");
    QTest::newRow("0") << 0 << QRect(24, 280, 33, 25);
    QTest::newRow("decimal point") << int(Key::DecimalPoint) << QRect(64, 280, 33, 25);
    QTest::newRow("tall plus") << int(Key::Plus) << QRect(145, 249, 33, 55);
    QTest::newRow("R·CM") << int(Key::MemoryStore) << QRect(24, 137, 24, 16);
    QTest::newRow("C·CE") << int(Key::ClearEntryAndTape) << QRect(145, 137, 33, 16);
}

void TestCalculatorFace::keysCoverTheirHotspotPixels()
{
    QFETCH(int, index);
    QFETCH(QRect, pixels);
    QCOMPARE(CalculatorFace::keyRectInPicture(keyTable()[size_t(index)].rect), pixels);
}

void TestCalculatorFace::keysDoNotOverlap()
{
    for (const KeySpec& a : keyTable())
        for (const KeySpec& b : keyTable())
            if (a.index < b.index)
                QVERIFY2(!CalculatorFace::keyRectInPicture(a.rect).intersects(
                             CalculatorFace::keyRectInPicture(b.rect)),
                         qPrintable(QStringLiteral("%1 and %2").arg(a.index).arg(b.index)));
}

void TestCalculatorFace::keysShowTheirFamilyColourAndLegend()
{
    QFETCH(qreal, dpr);
    const QImage image = renderFace(dpr);
    for (const KeySpec& key : keyTable()) {
        const Family family = expectedFamily(key.index);
        const QList<QColor> colours = coloursIn(image, keyInterior(key.index));
        const auto inFamily = std::count_if(colours.begin(), colours.end(),
                                            [&](QColor c) { return familyOf(c) == family; });
        const auto ink = std::count_if(colours.begin(), colours.end(),
                                       [&](QColor c) { return isLegendInk(c, family); });
        const QByteArray what = QByteArray::number(key.index);
        QVERIFY2(inFamily * 2 > colours.size(), what + " is not its family's colour");
        QVERIFY2(ink >= 4 * dpr * dpr, what + " shows no legend");
    }
}

void TestCalculatorFace::gapsAndDisplayPanelAreNotKeys()
{
    QFETCH(qreal, dpr);
    const QImage image = renderFace(dpr);
    // Between 0 and the decimal point, between the rows of 7 and 4, and
    // between 3 and the tall +.
    for (QPointF gap : {QPointF((700 + 180) / 15, (3500 + 840) / 15), QPointF(40.5, 216.5),
                        QPointF(141.5, 260.5)})
        QCOMPARE(familyOf(colourAt(image, gap)), Family::Other);

    // The liquid-crystal panel behind the display labels is a plain grey.
    for (qreal x : {16.5, 60.5, 100.5, 140.5, 184.5}) {
        for (qreal y : {68.5, 95.5, 122.5}) {
            const QColor c = colourAt(image, QPointF(x, y));
            const int spread =
                std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()});
            QVERIFY2(spread <= 24 && c.lightness() >= 100 && c.lightness() <= 200,
                     qPrintable(c.name() + QStringLiteral(" at %1,%2").arg(x).arg(y)));
        }
    }
}

// At twice the resolution a key's edge must be a hard step drawn at device
// resolution, not a blurred or enlarged copy of the single-resolution picture:
// outside the key is its dark socket, then the outline, two device pixels
// wide, a sliver of the key's side and then the key's own colour.
void TestCalculatorFace::rendersAtDeviceResolution()
{
    const QImage image = renderFace(2.0);
    for (int index : {0, int(Key::MemoryStore)}) {
        const QRect key = CalculatorFace::keyRectInPicture(keyTable()[size_t(index)].rect);
        const int y = key.center().y() * 2;
        const int x = key.left() * 2;
        const QColor socket = image.pixelColor(x - 1, y);
        const QColor outline = image.pixelColor(x, y);
        QCOMPARE_NE(familyOf(socket), Family::Light);
        QVERIFY(colourDistance(outline, image.pixelColor(x + 1, y)) <= 12);
        QVERIFY(colourDistance(outline, socket) >= 15);
        QCOMPARE(familyOf(image.pixelColor(x + 4, y)), Family::Light);
        // The socket is one and a half picture pixels wide: three device pixels.
        QVERIFY(colourDistance(socket, image.pixelColor(x - 3, y)) <= 12);
        QVERIFY(colourDistance(socket, image.pixelColor(x - 4, y)) >= 60);
    }
}

void TestCalculatorFace::iconIsALightBlueCalculator_data()
{
    QTest::addColumn<int>("size");
    for (int size : {16, 24, 48, 256})
        QTest::addRow("%d", size) << size;
}

void TestCalculatorFace::iconIsALightBlueCalculator()
{
    QFETCH(int, size);
    const QPixmap pixmap = windowIcon().pixmap(QSize(size, size));
    QVERIFY(!pixmap.isNull());
    QCOMPARE(pixmap.size(), QSize(size, size));

    const QImage image = pixmap.toImage();
    int opaque = 0, lightBlue = 0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() < 200)
                continue;
            ++opaque;
            if (c.blue() >= 180 && c.green() >= 140 && c.blue() - c.red() >= 40)
                ++lightBlue;
        }
    }
    QVERIFY(opaque * 3 > size * size);
    // Even at the smallest size, where the outline and the display take much
    // of the picture, at least two fifths of it are light blue.
    QVERIFY2(lightBlue * 5 > opaque * 2,
             qPrintable(QStringLiteral("%1 of %2").arg(lightBlue).arg(opaque)));
}

QTEST_MAIN(TestCalculatorFace)
#include "tst_calculatorface.moc"
