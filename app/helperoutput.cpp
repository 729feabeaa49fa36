#include "app/helperoutput.h"

#include "app/routinenotes.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QString>

#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace {

void writeAll(int descriptor, const QByteArray& bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t written =
            ::write(descriptor, bytes.constData() + done, size_t(bytes.size() - done));
        if (written <= 0)
            return;
        done += written;
    }
}

// Reads the helpers' pipe whenever it has something, and passes on each whole
// line that is not kept back; the pipe ends when the last helper does.
class HelperOutput : public QObject {
public:
    HelperOutput(int readEnd, QObject* parent)
        : QObject(parent)
        , m_readEnd(readEnd)
        , m_notifier(new QSocketNotifier(readEnd, QSocketNotifier::Read, this))
    {
        connect(m_notifier, &QSocketNotifier::activated, this, &HelperOutput::read);
    }

    ~HelperOutput() override { ::close(m_readEnd); }

private:
    void read()
    {
        char buffer[4096];
        const ssize_t size = ::read(m_readEnd, buffer, sizeof buffer);
        if (size <= 0) {
            m_notifier->setEnabled(false);
            passOn(std::exchange(m_pending, {}));
            return;
        }
        m_pending.append(buffer, size);
        for (qsizetype end; (end = m_pending.indexOf('\n')) >= 0;) {
            passOn(m_pending.left(end + 1));
            m_pending.remove(0, end + 1);
        }
    }

    static void passOn(const QByteArray& line)
    {
        if (!line.isEmpty() && !isKeptBack(QString::fromLocal8Bit(line.trimmed())))
            writeAll(STDERR_FILENO, line);
    }

    int m_readEnd;
    QSocketNotifier* m_notifier;
    QByteArray m_pending;
};

} // namespace

// The zygotes start with the engine, within `start`, and keep the standard
// error they found then; processes the engine starts later get the program's own.
QWidget* startEngineWithHelperOutputPassedOn(const std::function<QWidget*()>& start)
{
    static bool started = false;
    if (std::exchange(started, true))
        return start();
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return start();
    const int standardError = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    if (standardError < 0 || dup2(ends[1], STDERR_FILENO) < 0) {
        for (const int descriptor : {ends[0], ends[1], standardError})
            if (descriptor >= 0)
                ::close(descriptor);
        return start();
    }
    ::close(ends[1]);
    new HelperOutput(ends[0], QCoreApplication::instance());
    QWidget* view = start();
    std::fflush(stderr);
    dup2(standardError, STDERR_FILENO);
    ::close(standardError);
    return view;
}
