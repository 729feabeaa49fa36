#include "app/form1.h"

namespace {

constexpr int CapitalSNeeded = 100;

QString creditsText()
{
    return QStringLiteral("T\u00FCm bana bug\u00FCne kadar yardim eden\n"
                          " ve beni destekleyen herkese tesk\u00FCr.\n"
                          "Orvel tarafindan yazilmistir.");
}

} // namespace

// Every hundredth capital "S" typed thanks those who helped.
void Form1::CountCreditsKey()
{
    ++m_state.CreditsKeyCount;
    if (m_state.CreditsKeyCount >= CapitalSNeeded) {
        m_state.CreditsKeyCount = 0;
        m_platform->tell(this, creditsText());
    }
}
