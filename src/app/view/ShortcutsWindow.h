#pragma once
// Help > Shortcuts: a window listing every menu command that has a keyboard shortcut, read
// from the window's own actions so the list never drifts from what the keys do. GUI thread.

class QMainWindow;

void showShortcuts(QMainWindow* window);
