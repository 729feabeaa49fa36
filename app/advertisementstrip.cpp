#include "app/advertisementstrip.h"

#include <QUrl>
#include <QVariant>

AdvertisementStrip::AdvertisementStrip(ViewFactory createView, QWidget* parent)
    : QWidget(parent)
    , m_createView(std::move(createView))
{
}

void AdvertisementStrip::navigate(const QString& address)
{
    emit navigationRequested(address);
    if (m_view)
        load(address);
    else
        m_pendingAddress = address;
}

void AdvertisementStrip::startEngine()
{
    if (m_started)
        return;
    m_started = true;
    if (!m_createView)
        return;
    m_view = m_createView(this);
    if (!m_view)
        return;
    m_view->setGeometry(rect());
    m_view->show();
    if (!m_pendingAddress.isEmpty())
        load(std::exchange(m_pendingAddress, QString()));
}

void AdvertisementStrip::resizeEvent(QResizeEvent*)
{
    if (m_view)
        m_view->setGeometry(rect());
}

// The address carries no scheme; the web view reads it as a user would type it.
void AdvertisementStrip::load(const QString& address)
{
    m_view->setProperty("url", QUrl::fromUserInput(address));
}
