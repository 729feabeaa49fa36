// Trivial definitions of the Platform members other than printDocument, so that
// the printing tests link on their own.
#include "app/platform.h"

Platform::~Platform() = default;
QSize Platform::screenSize() const {
    return {};
}
QMargins Platform::frameMargins(const QWidget&) const {
    return {};
}
Platform::Answer Platform::ask(QWidget*, const QString&, const QString&) {
    return Answer::Cancel;
}
void Platform::tell(QWidget*, const QString&) {}
std::optional<QString> Platform::askText(QWidget*, const QString&, const QString&, const QString&) {
    return std::nullopt;
}
QWidget* Platform::createWebView(QWidget*) {
    return nullptr;
}
