#include "app/form1.h"

#include "tape/tapeline.h"

void Form1::Form_Load()
{
    NavigateAdvertisement();
    PlaceAtStart();
    AppendTapeText(StartLine());
    m_state.PendingOperator = QStringLiteral("+");
    m_state.TaxRate = 18;
    ApplyPendingOperator();
}
