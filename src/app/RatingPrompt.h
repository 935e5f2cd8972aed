#pragma once
// Asks the user, now and then, how Veilcut is working for them: a small window with five stars
// and "Not Now". Any star is kept (QSettings "rating") and sets "didRate", after which it never
// asks again; "Not Now" leaves it to ask at a later save. GUI thread.

class QWidget;

// Shows the prompt beside `parent` unless the user has already rated.
void showRatingPromptUnlessRated(QWidget* parent);
