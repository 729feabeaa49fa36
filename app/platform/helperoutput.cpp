#include "app/platform/helperoutput.h"

#include "app/platform/routinenotes.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QString>

#include <cerrno>
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

    // Passes on whatever the pipe holds now, and stops at its end.
    void read()
    {
        char buffer[4096];
        ssize_t size;
        while ((size = ::read(m_readEnd, buffer, sizeof buffer)) > 0) {
            m_pending.append(buffer, size);
            for (qsizetype end; (end = m_pending.indexOf('\n')) >= 0;) {
                passOn(m_pending.left(end + 1));
                m_pending.remove(0, end + 1);
            }
        }
        if (size < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        m_notifier->setEnabled(false);
        passOn(std::exchange(m_pending, {}));
    }

private:
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
    // Neither end ever blocks: the program reads the pipe from its event loop,
    // and while the engine starts the program's own output goes there too, so a
    // full pipe must lose a line rather than stop the program.
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return start();
    fcntl(ends[1], F_SETPIPE_SZ, 1 << 20);
    const int standardError = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    if (standardError < 0 || dup2(ends[1], STDERR_FILENO) < 0) {
        for (const int descriptor : {ends[0], ends[1], standardError})
            if (descriptor >= 0)
                ::close(descriptor);
        return start();
    }
    ::close(ends[1]);
    auto* output = new HelperOutput(ends[0], QCoreApplication::instance());
    QWidget* view = start();
    std::fflush(stderr);
    dup2(standardError, STDERR_FILENO);
    ::close(standardError);
    // What the program itself wrote meanwhile goes out before what it writes next.
    output->read();
    return view;
}
