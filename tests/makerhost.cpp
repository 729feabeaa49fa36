#include "makerhost.h"

#include <QTcpSocket>

namespace {

const QString PagePath = QStringLiteral("/tarkal_reklam.htm");
const QString ReportPath = QStringLiteral("/report?");

QByteArray response(const QByteArray& status, const QByteArray& headers, const QByteArray& body)
{
    return "HTTP/1.1 " + status + "\r\n" + headers +
           "Content-Length: " + QByteArray::number(body.size()) +
           "\r\nCache-Control: no-store\r\n" + "Connection: close\r\n\r\n" + body;
}

} // namespace

MakerHost::MakerHost()
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    m_server.listen(QHostAddress::LocalHost);
}

QByteArray MakerHost::resolverRule() const
{
    return "--host-resolver-rules=\"MAP * 127.0.0.1:" + QByteArray::number(m_server.serverPort()) +
           '"';
}

QByteArray MakerHost::page(const QByteArray& body, const QByteArray& script)
{
    return "<!doctype html><html><body style=\"margin:0;background:#fc0\">" + body + "Reklam" +
           "<script>function report(what) { fetch('/report?' + what); }\n"
           "addEventListener('click', () => report('clicked'), true);\n" +
           script +
           "\nrequestAnimationFrame(() => requestAnimationFrame(() => report('ready')));"
           "</script></body></html>";
}

QStringList MakerHost::reports() const
{
    QStringList reports;
    for (const QString& request : m_requests)
        if (request.startsWith(QStringLiteral("GET ") + ReportPath))
            reports.append(request.mid(4 + ReportPath.size()));
    return reports;
}

int MakerHost::pageRequests() const
{
    return static_cast<int>(m_requests.count(QStringLiteral("GET ") + PagePath));
}

// One request per connection; a request's body, if any, is not read.
void MakerHost::serve(QTcpSocket* socket)
{
    if (!socket->canReadLine())
        return;
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    const QList<QByteArray> words = socket->readLine().trimmed().split(' ');
    if (words.size() < 2)
        return socket->disconnectFromHost();
    const QString path = QString::fromLatin1(words[1]);
    m_requests.append(QString::fromLatin1(words[0]) + u' ' + path);
    socket->write(answer(path));
    socket->disconnectFromHost();
}

QByteArray MakerHost::answer(const QString& path) const
{
    if (path == PagePath)
        return response("200 OK", "Content-Type: text/html; charset=utf-8\r\n", m_page);
    if (path.startsWith(ReportPath))
        return response("200 OK", "Content-Type: text/plain\r\n", "ok");
    // A page that asks for a name and a password.
    if (path == u"/private")
        return response("401 Unauthorized", "WWW-Authenticate: Basic realm=\"maker\"\r\n", {});
    return response("404 Not Found", {}, {});
}
