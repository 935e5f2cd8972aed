#include "app/controls/StepKeys.h"

#include <QKeyEvent>

std::optional<StepKey> stepKeyOf(const QKeyEvent& event) {
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return std::nullopt;
    switch (event.key()) {
        case Qt::Key_Left:
        case Qt::Key_Down:
            return StepKey::back;
        case Qt::Key_Right:
        case Qt::Key_Up:
            return StepKey::forward;
        case Qt::Key_PageDown:
            return StepKey::pageBack;
        case Qt::Key_PageUp:
            return StepKey::pageForward;
        case Qt::Key_Home:
            return StepKey::first;
        case Qt::Key_End:
            return StepKey::last;
        default:
            return std::nullopt;
    }
}

bool claimStepKey(QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride) return false;
    if (!stepKeyOf(*static_cast<QKeyEvent*>(event))) return false;
    event->accept();
    return true;
}
