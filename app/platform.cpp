#include "app/platform.h"

#include "app/environment.h"

#include <QApplication>
#include <QDir>
#include <QInputDialog>
#include <QLibrary>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>

namespace {

// The web engine and printing are far heavier than the calculator; they live in
// modules beside the program and are loaded when they are first needed.
QDir moduleDirectory()
{
    return QDir(QDir(QCoreApplication::applicationDirPath())
                    .filePath(QStringLiteral(SERIT_MODULE_FROM_BIN)));
}

QFunctionPointer moduleFunction(const QString& module, const char* function)
{
    return QLibrary::resolve(moduleDirectory().filePath(module), function);
}

} // namespace

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

int Platform::printPages(const QList<QStringList>& pages)
{
    using PrintPages = int (*)(const QList<QStringList>&);
    static const auto print = reinterpret_cast<PrintPages>(
        moduleFunction(QStringLiteral("serit_printer"), "serit_print_pages"));
    return print ? print(pages) : 0;
}

QWidget* Platform::createWebView(QWidget* parent)
{
    using CreateView = QWidget* (*)(QWidget*);
    static const auto create = []() -> CreateView {
        // Without the module there is no engine to make the OpenGL context for.
        if (!moduleDirectory().exists(QStringLiteral("serit_webview.so")))
            return nullptr;
        shareOpenGLContextsForWebEngine();
        return reinterpret_cast<CreateView>(
            moduleFunction(QStringLiteral("serit_webview"), "serit_create_advertisement_view"));
    }();
    return create ? create(parent) : nullptr;
}
