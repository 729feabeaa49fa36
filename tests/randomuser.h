#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <cstdint>
#include <initializer_list>
#include <optional>

class QTimer;
class QWidget;

// A small generator whose sequence depends on the seed alone, on every
// compiler and library, so that a failing run can be replayed anywhere.
class Rng {
public:
    explicit Rng(std::uint64_t seed)
        : m_state(seed)
    {
    }

    std::uint64_t next();
    int below(int bound) { return static_cast<int>(next() % static_cast<std::uint64_t>(bound)); }
    bool percent(int chance) { return below(100) < chance; }
    // An index into `weights`, chosen with the given relative weights.
    int weighted(std::initializer_list<int> weights);

private:
    std::uint64_t m_state;
};

// One thing the user does to the window.
struct UserEvent {
    enum class Kind { Click, DoubleClick, Type, PrintTape };
    Kind kind = Kind::Type;
    int key = -1;           // Click, DoubleClick
    int button = 1;         // Click, DoubleClick: 1 left, 2 right, 4 middle
    char16_t character = 0; // Type

    QString describe() const;
};

// A random event, weighted towards what a user does most: digits, operators
// and Enter, typed or clicked. `clearWeight` sets how often C·CE is clicked
// (0: never), and so how long the tape grows. Key 23 is never double-clicked.
UserEvent randomEvent(Rng& rng, int clearWeight);

// What the user did with the modal boxes during one event.
struct ModalAnswers {
    int taxBoxes = 0, creditsBoxes = 0, printQuestions = 0, others = 0;
    // The tax-rate box's text when it was accepted; none when it was cancelled.
    std::optional<QString> taxAnswer;
    // The answer to the print question: 'Y', 'N', or 0 for Cancel or closing.
    char printAnswer = 0;
    QStringList log;
};

// Answers whatever modal box opens, at once and at random: the tax-rate box
// with typed text of every kind or Cancel, the credits message with OK, the
// print question with Yes, No or Cancel. A timer of its own looks for the box
// in the box's event loop.
class ModalAnswerer : public QObject {
public:
    explicit ModalAnswerer(Rng& rng);

    // What was answered since the last call.
    ModalAnswers take();

private:
    void answer(QWidget* box);
    void answerTaxBox(QWidget* box);
    void answerMessageBox(QWidget* box);
    QString randomTaxText();

    Rng& m_rng;
    QTimer* m_timer;
    ModalAnswers m_answers;
};
