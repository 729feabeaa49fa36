#include "app/form1.h"

#include "app/advertisementstrip.h"
#include "app/announcer.h"
#include "app/face/calculatorface.h"
#include "app/face/displaylabel.h"
#include "app/face/fonts.h"
#include "app/face/windowicon.h"
#include "app/layout.h"
#include "app/twips.h"
#include "app/windowaccessibility.h"
#include "input/entryfield.h"
#include "keys/hotspot.h"
#include "resources/maker.h"
#include "tape/tapeview.h"

#include <QFrame>
#include <QLabel>
#include <QTimer>

namespace {

// Design rectangles in twips: Left, Top, Width, Height.
constexpr QRectF Text1Rect(120, 16000, 2370, 640);
constexpr QRectF Frame1Rect(0, 16000, 3000, 550);
constexpr QRectF Label3Rect(120, 120, 2475, 315);
constexpr QRectF WebBrowser1Rect(0, 0, 7125, 555);
constexpr QRectF Picture2Rect(240, 720, 375, 315);
constexpr QRectF Label2Rect(0, 0, 370, 315);
constexpr QRectF Label1Rect(112, 120, 2370, 255);
constexpr QRectF Label5Rect(0, 120, 2650, 255);
constexpr QRectF Label4Rect(112, 360, 2370, 675);

constexpr int EntryCapacity = 14;

const QColor FormGrey(128, 128, 128);
const QColor Teal(0, 192, 192);
const QColor PaleGreen(192, 255, 192);
const QColor PaleYellow(255, 255, 192);
const QColor Lavender(128, 128, 255);

void paint(QWidget* widget, const QColor& background, const QColor& text = QColor())
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, background);
    if (text.isValid())
        palette.setColor(QPalette::WindowText, text);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

template <typename Label = QLabel>
Label* label(const QString& name, QWidget* parent, const QRectF& twips, Qt::Alignment alignment,
             const QFont& font)
{
    auto* result = new Label(parent);
    result->setObjectName(name);
    result->setGeometry(Twips::toPixels(twips));
    result->setAlignment(alignment | Qt::AlignVCenter);
    result->setFont(font);
    result->setTextFormat(Qt::PlainText);
    return result;
}

} // namespace

Form1::Form1(std::unique_ptr<Platform> platform)
    : m_platform(platform ? std::move(platform) : std::make_unique<Platform>())
{
    // The toolkit keeps each factory once, however many windows install it.
    installWindowAccessibility();
    installEntryAccessibility();
    installAnnouncerAccessibility();
    installHotspotAccessibility();
    installTapeAccessibility();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(MakerAddress());
    setWindowIcon(::windowIcon());
    // A title bar with the menu, minimize and close, and no maximize: only the
    // program sizes the window, and it says so with a fixed size.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    paint(this, FormGrey);
    setFixedSize(Twips::toPixels(Layout::ClientArea).size());
    CreateControls();
    ConnectHandlers();
    m_platform->learnFrame(*this);
    m_windowLeft = Twips::fromPixels(x());
    m_windowTop = Twips::fromPixels(y());
    m_windowHeight = StartWindowHeight();
    Form_Load();
}

Form1::~Form1() = default;

// Created from the bottom of the stacking order up: a later control covers an
// earlier one where they overlap.
void Form1::CreateControls()
{
    CreateCalculatorBody();

    List1 = new TapeView(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setFont(tapeFont());
    List1->setToolTip(QStringLiteral("Sag click ile printer ciktisi."));
    ApplyStartLayout();

    WebBrowser1 = new AdvertisementStrip(
        [platform = m_platform.get()](QWidget* parent) { return platform->createWebView(parent); },
        this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    // The strip's web view has a native window of its own. Where the window
    // system does not cut such a window off at the window's edges, the strip
    // is only its part inside the window, so that the view is never larger.
    QRect strip = Twips::toPixels(WebBrowser1Rect);
    if (!m_platform->clipsChildWindows())
        strip &= rect();
    WebBrowser1->setGeometry(strip);

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(Twips::toPixels(Frame1Rect));
    paint(Frame1, Lavender);
    Label3 = label(QStringLiteral("Label3"), Frame1, Label3Rect, Qt::AlignHCenter,
                   displayFont(9.75, true));
    Label3->setText(MakerAddress());
    paint(Label3, Lavender, Qt::white);

    Text1 = new EntryField(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(Twips::toPixels(Text1Rect));
    Text1->setMaxLength(EntryCapacity);
    Text1->setFont(displayFont(13.5));
    paint(Text1, Teal, Qt::black);
    setFocusProxy(Text1);
    Text1->setFocus();

    m_announcer = new Announcer(this);

    Timer1 = new QTimer(Picture1);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    Timer2 = new QTimer(Picture1);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(60000);

    m_startGeometryTimer = new QTimer(this);
    m_startGeometryTimer->setSingleShot(true);
}

void Form1::CreateCalculatorBody()
{
    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(Twips::toPixels(Layout::Picture1AtStart));
    Picture1->setAutoFillBackground(true);

    Image3 = new CalculatorFace(Picture1);
    Image3->setObjectName(QStringLiteral("Image3"));
    Image3->setGeometry(Twips::toPixels(CalculatorFace::GeometryTwips));

    for (const KeySpec& key : keyTable()) {
        auto* hotspot = new Hotspot(key.index, Picture1);
        hotspot->setGeometry(Twips::toPixels(key.rect));
        Image1[static_cast<size_t>(key.index)] = hotspot;
    }

    Label4 = label<DisplayLabel>(QStringLiteral("Label4"), Picture1, Label4Rect, Qt::AlignRight,
                                 displayFont(13.5));
    paint(Label4, Teal, Qt::black);
    Label5 = label(QStringLiteral("Label5"), Picture1, Label5Rect, Qt::AlignLeft, tapeFont());
    Label5->setText(QStringLiteral("T"));
    paint(Label5, PaleYellow);
    Label1 = label<DisplayLabel>(QStringLiteral("Label1"), Picture1, Label1Rect, Qt::AlignRight,
                                 tapeFont());
    paint(Label1, PaleYellow);

    Picture2 = new QWidget(Picture1);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture2->setGeometry(Twips::toPixels(Picture2Rect));
    paint(Picture2, PaleGreen);
    Label2 =
        label(QStringLiteral("Label2"), Picture2, Label2Rect, Qt::AlignHCenter, displayFont(13.5));
    paint(Label2, Teal);
}

void Form1::ConnectHandlers()
{
    for (Hotspot* hotspot : Image1) {
        const int index = hotspot->index();
        connect(hotspot, &Hotspot::released, this,
                [this, index](int button) { PressKey(index, button); });
        connect(hotspot, &Hotspot::doubleClicked, this, [this, index] { Image1_DblClick(index); });
    }
    Text1->setKeyPressHandler([this](int& keyAscii) { Text1_KeyPress(keyAscii); });
    connect(Text1, &EntryField::textChanged, this, &Form1::Text1_Change);
    connect(List1, &TapeView::released, this, &Form1::List1_MouseUp);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);
    connect(m_startGeometryTimer, &QTimer::timeout, this, &Form1::RestoreStartGeometry);
    Timer1->start();
    Timer2->start();
}

Form1::Geometry Form1::geometryTwips() const
{
    return {WindowLeft(), WindowTop(),   WindowWidth(), WindowHeight(),
            List1Top(),   List1Height(), Picture1Top()};
}
