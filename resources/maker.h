#pragma once

#include <QString>

// The maker's web address: the window caption, the hidden address label, the
// title of the tax-rate box and the host of the advertisement page.
inline QString MakerAddress() { return QStringLiteral("www.serit.example"); }

// The program's own name: the title of its messages.
inline QString ProgramName() { return QStringLiteral("\u015Eerit"); }

// The advertisement page, written without a scheme, as a user would type it.
inline QString AdvertisementAddress()
{
    return MakerAddress() + QStringLiteral("/tarkal_reklam.htm");
}
