// What screen readers find in the calculator window and what they are told:
// the keys as buttons, the tape and displays, the entry field, the window, the
// result and tape lines of each key press, and the print question.

#include "formdriver.h"

#include "keys/hotspot.h"
#include "keys/keytable.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QMessageBox>
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

namespace {

// A screen reader listening while it lives: the accessibility events raised,
// as a screen reader's bridge gets them, with the object, the event, and the
// object's name or the text that changed at that moment. The test platform has
// no bridge, so its stand-in is switched on as a bridge switches itself on.
class ScreenReaderEvents {
public:
    struct Event {
        QObject* object;
        QAccessible::Event type;
        QString text;
    };

    ScreenReaderEvents()
    {
        s_current = this;
        QAccessible::installUpdateHandler(&record);
        bridge()->setActive(true);
    }
    ~ScreenReaderEvents()
    {
        bridge()->setActive(false);
        QAccessible::installUpdateHandler(nullptr);
        s_current = nullptr;
    }

    QList<Event> of(const QObject* object) const
    {
        QList<Event> found;
        for (const Event& event : events)
            if (event.object == object)
                found.append(event);
        return found;
    }

    QList<Event> events;

private:
    static QPlatformAccessibility* bridge()
    {
        return QGuiApplicationPrivate::platformIntegration()->accessibility();
    }

    static void record(QAccessibleEvent* event)
    {
        QString text;
        if (event->type() == QAccessible::TextInserted)
            text = static_cast<QAccessibleTextInsertEvent*>(event)->textInserted();
        else if (event->type() == QAccessible::TextRemoved)
            text = static_cast<QAccessibleTextRemoveEvent*>(event)->textRemoved();
        else if (QAccessibleInterface* target = event->accessibleInterface())
            text = target->text(QAccessible::Name);
        s_current->events.append({event->object(), event->type(), text});
    }

    static inline ScreenReaderEvents* s_current = nullptr;
};

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void pressingThroughAccessibilityIsALeftClick()
    {
        FormDriver driver;
        for (int index : {1, 2, int(Key::Plus)})
            QAccessible::queryAccessibleInterface(driver.hotspot(index))
                ->actionInterface()
                ->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(driver.tapeLines().last(),
                 tapeLine(QStringLiteral("+"), QStringLiteral("12.00"), QStringLiteral("12.00")));
        for (int index = 0; index < KeyCount; ++index)
            QCOMPARE(qobject_cast<Hotspot*>(driver.hotspot(index))->isFlashed(),
                     index == 1 || index == 2 || index == Key::Plus);
    }

    void decimalKeyIsNamedByTheRegionalSeparator()
    {
        QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
        FormDriver driver;
        const QString name =
            QAccessible::queryAccessibleInterface(driver.hotspot(Key::DecimalPoint))
                ->text(QAccessible::Name);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(name, QStringLiteral(","));
    }

    void tapeAndDisplaysAreReadableByScreenReaders()
    {
        FormDriver driver;
        driver.clickKeys(QStringLiteral("42+7"));
        QAccessibleInterface* tape = QAccessible::queryAccessibleInterface(driver.tape());
        QVERIFY(tape);
        QCOMPARE(tape->childCount(), 2);
        QCOMPARE(tape->child(1)->text(QAccessible::Name), driver.tapeLines().at(1));
        QAccessibleInterface* result =
            QAccessible::queryAccessibleInterface(driver.label("Label1"));
        QCOMPARE(result->text(QAccessible::Name), QStringLiteral("42.00"));
        QAccessibleInterface* entry = QAccessible::queryAccessibleInterface(driver.label("Label4"));
        QCOMPARE(entry->text(QAccessible::Name), QStringLiteral("7.00"));

        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&driver.form());
        QCOMPARE(window->role(), QAccessible::Window);
        QCOMPARE(window->text(QAccessible::Name), QStringLiteral("www.serit.example"));
        QAccessibleInterface* field = QAccessible::queryAccessibleInterface(driver.entryField());
        QCOMPARE(field->role(), QAccessible::EditableText);
        QCOMPARE(field->text(QAccessible::Name), QStringLiteral("Giri\u015F"));
        QCOMPARE(field->text(QAccessible::Value), QStringLiteral("7"));
        QVERIFY(field->state().focused);
        QAccessibleTextInterface* text = field->textInterface();
        QVERIFY(text);
        QCOMPARE(text->text(0, text->characterCount()), QStringLiteral("7"));
        QCOMPARE(text->cursorPosition(), 1);
    }

    // What one key press tells a screen reader: its tape lines with their
    // blanks folded and then the result if it changed, together, on a
    // notification that is renamed and shown; the focus stays in the entry
    // field. A digit only changes the entry field's text. Keys pressed before
    // the last one has been told are not told at all.
    void keyPressesAreToldToScreenReaders_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("told"); // empty: nothing
        QTest::newRow("total") << "12+3"
                               << "="
                               << "+ 3.00 15.00, T 15.00 15.00, 15.00";
        QTest::newRow("+TAX, two lines") << "100+"
                                         << "T"
                                         << "+V 18.00 100.00, T 118.00 118.00, 118.00";
        QTest::newRow("result unchanged") << "5+0"
                                          << "+"
                                          << "+ .00 5.00";
        QTest::newRow("rule once, no blank lines") << "5+"
                                                   << "A"
                                                   << "_, .00";
        QTest::newRow("tape emptied") << "5+"
                                      << "C"
                                      << ".00";
        QTest::newRow("keys faster than speech: the latest wins") << "5+"
                                                                  << "3+4+"
                                                                  << "+ 4.00 12.00, 12.00";
        QTest::newRow("digit") << "12+"
                               << "3"
                               << "";
    }
    void keyPressesAreToldToScreenReaders()
    {
        QFETCH(QString, before);
        QFETCH(QString, key);
        QFETCH(QString, told);
        FormDriver driver;
        driver.clickKeys(before);
        ScreenReaderEvents reader;
        driver.clickKeys(key);
        QCoreApplication::processEvents(); // the key's utterance goes out after it

        const QObject* announcer = driver.form().findChild<QObject*>(QStringLiteral("Announcer"));
        QVERIFY(announcer);
        QList<QAccessible::Event> types;
        for (const ScreenReaderEvents::Event& event : reader.of(announcer))
            types.append(event.type);
        if (told.isEmpty()) {
            QCOMPARE(types, QList<QAccessible::Event>{});
            const QList<ScreenReaderEvents::Event> entry = reader.of(driver.entryField());
            QVERIFY(!entry.isEmpty());
            QCOMPARE(entry.first().type, QAccessible::TextInserted);
            QCOMPARE(entry.first().text, key);
        } else {
            QCOMPARE(types, (QList<QAccessible::Event>{QAccessible::NameChanged,
                                                       QAccessible::ObjectShow}));
            QCOMPARE(reader.of(announcer).last().text, told);
        }
        for (const ScreenReaderEvents::Event& event : reader.events)
            QVERIFY(event.type != QAccessible::Focus || event.object == driver.entryField());
        QCOMPARE(QApplication::focusWidget(), driver.entryField());
    }

    // The print question goes with the button that takes the focus, which a
    // screen reader always reads; its label is tied to that button, so that it
    // is not read a second time as the box's own text.
    void printQuestionIsReadWithItsFocusedButton()
    {
        FormDriver driver;
        ScreenReaderEvents reader;
        QString description;
        bool labelTied = false;
        bool focusTold = false;
        const auto watch = FormDriver::answerNextModal([&](QWidget* widget) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (QAbstractButton* yes = box ? box->button(QMessageBox::Yes) : nullptr) {
                focusTold = QTest::qWaitFor([&] {
                    const QList<ScreenReaderEvents::Event> told = reader.of(yes);
                    return !told.isEmpty() && told.last().type == QAccessible::Focus;
                });
                description =
                    QAccessible::queryAccessibleInterface(yes)->text(QAccessible::Description);
                for (QLabel* label : box->findChildren<QLabel*>())
                    for (const auto& related :
                         QAccessible::queryAccessibleInterface(label)->relations(
                             QAccessible::Labelled))
                        labelTied = labelTied || (label->text() == box->text() &&
                                                  related.first->object() == yes);
            }
            QTest::keyClick(widget, Qt::Key_Escape);
        });
        QWidget* viewport = driver.tape()->viewport();
        QTest::mouseClick(viewport, Qt::RightButton, Qt::NoModifier, viewport->rect().center());
        QVERIFY(focusTold);
        QCOMPARE(
            description,
            QStringLiteral("Yaziciya D\u00F6k\u00FCm. \n D\u00F6k\u00FCm toplamli olsun mu ?"));
        QVERIFY(labelTied);
        QVERIFY(driver.platform().printedJobs.isEmpty());
    }
};

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
