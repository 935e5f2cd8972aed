#include "app/view/SaveVideoFlow.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include "app/RatingPrompt.h"
#include "app/view/SavingOverlay.h"
#include "platform/log/Log.h"
#include "session/EditSession.h"
#include "session/ExportHandle.h"
#include "session/LibraryDestination.h"

SaveVideoFlow::SaveVideoFlow(QWidget* screen, SavingOverlay* overlay)
    : QObject(screen), screen_(screen), overlay_(overlay) {
    connect(overlay_, &SavingOverlay::cancelRequested, this, &SaveVideoFlow::cancel);
}

SaveVideoFlow::~SaveVideoFlow() {
    cancel();
}

void SaveVideoFlow::ask(EditSession& session) {
    if (isSaving() || !session.source()) return;
    const QString name = QFileInfo(QString::fromStdString(session.source()->path())).fileName();
    QMessageBox choice(QMessageBox::NoIcon, "Save Video",
                       "Save the edited video as a new file.\n\"Save to Library\" puts it beside " +
                           name + "; \"Save to...\" lets you choose where.",
                       QMessageBox::NoButton, screen_);
    choice.setAccessibleName("Save Video");
    QPushButton* library = choice.addButton("Save to Library", QMessageBox::AcceptRole);
    QPushButton* elsewhere = choice.addButton("Save to...", QMessageBox::AcceptRole);
    choice.addButton(QMessageBox::Cancel);
    choice.setDefaultButton(library);
    choice.exec();
    if (choice.clickedButton() == library) {
        logDebug("Save to Library tapped");
        saveTo(session, QString::fromStdString(libraryDestination(session.source()->path())),
               false);
    } else if (choice.clickedButton() == elsewhere) {
        logDebug("Save to... tapped");
        QFileInfo source(QString::fromStdString(session.source()->path()));
        QString suggested =
            QFileInfo(QString::fromStdString(libraryDestination(session.source()->path())))
                .fileName();
        QString path = QFileDialog::getSaveFileName(
            screen_, "Save Video", source.dir().filePath(suggested), "MP4 videos (*.mp4)");
        if (path.isEmpty()) return;
        if (!path.endsWith(".mp4", Qt::CaseInsensitive)) path += ".mp4";
        // The dialog has asked before an existing file is replaced.
        saveTo(session, path, true);
    }
}

void SaveVideoFlow::saveTo(EditSession& session, const QString& destination, bool overwrite) {
    if (isSaving()) return;
    QTimer::singleShot(1000, screen_, [screen = screen_] { showRatingPromptUnlessRated(screen); });
    overlay_->begin();
    ExportOptions options;
    options.overwrite = overwrite;
    options.progress = [overlay = overlay_](double fraction) { overlay->setProgress(fraction); };
    options.completion = [this, destination](const ExportOutcome&) { finish(destination); };
    handle_ = ExportHandle::start(session, destination.toStdString(), std::move(options));
    emit savingChanged(true);
}

bool SaveVideoFlow::isSaving() const {
    return handle_ && !handle_->isFinished();
}

void SaveVideoFlow::cancel() {
    if (!isSaving()) return;
    overlay_->hide();
    handle_->cancel();
}

void SaveVideoFlow::finish(const QString& destination) {
    auto handle = std::move(handle_);
    overlay_->hide();
    emit savingChanged(false);
    const ExportOutcome& outcome = *handle->outcome();
    if (outcome.status == ExportOutcome::Status::cancelled) return;
    const bool written = outcome.status == ExportOutcome::Status::written;
    // Not modal: the editor stays usable, and the note waits until the user has read it.
    auto* note = new QMessageBox(
        written ? QMessageBox::Information : QMessageBox::Warning,
        written ? "Video Saved" : "Cannot Save Video",
        written ? "Saved as " + QDir::toNativeSeparators(destination)
                : "The video could not be saved: " + QString::fromStdString(outcome.error),
        QMessageBox::Ok, screen_);
    note->setAttribute(Qt::WA_DeleteOnClose);
    note->setAccessibleName(note->windowTitle());
    note->setModal(false);
    note->setEscapeButton(QMessageBox::Ok);
    if (written) {
        QPushButton* show = note->addButton("Show in Folder", QMessageBox::ActionRole);
        show->setAccessibleName("Show in Folder");
        connect(show, &QPushButton::clicked, note, [destination] {
            QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(destination).absolutePath()));
        });
        emit saved(destination);
    }
    note->show();
}
