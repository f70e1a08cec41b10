#include "ui/guard.h"

#include "ui/modal.h"

namespace ui {

void ShowError(const std::exception& e) {
    Modal::message(QString::fromUtf8(e.what()), QStringLiteral("Error"));
}

void Guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        ShowError(e);
    } catch (...) {
        Modal::message(QString(), QStringLiteral("Error"));
    }
}

} // namespace ui
