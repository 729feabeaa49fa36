#include "app/announcer.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QRegularExpression>
#include <QTimer>

namespace {

// Between the texts of one utterance: a pause in speech, and not a
// punctuation mark that a screen reader names aloud.
const QString Pause = QStringLiteral(", ");

// A run of one punctuation mark, such as the tape's rule of underscores, would
// be named once for every mark; it is said as one.
QString spokenForm(const QString& text)
{
    static const QRegularExpression markRun(QStringLiteral("([^\\p{L}\\p{N}\\s])\\1{3,}"),
                                            QRegularExpression::UseUnicodePropertiesOption);
    return text.simplified().replace(markRun, QStringLiteral("\\1"));
}

class AccessibleAnnouncer : public QAccessibleWidget {
public:
    explicit AccessibleAnnouncer(Announcer* announcer)
        : QAccessibleWidget(announcer, QAccessible::Notification)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<const Announcer*>(object())->utterance();
        return {};
    }

    // Never on the screen, yet shown to the screen reader with each utterance.
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.invisible = true;
        return s;
    }
};

QAccessibleInterface* announcerFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("Announcer") && object && object->isWidgetType())
        return new AccessibleAnnouncer(static_cast<Announcer*>(object));
    return nullptr;
}

} // namespace

Announcer::Announcer(QWidget* parent)
    : QWidget(parent)
    , m_flush(new QTimer(this))
{
    setObjectName(QStringLiteral("Announcer"));
    setFocusPolicy(Qt::NoFocus);
    hide();
    m_flush->setSingleShot(true);
    m_flush->setInterval(0);
    connect(m_flush, &QTimer::timeout, this, &Announcer::utter);
}

bool Announcer::listening() { return QAccessible::isActive(); }

void Announcer::say(const QString& text)
{
    if (!listening())
        return;
    const QString spoken = spokenForm(text);
    if (spoken.isEmpty())
        return;
    m_pending.append(spoken);
    if (!m_flush->isActive())
        m_flush->start();
}

void Announcer::startOver()
{
    if (m_pending.isEmpty())
        return;
    m_pending.clear();
    m_flush->stop();
}

// The screen reader reads the new name when it learns that the notification
// has been shown; it is told of the name first, in case it keeps names.
void Announcer::utter()
{
    if (m_pending.isEmpty())
        return;
    m_utterance = m_pending.join(Pause);
    m_pending.clear();
    QAccessibleEvent renamed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&renamed);
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

void installAnnouncerAccessibility() { QAccessible::installFactory(announcerFactory); }
