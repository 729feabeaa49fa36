// The credits message that every hundredth capital "S" typed brings up.

#include "formdriver.h"

#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

namespace {

// What the boxes that opened showed; each is answered with OK, after trying
// to type into the calculator behind it.
struct CreditsBoxes {
    int shown = 0;
    QString title, text;
    QList<QMessageBox::StandardButton> buttons;
    QStringList buttonTexts;
    QMessageBox::Icon icon = QMessageBox::Warning;
    std::unique_ptr<QTimer> watch;

    void expectOne(FormDriver& driver)
    {
        watch = FormDriver::answerNextModal([this, &driver](QWidget* widget) {
            ++shown;
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (!box) {
                widget->close();
                return;
            }
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            for (QAbstractButton* button : box->buttons())
                buttons.append(box->standardButton(button));
            buttonTexts = ::buttonTexts(box);
            QTest::keyClick(driver.form().windowHandle(), '9');
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        });
    }
};

// As the window manager does when a modal box closes.
void reactivate(FormDriver& driver)
{
    driver.form().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&driver.form()));
}

QString capitalS(int count) { return QString(count, u'S'); }

} // namespace

class CreditsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void hundredthCapitalSShowsTheCredits()
    {
        FormDriver driver;
        driver.type(QStringLiteral("12"));
        CreditsBoxes boxes;
        boxes.expectOne(driver);
        driver.type(capitalS(99));
        QCOMPARE(boxes.shown, 0);
        driver.type(capitalS(1));
        QCOMPARE(boxes.shown, 1);
        reactivate(driver);
        QCOMPARE(boxes.text.split(QRegularExpression(QStringLiteral("\r?\n"))),
                 (QStringList{QStringLiteral("Tüm bana bugüne kadar yardim eden"),
                              QStringLiteral(" ve beni destekleyen herkese teskür."),
                              QStringLiteral("Orvel tarafindan yazilmistir.")}));
        QCOMPARE(boxes.buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
        QCOMPARE(boxes.icon, QMessageBox::NoIcon);
        QCOMPARE(boxes.buttonTexts, QStringList{QStringLiteral("Tamam")});
        QCOMPARE(boxes.title, QStringLiteral("\u015Eerit"));
        QCOMPARE(driver.entryField()->text(), QStringLiteral("12"));
        QCOMPARE(driver.display("Label4"), QStringLiteral("12.00"));
        QCOMPARE(driver.tapeLines().size(), 1);
        driver.type(QStringLiteral("3"));
        QCOMPARE(driver.entryField()->text(), QStringLiteral("123"));
    }

    void countStartsAgainAfterTheMessage()
    {
        FormDriver driver;
        CreditsBoxes boxes;
        boxes.expectOne(driver);
        driver.type(capitalS(100));
        QCOMPARE(boxes.shown, 1);
        reactivate(driver);
        boxes.expectOne(driver);
        driver.type(capitalS(99));
        QCOMPARE(boxes.shown, 1);
        driver.type(capitalS(1));
        QCOMPARE(boxes.shown, 2);
    }

    // Lower-case "s" does not count; nothing typed in between resets the count.
    void otherCharactersNeitherCountNorReset()
    {
        FormDriver driver;
        CreditsBoxes boxes;
        boxes.expectOne(driver);
        driver.type(capitalS(50) + QStringLiteral("1+2\rs") + capitalS(49) + QString(200, u's') +
                    QStringLiteral("7.5*Cx\b"));
        QCOMPARE(boxes.shown, 0);
        driver.type(capitalS(1));
        QCOMPARE(boxes.shown, 1);
    }
};

QTEST_MAIN(CreditsTest)
#include "tst_credits.moc"
