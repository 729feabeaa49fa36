#pragma once

#include "app/form1.h"
#include "testplatform.h"

#include "input/entryfield.h"
#include <QLabel>

#include "tape/tapeview.h"
#include <QLineEdit>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

// Drives a real calculator window as a user does: mouse clicks on the key
// hotspots, characters typed into the entry field, and what the user sees.
class FormDriver {
public:
    explicit FormDriver(std::unique_ptr<TestPlatform> platform = std::make_unique<TestPlatform>());

    Form1& form() { return *m_form; }
    TestPlatform& platform() { return *m_platform; }
    const CalculatorState& state() const { return m_form->state(); }

    QWidget* hotspot(int index) const;
    QLabel* label(const char* name) const;
    EntryField* entryField() const;
    TapeView* tape() const;

    // Left, right or middle click on a key, with real press and release events.
    void click(int index, Qt::MouseButton button = Qt::LeftButton);
    // Clicks keys given as their legends, e.g. "200+10%", "C" for C·CE,
    // "A" for CA, "T"/"t" for +TAX/−TAX, "R", "m", "M" for R·CM, M−, M+.
    void clickKeys(const QString& keys);
    // Types characters into the window, as the keyboard would.
    void type(const QString& text);

    QStringList tapeLines() const;
    QString display(const char* name) const { return label(name)->text(); }

    // Answers the next modal box that opens with `answer`, which gets the box,
    // for as long as the returned watch lives: a box that never opens leaves
    // nothing behind to call `answer` later.
    [[nodiscard]] static std::unique_ptr<QTimer>
    answerNextModal(std::function<void(QWidget*)> answer);

private:
    std::unique_ptr<Form1> m_form;
    TestPlatform* m_platform;
};

// The texts of a box's buttons, in alphabetical order.
QStringList buttonTexts(const QWidget* box);

// A tape line as the calculator writes it: the marker, the amount ending at
// column 22, and the running total ending at column 49.
QString tapeLine(const QString& marker, const QString& amount, const QString& total);
