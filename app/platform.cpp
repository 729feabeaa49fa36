#include "app/platform.h"

#include "app/environment.h"

#include <QApplication>
#include <QDir>
#include <QInputDialog>
#include <QLibrary>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>

Platform::~Platform() = default;

QSize Platform::screenSize() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

QMargins Platform::frameMargins(const QWidget& window) const
{
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    return QMargins(client.left() - frame.left(), client.top() - frame.top(),
                    frame.right() - client.right(), frame.bottom() - client.bottom());
}

Platform::Answer Platform::ask(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

void Platform::tell(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, parent);
    box.exec();
}

std::optional<QString> Platform::askText(QWidget* parent, const QString& title,
                                         const QString& prompt, const QString& preset)
{
    QInputDialog box(parent);
    box.setInputMode(QInputDialog::TextInput);
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setTextValue(preset);
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return box.textValue();
}

QWidget* Platform::createWebView(QWidget* parent)
{
    using CreateView = QWidget* (*)(QWidget*);
    static CreateView create = []() -> CreateView {
        const QDir dir(QDir(QCoreApplication::applicationDirPath())
                           .filePath(QStringLiteral(SERIT_MODULE_FROM_BIN)));
        // Without the module there is no engine to make the OpenGL context for.
        if (!dir.exists(QStringLiteral("serit_webview.so")))
            return nullptr;
        shareOpenGLContextsForWebEngine();
        QLibrary module(dir.filePath(QStringLiteral("serit_webview")));
        return reinterpret_cast<CreateView>(module.resolve("serit_create_advertisement_view"));
    }();
    return create ? create(parent) : nullptr;
}
