#include "app/windowaccessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

namespace {

QAccessibleInterface* windowFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("Form1") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

void installWindowAccessibility() { QAccessible::installFactory(windowFactory); }
