#pragma once

#include "app/platform/platform.h"
#include "core/calculatorstate.h"
#include "keys/keytable.h"

#include <QWidget>

#include <array>
#include <memory>

class AdvertisementStrip;
class Announcer;
class CalculatorFace;
class DisplayLabel;
class EntryField;
class Hotspot;
class QFrame;
class QLabel;
class QTimer;
class TapeView;

// The calculator window. It owns the calculator state and every control; its
// member functions live in the folder of their subsystem:
//   app/    layout, start-up, the advertisement strip, focus
//   core/   evaluation of the pending operator and the result displays
//   keys/   PressKey and the key actions
//   input/  keyboard, entry echo, credits message
//   tape/   tape lines, window growth, printing
class Form1 : public QWidget {
    Q_OBJECT

public:
    // Without a platform the window uses the real desktop.
    explicit Form1(std::unique_ptr<Platform> platform = nullptr);
    ~Form1() override;

    const CalculatorState& state() const { return m_state; }

    // ---- keys/presskey.cpp: the one road of every key press ----
    // button: 1 left, 2 right; any other value only moves the focus.
    void PressKey(int index, int button);

    // Outer window geometry and the moving controls, in twips.
    struct Geometry {
        double windowLeft, windowTop, windowWidth, windowHeight;
        double list1Top, list1Height, picture1Top;
    };
    Geometry geometryTwips() const;

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // ---- app/form1.cpp: the controls and their layout ----
    void CreateControls();
    void CreateCalculatorBody();
    void ConnectHandlers();

    // ---- app/startup.cpp ----
    void Form_Load();

    // ---- app/advertisement.cpp ----
    void NavigateAdvertisement();
    void Timer2_Timer();

    // ---- app/windowplacement.cpp: twips geometry of the window ----
    double ScreenWidth() const;
    double ScreenHeight() const;
    double WindowLeft() const;
    double WindowTop() const;
    double WindowWidth() const;
    double WindowHeight() const;
    void SetWindowLeft(double twips);
    void SetWindowTop(double twips);
    void SetWindowHeight(double twips);
    void FixReportedHeight(int height);
    QPoint OuterCorner() const;
    void MoveOuterCorner(const QPoint& to);
    double FrameHeight() const;
    double StartWindowHeight() const;
    void PlaceWindowAboveScreenBottom();
    void PlaceAtStart();
    void PlaceByKnownFrame();
    void ApplyStartLayout();
    void RestoreStartGeometrySoon();
    void RestoreStartGeometry();
    void DeclineMaximizing();
    double List1Top() const;
    double List1Height() const;
    double Picture1Top() const;
    void SetList1Top(double twips);
    void SetList1Height(double twips);
    void SetPicture1Top(double twips);

    // ---- core/evaluation.cpp ----
    void ApplyPendingOperator();
    double Entry() const;

    // ---- core/resultdisplay.cpp ----
    void ShowTotal();
    void PostEntry();
    void ShowOverflow();
    void AppendSeparator();
    QString StartKeyAnnouncement();
    void FinishKeyAnnouncement(const QString& resultBefore);

    // ---- keys/presskey.cpp ----
    void RunLeftButtonAction(int index);
    void FlashKey(int index);
    void StartFlashTimer();
    void FlashKeyUntilTick(int index);
    void Timer1_Timer();
    void Image1_DblClick(int index);

    // ---- keys/operatorkeys.cpp ----
    void OperatorKey(const QString& op);
    void EqualsKey();
    void WriteTotalLine();
    void WritePositiveTotal();

    // ---- keys/memorykeys.cpp ----
    void MemoryStoreKey();
    void MemoryClear();
    void MemoryAddKey();
    void MemorySubtractKey();
    void ApplyMemory(const QString& marker, double signedMemory);

    // ---- keys/taxkeys.cpp ----
    void AddTaxKey();
    void RemoveTaxKey();
    void AskTaxRate();
    void ApplyTax(const QString& marker, double newTotal);

    // ---- keys/entrykeys.cpp ----
    void DigitKey(int digit);
    void DecimalPointKey();
    void ClearAllKey();
    void ClearEntryAndTapeKey();

    // ---- input/keyboard.cpp ----
    void Text1_KeyPress(int& keyAscii);

    // ---- input/entryecho.cpp ----
    void Text1_Change();
    void ClearEntry();
    void RefreshEntryDisplay();
    void FocusEntryField();

    // ---- input/credits.cpp ----
    void CountCreditsKey();

    // ---- tape/tapelines.cpp ----
    void AddTapeLine(const QString& entryColumn);
    void AppendTapeText(const QString& line);
    void SelectLastTapeLine();

    // ---- tape/windowgrowth.cpp ----
    void FitWindowToTape();

    // ---- tape/printing.cpp ----
    void List1_MouseUp(int button);

    std::unique_ptr<Platform> m_platform;
    CalculatorState m_state;

    // The window's and the moving controls' geometry in twips, as last set by
    // the program; pixels are derived from it, so growth steps of 208 twips do
    // not gather rounding errors.
    double m_windowLeft = 0, m_windowTop = 0, m_windowHeight = 0;
    double m_list1Top = 0, m_list1Height = 0, m_picture1Top = 0;

    QMargins m_placedWithFrame; // the frame the window was placed with at start
    int m_heightToFix = -1;     // the client height asked of the window system last
    QTimer* m_startGeometryTimer = nullptr;

    int AdRefreshTicks = 0;
    bool m_painted = false;

    // Controls, named as the program has always named them.
    EntryField* Text1 = nullptr;
    QFrame* Frame1 = nullptr;
    QLabel* Label3 = nullptr;
    AdvertisementStrip* WebBrowser1 = nullptr;
    TapeView* List1 = nullptr;
    QWidget* Picture1 = nullptr;
    QTimer* Timer2 = nullptr;
    QTimer* Timer1 = nullptr;
    QWidget* Picture2 = nullptr;
    QLabel* Label2 = nullptr;
    DisplayLabel* Label1 = nullptr;
    QLabel* Label5 = nullptr;
    DisplayLabel* Label4 = nullptr;
    std::array<Hotspot*, KeyCount> Image1{};
    CalculatorFace* Image3 = nullptr;
    // Speaks results and tape lines to a screen reader; never seen.
    Announcer* m_announcer = nullptr;
};
