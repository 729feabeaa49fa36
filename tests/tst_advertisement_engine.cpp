// The advertisement strip with the real web engine: loaded after the window is
// painted, sent to the maker's page, and never opening a window of its own.

#include "app/advertisementstrip.h"
#include "app/environment.h"
#include "app/form1.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <QVariant>

namespace {

class SmallScreen : public Platform {
public:
    QSize screenSize() const override { return {1024, 768}; }
};

QList<QWidget*> shownWindows()
{
    QList<QWidget*> shown;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->windowType() != Qt::ToolTip)
            shown.append(widget);
    return shown;
}

} // namespace

class AdvertisementEngineTest : public QObject {
    Q_OBJECT

private slots:
    void stripLoadsTheMakersPageAfterThePaint()
    {
        Form1 form(std::make_unique<SmallScreen>());
        auto* strip = form.findChild<AdvertisementStrip*>(QStringLiteral("WebBrowser1"));
        QVERIFY(!strip->view());
        form.show();
        QTRY_VERIFY_WITH_TIMEOUT(strip->view(), 30000);
        QCOMPARE(strip->view()->property("url").toUrl(),
                 QUrl(QStringLiteral("http://www.serit.example/tarkal_reklam.htm")));
        // The strip never keeps the keyboard, even where showing its window activates it.
        QTRY_VERIFY(form.findChild<QWidget*>(QStringLiteral("Text1"))->hasFocus() ||
                    !form.isActiveWindow());
    }

    void pageCannotOpenWindows()
    {
        Form1 form(std::make_unique<SmallScreen>());
        form.show();
        auto* strip = form.findChild<AdvertisementStrip*>(QStringLiteral("WebBrowser1"));
        QTRY_VERIFY_WITH_TIMEOUT(strip->view(), 30000);
        const QList<QWidget*> before = shownWindows();
        strip->navigate(QStringLiteral("data:text/html,<script>window.open('about:blank','_blank');"
                                       "window.open('data:text/html,popup')</script>"));
        QTRY_COMPARE_WITH_TIMEOUT(strip->view()->property("url").toUrl().scheme(),
                                  QStringLiteral("data"), 30000);
        QTest::qWait(1500); // give the page's script its chance to open something
        QCOMPARE(shownWindows(), before);
    }
};

int main(int argc, char* argv[])
{
    prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    AdvertisementEngineTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_advertisement_engine.moc"
