#pragma once

#include <QStringList>
#include <QWidget>

class QTimer;

// Tells a screen reader what changed without taking the keyboard focus: a
// notification that is never seen, renamed and shown again for each utterance.
// What is said while one event is handled becomes one utterance, its texts in
// the order they were said, so that none of them is cut off by the next; a
// screen reader then speaks the latest utterance of a burst and skips the
// older ones. Without a screen reader it does nothing.
class Announcer : public QWidget {
    Q_OBJECT

public:
    explicit Announcer(QWidget* parent);

    // Whether a screen reader (or any other assistive tool) is listening.
    static bool listening();

    // Adds a text to the next utterance. Runs of blanks count as one blank,
    // and a run of four or more of one punctuation mark as one mark; a text of
    // blanks alone says nothing.
    void say(const QString& text);
    // Drops what has been said but not yet uttered.
    void startOver();

    // The last utterance, as the screen reader reads it.
    QString utterance() const { return m_utterance; }

private:
    void utter();

    QStringList m_pending;
    QString m_utterance;
    QTimer* m_flush = nullptr;
};

void installAnnouncerAccessibility();
