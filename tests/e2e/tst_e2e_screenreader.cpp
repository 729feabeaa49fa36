// The real program read by the real Orca screen reader, as a blind user works
// with it: each key's result and tape lines spoken after the key's echo, the
// print question read whole, and "where am I" naming the entry field.

#include "realprogram.h"
#include "screenreader.h"

#include "keys/keytable.h"

#include <QDeadlineTimer>
#include <QTest>
#include <QThread>

#include <cstdio>

namespace {

constexpr int SkipExitCode = 77;
constexpr int Deadline = 60000;

// What Orca says for what the calculator tells it without moving the focus:
// the new tape lines with their blanks folded, then the result.
QString notification(const QString& text) { return QStringLiteral("notification ") + text + u'.'; }

// Waits until a window named `name` is shown, and returns its id, or until
// none is, and returns "gone"; nothing when neither came.
QString waitForWindow(const QString& name, bool shown)
{
    const QDeadlineTimer deadline(Deadline);
    while (!deadline.hasExpired()) {
        const QString found = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                       QStringLiteral("--name"), name});
        if (found.isEmpty() != shown)
            return shown ? found.section(u'\n', 0, 0) : QStringLiteral("gone");
        QThread::msleep(50);
    }
    return {};
}

} // namespace

class EndToEndScreenReaderTest : public QObject {
    Q_OBJECT

public:
    explicit EndToEndScreenReaderTest(ScreenReader& reader)
        : m_reader(reader)
    {
    }

private slots:
    // Orca reads the window as a frame with its title, then the entry field,
    // which has the keyboard focus.
    void initTestCase()
    {
        QVERIFY2(m_program.start(QStringLiteral(SERIT_PROGRAM), m_reader.environment()),
                 qPrintable(m_program.output()));
        const qsizetype frame = m_reader.waitFor(0, QStringLiteral("www.serit.example frame."));
        QVERIFY2(frame >= 0, qPrintable(m_reader.spoken().join(u'|')));
        QVERIFY(m_reader.waitFor(frame, QStringLiteral("Giri\u015F text.")) > frame);
    }

    void totalIsSpokenAfterTheKeysEcho()
    {
        const qsizetype start = m_reader.spoken().size();
        m_program.typeText(QStringLiteral("12+"));
        const qsizetype first = m_reader.waitFor(start, notification("+ 12.00 12.00, 12.00"));
        QVERIFY2(first >= 0, qPrintable(m_reader.spoken().mid(start).join(u'|')));
        m_program.typeText(QStringLiteral("3"));
        const qsizetype digit = m_reader.waitFor(first, QStringLiteral("3 "));
        QVERIFY(digit > first);
        m_program.pressKey(QStringLiteral("Return"));
        const qsizetype echo = m_reader.waitFor(digit, QStringLiteral("return "));
        QVERIFY(echo > digit);
        const qsizetype total =
            m_reader.waitFor(first, notification("+ 3.00 15.00, T 15.00 15.00, 15.00"));
        QVERIFY2(total > echo, qPrintable(m_reader.spoken().mid(first).join(u'|')));
        // A digit is echoed as itself: the entry is not read with it.
        QCOMPARE(m_reader.spoken().mid(first + 1, echo - first - 1), QStringList{"3 "});
    }

    void bothTaxLinesAreSpokenInOrder()
    {
        const qsizetype start = m_reader.spoken().size();
        m_program.typeText(QStringLiteral("85+"));
        const qsizetype hundred = m_reader.waitFor(start, notification("+ 85.00 100.00, 100.00"));
        QVERIFY2(hundred >= 0, qPrintable(m_reader.spoken().mid(start).join(u'|')));
        m_program.click(Key::AddTax);
        const qsizetype tax =
            m_reader.waitFor(hundred, notification("+V 18.00 100.00, T 118.00 118.00, 118.00"));
        QVERIFY2(tax > hundred, qPrintable(m_reader.spoken().mid(hundred).join(u'|')));
    }

    // The question is read when it opens; Escape then cancels it, so that
    // nothing is printed.
    void printQuestionIsReadWhole()
    {
        const qsizetype start = m_reader.spoken().size();
        m_program.clickAt(QPoint(40, 40), 3);
        const QString box = waitForWindow(QStringLiteral("^D\u00F6k\u00FCm$"), true);
        QVERIFY2(!box.isEmpty(), "the print question did not open");
        const qsizetype question = m_reader.waitFor(
            start,
            QStringLiteral("Yaziciya D\u00F6k\u00FCm. \n D\u00F6k\u00FCm toplamli olsun mu ?"));
        const QStringList spoken = m_reader.spoken();

        if (xdotool({QStringLiteral("getwindowfocus")}) != box)
            xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), box});
        xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
        QVERIFY2(!waitForWindow(QStringLiteral("^D\u00F6k\u00FCm$"), false).isEmpty(),
                 "the print question did not close");
        // Without a window manager nobody gives the focus back to the window.
        xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), m_program.window()});
        const qsizetype back = m_reader.waitFor(start, QStringLiteral("Giri\u015F text."));

        QVERIFY2(question > start, qPrintable(spoken.mid(start).join(u'|')));
        // With the button that has the focus, which the screen reader reads
        // whichever way it learns of the box.
        QCOMPARE(spoken.at(question - 1), QStringLiteral("Evet push button."));
        QVERIFY(back > question);
    }

    // Orca's "where am I" (keypad Enter) tells what has the focus and what is in it.
    void whereAmINamesTheEntryField()
    {
        const qsizetype start = m_reader.spoken().size();
        m_program.typeText(QStringLiteral("7"));
        const qsizetype digit = m_reader.waitFor(start, QStringLiteral("7 "));
        QVERIFY(digit >= start);
        m_program.pressKey(QStringLiteral("KP_Enter"));
        const qsizetype name = m_reader.waitFor(digit, QStringLiteral("Giri\u015F text."));
        QVERIFY2(name > digit, qPrintable(m_reader.spoken().mid(digit).join(u'|')));
        QCOMPARE(m_reader.waitFor(name, QStringLiteral("7.")), name + 1);
    }

    // Orca handles what it is told in order; by now it has said all of it.
    void eachUtteranceOfTheProgramIsSpokenOnce()
    {
        const QStringList spoken = m_reader.spoken();
        for (const QString& said : spoken)
            if (said.startsWith(QStringLiteral("notification ")))
                QVERIFY2(spoken.count(said) == 1, qPrintable(said));
    }

    void cleanupTestCase()
    {
        qInfo().noquote() << "Orca said:" << m_reader.spoken().join(QStringLiteral(" | "));
    }

private:
    ScreenReader& m_reader;
    RealProgram m_program;
};

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    ScreenReader reader;
    const QString reason = reader.cannotRunReason();
    if (!reason.isEmpty()) {
        std::fprintf(stderr, "SKIP: %s\n", qPrintable(reason));
        return SkipExitCode;
    }
    const QString failure = reader.start();
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "FAIL: %s\n", qPrintable(failure));
        return 1;
    }
    EndToEndScreenReaderTest test(reader);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_e2e_screenreader.moc"
