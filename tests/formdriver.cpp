#include "formdriver.h"

#include "keys/keytable.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>

FormDriver::FormDriver(std::unique_ptr<TestPlatform> platform)
    : m_platform(platform.get())
{
    m_form = std::make_unique<Form1>(std::move(platform));
    m_form->show();
    m_form->activateWindow();
    if (!QTest::qWaitForWindowActive(m_form.get()))
        qWarning("the calculator window did not become active");
}

QWidget* FormDriver::hotspot(int index) const
{
    return m_form->findChild<QWidget*>(QStringLiteral("Image1_%1").arg(index));
}

QLabel* FormDriver::label(const char* name) const
{
    return m_form->findChild<QLabel*>(QLatin1String(name));
}

EntryField* FormDriver::entryField() const
{
    return m_form->findChild<EntryField*>(QStringLiteral("Text1"));
}

TapeView* FormDriver::tape() const { return m_form->findChild<TapeView*>(QStringLiteral("List1")); }

void FormDriver::click(int index, Qt::MouseButton button)
{
    QWidget* key = hotspot(index);
    const QPoint centre = key->rect().center();
    QTest::mousePress(key, button, Qt::NoModifier, centre);
    QTest::mouseRelease(key, button, Qt::NoModifier, centre);
}

void FormDriver::clickKeys(const QString& keys)
{
    static const QString legends = QStringLiteral("0123456789.=+-*/%RmMAtTC");
    for (const QChar key : keys) {
        int index = static_cast<int>(legends.indexOf(key));
        if (key == u'T')
            index = Key::AddTax;
        else if (key == u't')
            index = Key::RemoveTax;
        QVERIFY2(index >= 0, qPrintable(QStringLiteral("no key for ") + key));
        click(index);
    }
}

void FormDriver::type(const QString& text)
{
    for (const QChar character : text) {
        QWidget* target = QApplication::focusWidget();
        QVERIFY2(target, "no widget has the keyboard focus");
        const int key = character == u'\r'   ? Qt::Key_Return
                        : character == u'\b' ? Qt::Key_Backspace
                                             : Qt::Key_unknown;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(character));
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(character));
        QApplication::sendEvent(target, &release);
    }
}

QStringList FormDriver::tapeLines() const { return tape()->lines(); }

std::unique_ptr<QTimer> FormDriver::answerNextModal(std::function<void(QWidget*)> answer)
{
    auto watch = std::make_unique<QTimer>();
    QTimer* poll = watch.get();
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer = std::move(answer)] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box || !box->isVisible())
            return;
        poll->stop();
        answer(box);
    });
    poll->start(10);
    return watch;
}

QStringList buttonTexts(const QWidget* box)
{
    QStringList texts;
    for (const QAbstractButton* button : box->findChildren<QAbstractButton*>())
        texts.append(button->text());
    texts.sort();
    return texts;
}

QString tapeLine(const QString& marker, const QString& amount, const QString& total)
{
    QString line = marker.leftJustified(22 - amount.size(), QLatin1Char(' ')) + amount;
    return line + total.rightJustified(27, QLatin1Char(' '));
}
