#include "app/platform/platform.h"

#include "app/platform/environment.h"
#include "app/platform/helperoutput.h"
#include "app/platform/x11window.h"
#include "resources/maker.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QInputDialog>
#include <QLabel>
#include <QLibrary>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>
#include <QWindow>

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

bool onX11() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

bool onWayland() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

// The texts of the toolkit's own Turkish translation, set on the buttons
// themselves so that they need no translation files.
void speakTurkish(QMessageBox& box)
{
    const auto name = [&box](QMessageBox::StandardButton which, const QString& text) {
        if (QAbstractButton* button = box.button(which))
            button->setText(text);
    };
    name(QMessageBox::Yes, QStringLiteral("&Evet"));
    name(QMessageBox::No, QStringLiteral("&Hay\u0131r"));
    name(QMessageBox::Cancel, QStringLiteral("\u0130ptal"));
    name(QMessageBox::Ok, QStringLiteral("Tamam"));
}

// A screen reader presents a box by the button that takes the focus, and reads
// the box's text only when it sees the box become active before that, which is
// a race it often loses. So the text goes with the button as its description,
// and the label that shows it is tied to the button, so that it is not read a
// second time as the box's own text.
void readWithButton(QMessageBox& box, QAbstractButton* button)
{
    if (!button)
        return;
    button->setAccessibleDescription(box.text());
    for (QLabel* label : box.findChildren<QLabel*>())
        if (label->text() == box.text())
            label->setBuddy(button);
}

// How long the window waits, before it first shows, for the window manager to
// tell the frame it will get; a window manager that takes longer is not asked.
constexpr std::chrono::milliseconds FramePatience{250};

} // namespace

Platform::~Platform() = default;

QSize Platform::screenSize() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

QMargins Platform::frameMargins(const QWidget& window) const
{
    const QWindow* handle = window.windowHandle();
    if (!handle || !handle->isVisible())
        return m_learnedFrame;
    // The toolkit learns a new frame only as the window is moved or resized.
    if (const auto told = onX11() ? x11FrameExtents(*handle) : std::nullopt; told)
        return *told;
    return handle->frameMargins().isNull() ? m_learnedFrame : handle->frameMargins();
}

// The window manager is asked about a stand-in with the window's flags, title
// and size limits, on which the frame depends.
void Platform::learnFrame(const QWidget& window)
{
    if (!onX11() || !x11FrameExtentsCanBeAsked())
        return;
    QWindow standIn;
    standIn.setFlags(window.windowFlags());
    standIn.setTitle(window.windowTitle());
    standIn.setMinimumSize(window.minimumSize());
    standIn.setMaximumSize(window.maximumSize());
    standIn.resize(window.size());
    standIn.create();
    forbidX11Resizing(standIn);
    if (const auto frame = askX11FrameExtents(standIn, FramePatience))
        m_learnedFrame = *frame;
}

void Platform::fixWindowSize(QWidget& window)
{
    if (onX11())
        forbidX11Resizing(*window.windowHandle());
}

bool Platform::placesWindows() const { return !onWayland(); }

bool Platform::clipsChildWindows() const { return !onWayland(); }

Platform::Answer Platform::ask(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    speakTurkish(box);
    readWithButton(box, box.button(QMessageBox::Yes));
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
    QMessageBox box(QMessageBox::NoIcon, ProgramName(), text, QMessageBox::Ok, parent);
    speakTurkish(box);
    readWithButton(box, box.button(QMessageBox::Ok));
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
    box.setOkButtonText(QStringLiteral("Tamam"));
    box.setCancelButtonText(QStringLiteral("\u0130ptal"));
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
    return create ? startEngineWithHelperOutputPassedOn([parent] { return create(parent); })
                  : nullptr;
}
