// Another program's drag, for the end-to-end tests: a small window that starts
// a drag of a file or of a text when a mouse button is pressed on it, and prints
// what the drop target did with it ("accepted" or "ignored") once it ends.
// Usage: dragsource file PATH | dragsource text TEXT

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {

class DragSource : public QWidget {
public:
    explicit DragSource(QMimeData* (*payload)(const QString&), QString argument)
        : m_payload(payload)
        , m_argument(std::move(argument))
    {
        setWindowTitle(QStringLiteral("dragsource"));
        setFixedSize(120, 80);
    }

protected:
    void mousePressEvent(QMouseEvent*) override
    {
        auto* drag = new QDrag(this);
        drag->setMimeData(m_payload(m_argument));
        const Qt::DropAction action =
            drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
        std::printf("%s\n", action == Qt::IgnoreAction ? "ignored" : "accepted");
        std::fflush(stdout);
    }

private:
    QMimeData* (*m_payload)(const QString&);
    QString m_argument;
};

QMimeData* fileData(const QString& path)
{
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(path)});
    return data;
}

QMimeData* textData(const QString& text)
{
    auto* data = new QMimeData;
    data->setText(text);
    return data;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QString kind = argc == 3 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (kind != u"file" && kind != u"text") {
        std::fprintf(stderr, "usage: dragsource file PATH | dragsource text TEXT\n");
        return 2;
    }
    DragSource source(kind == u"file" ? fileData : textData, QString::fromLocal8Bit(argv[2]));
    source.move(0, 0);
    source.show();
    return app.exec();
}
