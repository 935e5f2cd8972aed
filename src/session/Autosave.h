#pragma once
// Keeps the edits safe from a crash: every so often the front end writes the session's
// unsaved edits as a project under this process's name in the autosave folder, and removes it
// when the edits are saved or the editor closes normally. A file whose process has ended is
// what a crash left behind, and the next editor offers to restore it. Main thread.

#include <optional>
#include <string>
#include <vector>

class EditSession;
class UnsavedWork;

class Autosave {
public:
    explicit Autosave(std::string folder);
    // Writes the session's edits when they hold unsaved work, and removes the file when they
    // do not. The one-line reason a write failed, or nothing.
    std::optional<std::string> update(const EditSession& session, const UnsavedWork& unsaved);
    // Removes this process's file: its edits are saved, or closed without keeping them.
    void discard();
    // The files of processes that ended before their edits were saved, newest first.
    std::vector<std::string> leftBehind() const;
    const std::string& path() const { return path_; }

private:
    std::string folder_;
    std::string path_;  // this process's file
};

// "$XDG_STATE_HOME/veilcut/autosave" (~/.local/state when unset).
std::string defaultAutosaveFolder();
