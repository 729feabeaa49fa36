#include "randomuser.h"

#include "keys/keytable.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// splitmix64
std::uint64_t Rng::next()
{
    std::uint64_t z = (m_state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

int Rng::weighted(std::initializer_list<int> weights)
{
    int total = 0;
    for (int weight : weights)
        total += weight;
    int pick = below(total);
    int index = 0;
    for (int weight : weights) {
        if (pick < weight)
            return index;
        pick -= weight;
        ++index;
    }
    return index - 1;
}

namespace {

int randomKey(Rng& rng, int clearWeight)
{
    switch (rng.weighted({40, 5, 30, 8, 4, 8, clearWeight})) {
    case 0:
        return rng.below(10);
    case 1:
        return Key::DecimalPoint;
    case 2:
        return Key::Equals + rng.below(6);
    case 3:
        return Key::MemoryStore + rng.below(3);
    case 4:
        return Key::ClearAll;
    case 5:
        return Key::AddTax + rng.below(2);
    default:
        return Key::ClearEntryAndTape;
    }
}

char16_t randomCharacter(Rng& rng)
{
    static const char16_t operators[] = u"+-*/%";
    switch (rng.weighted({35, 8, 20, 8, 3, 6, 8, 12})) {
    case 0:
        return static_cast<char16_t>(u'0' + rng.below(10));
    case 1:
        return rng.percent(50) ? u'.' : u',';
    case 2:
        return operators[rng.below(5)];
    case 3:
        return u'\r';
    case 4:
        return rng.percent(50) ? u'C' : u'c';
    case 5:
        return u'\b';
    case 6:
        return u'S';
    default:
        return static_cast<char16_t>(rng.below(0x10000));
    }
}

void typeInto(QWidget* field, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

} // namespace

UserEvent randomEvent(Rng& rng, int clearWeight)
{
    UserEvent event;
    switch (rng.weighted({45, 52, 1})) {
    case 0: {
        event.key = randomKey(rng, clearWeight);
        const bool taxKey = event.key == Key::AddTax || event.key == Key::RemoveTax;
        static const int buttons[] = {1, 2, 4};
        event.button = buttons[rng.weighted({taxKey ? 65 : 85, taxKey ? 30 : 10, 5})];
        const bool doubleClick = event.key != Key::ClearEntryAndTape && rng.percent(8);
        event.kind = doubleClick ? UserEvent::Kind::DoubleClick : UserEvent::Kind::Click;
        break;
    }
    case 1:
        event.kind = UserEvent::Kind::Type;
        event.character = randomCharacter(rng);
        break;
    default:
        event.kind = UserEvent::Kind::PrintTape;
        break;
    }
    return event;
}

QString UserEvent::describe() const
{
    static const char* buttons[] = {"", "left", "right", "", "middle"};
    switch (kind) {
    case Kind::Click:
    case Kind::DoubleClick:
        return QStringLiteral("%1 key %2 (%3) %4")
            .arg(kind == Kind::Click ? u"click" : u"double-click")
            .arg(key)
            .arg(QString::fromUtf8(keyTable()[static_cast<size_t>(key)].legend),
                 QLatin1String(buttons[button]));
    case Kind::Type:
        return QStringLiteral("type U+%1").arg(int(character), 4, 16, QLatin1Char('0'));
    case Kind::PrintTape:
        return QStringLiteral("right-click the tape");
    }
    return {};
}

ModalAnswerer::ModalAnswerer(Rng& rng)
    : m_rng(rng)
    , m_timer(new QTimer(this))
{
    connect(m_timer, &QTimer::timeout, this, [this] {
        QWidget* box = QApplication::activeModalWidget();
        if (box && box->isVisible())
            answer(box);
    });
    m_timer->start(0);
}

ModalAnswers ModalAnswerer::take() { return std::exchange(m_answers, ModalAnswers()); }

void ModalAnswerer::answer(QWidget* box)
{
    if (qobject_cast<QInputDialog*>(box)) {
        answerTaxBox(box);
    } else if (qobject_cast<QMessageBox*>(box)) {
        answerMessageBox(box);
    } else {
        ++m_answers.others;
        m_answers.log.append(QStringLiteral("closed an unknown box ") + box->windowTitle());
        box->close();
    }
}

void ModalAnswerer::answerTaxBox(QWidget* box)
{
    auto* dialog = static_cast<QInputDialog*>(box);
    ++m_answers.taxBoxes;
    QLineEdit* field = dialog->findChild<QLineEdit*>();
    QDialogButtonBox* buttons = dialog->findChild<QDialogButtonBox*>();
    if (m_rng.percent(75)) {
        // Replaces the preset as a user does: select all, delete, type.
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Delete);
        typeInto(field, randomTaxText());
        m_answers.taxAnswer = dialog->textValue();
        m_answers.log.append(QStringLiteral("tax box: \"%1\" OK").arg(*m_answers.taxAnswer));
        if (m_rng.percent(50))
            QTest::keyClick(field, Qt::Key_Return);
        else
            QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
        return;
    }
    m_answers.taxAnswer.reset();
    m_answers.log.append(QStringLiteral("tax box: cancelled"));
    switch (m_rng.below(3)) {
    case 0:
        QTest::keyClick(field, Qt::Key_Escape);
        break;
    case 1:
        QTest::mouseClick(buttons->button(QDialogButtonBox::Cancel), Qt::LeftButton);
        break;
    default:
        dialog->close();
        break;
    }
}

void ModalAnswerer::answerMessageBox(QWidget* box)
{
    auto* message = static_cast<QMessageBox*>(box);
    if (message->button(QMessageBox::Yes)) {
        ++m_answers.printQuestions;
        const int choice = m_rng.below(4);
        m_answers.printAnswer = "YN\0\0"[choice];
        m_answers.log.append(QStringLiteral("print question: %1")
                                 .arg(QLatin1String(choice == 0   ? "Yes"
                                                    : choice == 1 ? "No"
                                                    : choice == 2 ? "Cancel"
                                                                  : "closed")));
        if (choice == 3)
            message->close();
        else
            QTest::mouseClick(message->button(choice == 0   ? QMessageBox::Yes
                                              : choice == 1 ? QMessageBox::No
                                                            : QMessageBox::Cancel),
                              Qt::LeftButton);
        return;
    }
    ++m_answers.creditsBoxes;
    m_answers.log.append(QStringLiteral("message box answered"));
    if (m_rng.percent(50))
        QTest::mouseClick(message->button(QMessageBox::Ok), Qt::LeftButton);
    else
        QTest::keyClick(message, m_rng.percent(50) ? Qt::Key_Return : Qt::Key_Escape);
}

// Answers of every kind: rates, rates out of range, numbers a double cannot
// hold, words, and characters from anywhere in the 16-bit range.
QString ModalAnswerer::randomTaxText()
{
    static const char* fixed[] = {"",     "0",   "-0",    "18",    "12.5",   "13.5",   "8,5",
                                  "-100", "100", "32767", "32768", "-32768", "-32769", "40000",
                                  "1e3",  "2E2", "1e",    "5e+1",  "1e400",  "-1e400", "1e-400",
                                  "nan",  "NaN", "inf",   "-inf",  " 1 8 ",  "+18",    "0x10",
                                  "18%",  "abc", "1.2.3", "-.5",   ".5e1",   "-1e-3"};
    switch (m_rng.weighted({40, 20, 10, 15, 15})) {
    case 0:
        return QString::fromLatin1(fixed[m_rng.below(std::size(fixed))]);
    case 1:
        return QString::number(m_rng.below(401) - 200);
    case 2: { // more digits than any double holds exactly
        QString digits = m_rng.percent(30) ? QStringLiteral("-") : QString();
        for (int i = m_rng.below(40) + 15; i > 0; --i)
            digits += QChar(u'0' + m_rng.below(10));
        return digits;
    }
    case 3: { // printable garbage
        static const QString pool =
            QStringLiteral("0123456789.,+-eE xX%abcnaifNI\u00E7\u011F\u0131\u015F");
        QString text;
        for (int i = m_rng.below(12); i > 0; --i)
            text += pool.at(m_rng.below(static_cast<int>(pool.size())));
        return text;
    }
    default: { // any 16-bit code
        QString text;
        for (int i = m_rng.below(8) + 1; i > 0; --i)
            text += QChar(static_cast<char16_t>(m_rng.below(0x10000)));
        return text;
    }
    }
}
