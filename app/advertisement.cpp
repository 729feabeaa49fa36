#include "app/form1.h"

#include "app/advertisementstrip.h"
#include "resources/maker.h"

#include <QTimer>

namespace {
// Timer2 ticks once a minute; the page is requested again once an hour.
constexpr int TicksBetweenRequests = 60;
} // namespace

void Form1::NavigateAdvertisement() { WebBrowser1->navigate(AdvertisementAddress()); }

void Form1::Timer2_Timer()
{
    ++AdRefreshTicks;
    if (AdRefreshTicks >= TicksBetweenRequests) {
        NavigateAdvertisement();
        AdRefreshTicks = 0;
    }
}

// The web engine is loaded only once the calculator has been painted, so that
// the window appears, and takes keys, as soon as it can. By then the window is
// on the screen in its frame, which is known now.
void Form1::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    if (m_painted)
        return;
    m_painted = true;
    QTimer::singleShot(0, this, &Form1::PlaceByKnownFrame);
    QTimer::singleShot(0, WebBrowser1, &AdvertisementStrip::startEngine);
}
