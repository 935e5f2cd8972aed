#pragma once
// The keys every value control answers the same way: Left/Down step back, Right/Up step
// forward, Page Down/Page Up step further, Home and End go to either end. GUI thread.

#include <optional>

#include "timeline/StepKey.h"

class QEvent;
class QKeyEvent;

// The step the key asks for; none for other keys or with Ctrl/Alt/Meta held (shortcuts).
std::optional<StepKey> stepKeyOf(const QKeyEvent& event);
// A focused control takes its step keys before the window's shortcuts do (the arrows and
// Home/End also move the playhead): true, the event accepted, for a shortcut override of one.
bool claimStepKey(QEvent* event);
