#pragma once

#include <QByteArray>
#include <QStringList>
#include <QTcpServer>

// A local stand-in for the maker's web host: the engine is sent to it with
// resolverRule(), it answers the advertisement page's address with the page
// it is given, and it keeps every request it gets. A page tells the test what
// it saw by asking for /report?WHAT, which is kept as WHAT.
class MakerHost : public QObject {
public:
    MakerHost();

    // The engine flag that sends every host name to this server.
    QByteArray resolverRule() const;

    // A page of the maker's: `script` runs once the body is there; every page
    // says when it is on screen (two frames drawn), and reports each click
    // that reaches it. The engine takes no input before a page has shown some
    // text.
    static QByteArray page(const QByteArray& body, const QByteArray& script = {});

    // What the advertisement page's address answers from now on.
    void setPage(const QByteArray& html) { m_page = html; }

    // Request lines seen ("GET /tarkal_reklam.htm"), and the reports among them.
    const QStringList& requests() const { return m_requests; }
    QStringList reports() const;
    int pageRequests() const;
    void clear() { m_requests.clear(); }

private:
    void serve(QTcpSocket* socket);
    QByteArray answer(const QString& path) const;

    QTcpServer m_server;
    QByteArray m_page;
    QStringList m_requests;
};
