#pragma once
// Saving the edited movie from the editing screen: the "Save Video" choice of where to
// ("Save to Library" beside the source, "Save to..." anywhere), the saving overlay with its
// progress and cancel, the rating prompt a second after a save starts, and then either where
// the file went (with "Show in Folder") or why it could not be saved. A cancelled or failed
// save leaves no file. GUI thread.

#include <QObject>
#include <QString>
#include <memory>

class EditSession;
class ExportHandle;
class SavingOverlay;
class QWidget;

class SaveVideoFlow : public QObject {
    Q_OBJECT
public:
    SaveVideoFlow(QWidget* screen, SavingOverlay* overlay);
    ~SaveVideoFlow() override;

    // Asks where to save `session`'s movie, then saves it there.
    void ask(EditSession& session);
    // Saves `session`'s movie to `destination`, an existing file only with `overwrite`.
    void saveTo(EditSession& session, const QString& destination, bool overwrite);
    bool isSaving() const;
    // Stops the save under way; no file is left.
    void cancel();

signals:
    void savingChanged(bool saving);
    // A movie was written to `path` with the edits of the moment the save started.
    void saved(const QString& path);

private:
    void finish(const QString& destination);

    QWidget* screen_;
    SavingOverlay* overlay_;
    std::shared_ptr<ExportHandle> handle_;
};
