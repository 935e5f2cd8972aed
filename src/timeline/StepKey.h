#pragma once
// The keys that move a control's value: the arrows step a little, Page Up and Page Down step
// more, Home and End go to the lowest and the highest value the control allows.

enum class StepKey { back, forward, pageBack, pageForward, first, last };
