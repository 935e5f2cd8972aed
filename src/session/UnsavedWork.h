#pragma once
// Whether closing the editor would lose work: there is work when anything is hidden (a face,
// object or shape whose cover is not none, or a styled background), and it is unsaved unless
// exactly these edits were last saved (as a movie or a project). Edits made after a save count
// again, so they are never lost without asking. Main thread.

#include <string>

class EditSession;

class UnsavedWork {
public:
    // True when the session has work that has not been saved since it was last edited.
    bool isPending(const EditSession& session) const;
    // The session's current edits are saved (a movie finished or a project written).
    void markSaved(const EditSession& session);

private:
    std::string savedEdits_;  // the edits as they were last saved; empty before any save
};

// Something is hidden: a region or shape with a cover, or a background style.
bool hidesAnything(const EditSession& session);
