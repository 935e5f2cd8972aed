#include "app/home/LibraryFoldersDialog.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "app/home/LibraryFolders.h"

namespace {

bool listed(const std::vector<std::string>& folders, const QString& folder) {
    return std::find(folders.begin(), folders.end(), folder.toStdString()) != folders.end();
}

}  // namespace

LibraryFoldersDialog::LibraryFoldersDialog(LibraryFolders& folders, const LibraryListing& listing,
                                           QWidget* parent)
    : QDialog(parent), folders_(folders), listing_(listing) {
    setWindowTitle("Library Folders");
    setAccessibleName("Library Folders");
    auto* explanation = new QLabel(
        "Veilcut shows the videos in these folders and in their subfolders. The videos stay "
        "where they are; removing a folder only hides it from the library.",
        this);
    explanation->setWordWrap(true);

    list_ = new QListWidget(this);
    list_->setAccessibleName("Library folders");
    connect(list_, &QListWidget::currentRowChanged, this, [this] {
        const QString folder = selectedFolder();
        remove_->setEnabled(!folder.isEmpty() && folder != folders_.videosFolder());
        show_->setEnabled(!folder.isEmpty());
    });

    auto* add = new QPushButton("Add Folder...", this);
    add->setAccessibleName("Add Folder");
    connect(add, &QPushButton::clicked, this, &LibraryFoldersDialog::addFolder);
    remove_ = new QPushButton("Remove", this);
    remove_->setAccessibleName("Remove Folder");
    connect(remove_, &QPushButton::clicked, this, &LibraryFoldersDialog::removeSelected);
    show_ = new QPushButton("Show in File Manager", this);
    show_->setAccessibleName("Show in File Manager");
    connect(show_, &QPushButton::clicked, this, &LibraryFoldersDialog::showSelected);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    close->button(QDialogButtonBox::Close)->setAccessibleName("Close");
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove_);
    buttons->addWidget(show_);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    resize(560, 320);
    fill();
}

void LibraryFoldersDialog::fill() {
    list_->clear();
    for (const QString& folder : folders_.all()) {
        QString text = folder;
        if (folder == folders_.videosFolder()) text += "  (your videos folder)";
        if (listed(listing_.missingFolders, folder))
            text += "  - not found";
        else if (listed(listing_.unreadableFolders, folder))
            text += "  - cannot be read: give your user permission to read it";
        auto* item = new QListWidgetItem(text, list_);
        item->setData(Qt::UserRole, folder);
    }
    list_->setCurrentRow(0);
}

QString LibraryFoldersDialog::selectedFolder() const {
    const QListWidgetItem* item = list_->currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

void LibraryFoldersDialog::addFolder() {
    const QString folder =
        QFileDialog::getExistingDirectory(this, "Add a Folder of Videos", folders_.videosFolder());
    if (folder.isEmpty() || !folders_.add(folder)) return;
    fill();
    list_->setCurrentRow(list_->count() - 1);
}

void LibraryFoldersDialog::removeSelected() {
    folders_.remove(selectedFolder());
    fill();
}

void LibraryFoldersDialog::showSelected() {
    QDesktopServices::openUrl(QUrl::fromLocalFile(selectedFolder()));
}
