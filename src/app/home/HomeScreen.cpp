#include "app/home/HomeScreen.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <set>

#include "app/home/LibraryFolders.h"
#include "app/home/LibraryFoldersDialog.h"
#include "app/home/LibraryGridModel.h"
#include "app/home/ThumbnailGrid.h"
#include "platform/dispatch/BackgroundQueue.h"
#include "platform/dispatch/MainQueue.h"
#include "platform/files/ScratchFolder.h"
#include "platform/library/VideoFileName.h"
#include "platform/library/XdgFolders.h"

namespace {

// The local files and folders in a drag, videos first, in the order dragged.
struct Dropped {
    QStringList videos;
    QStringList folders;
};
Dropped droppedFiles(const QMimeData* mime) {
    Dropped dropped;
    for (const QUrl& url : mime->urls()) {
        if (!url.isLocalFile()) continue;
        const QFileInfo file(url.toLocalFile());
        if (file.isDir())
            dropped.folders.append(file.absoluteFilePath());
        else if (file.isFile() && isVideoFileName(file.fileName().toStdString()))
            dropped.videos.append(file.absoluteFilePath());
    }
    return dropped;
}

QString listOfFolders(const std::vector<std::string>& folders) {
    QStringList names;
    for (const std::string& folder : folders) names.append(QString::fromStdString(folder));
    return names.join(", ");
}

}  // namespace

HomeScreenSetup HomeScreenSetup::fromEnvironment() {
    const EnvironmentLookup environment = processEnvironment();
    HomeScreenSetup setup;
    setup.videosFolder = QString::fromStdString(::videosFolder(environment));
    setup.thumbnailFolder = QString::fromStdString(thumbnailCacheFolder(environment));
    return setup;
}

HomeScreen::HomeScreen(HomeScreenSetup setup, QWidget* parent)
    : QWidget(parent),
      setup_(std::move(setup)),
      folders_(std::make_unique<LibraryFolders>(setup_.videosFolder, setup_.settingsFile)),
      model_(new LibraryGridModel(
          std::make_shared<ThumbnailCache>(setup_.thumbnailFolder.toStdString()), this)),
      watcher_(new QFileSystemWatcher(this)) {
    setAccessibleName("Home");
    setAcceptDrops(true);

    grid_ = new ThumbnailGrid(this);
    grid_->setModel(model_);
    connect(grid_, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
        emit openRequested(index.data(LibraryGridModel::PathRole).toString());
    });
    emptyNotice_ = new QLabel(this);
    emptyNotice_->setAccessibleName("No videos");
    emptyNotice_->setAlignment(Qt::AlignCenter);
    emptyNotice_->setWordWrap(true);
    emptyNotice_->setMargin(24);
    pages_ = new QStackedWidget(this);
    pages_->addWidget(grid_);
    pages_->addWidget(emptyNotice_);

    notice_ = new QLabel(this);
    notice_->setAccessibleName("Notice");
    notice_->setWordWrap(true);
    notice_->setMargin(8);
    notice_->hide();
    noticeTimer_.setSingleShot(true);
    noticeTimer_.setInterval(6000);
    connect(&noticeTimer_, &QTimer::timeout, notice_, &QLabel::hide);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(makeTopBar());
    layout->addWidget(makeAccessNotice());
    layout->addWidget(pages_, 1);
    layout->addWidget(notice_);

    rescanTimer_.setSingleShot(true);
    rescanTimer_.setInterval(300);
    connect(&rescanTimer_, &QTimer::timeout, this, &HomeScreen::rescan);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this,
            [this] { rescanTimer_.start(); });
    // The grid stays empty, rather than saying there are no videos, until the first listing.
    albums_->setEnabled(false);
    rescan();
    // Clears away what exports of ended (crashed) runs left behind; never another running
    // window's files.
    BackgroundQueue::dispatch([] { processScratchFolder(); });
}

HomeScreen::~HomeScreen() = default;

QWidget* HomeScreen::makeTopBar() {
    auto* bar = new QWidget(this);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(10, 8, 10, 8);

    albums_ = new QComboBox(bar);
    albums_->setAccessibleName("Album");
    albums_->setPlaceholderText(recentVideosTitle);
    albums_->setMinimumContentsLength(24);
    albums_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    connect(albums_, &QComboBox::activated, this, &HomeScreen::showAlbum);

    auto* add = new QPushButton("Add Videos", bar);
    add->setAccessibleName("Add Videos");
    add->setToolTip("Add a folder of videos to the library");
    connect(add, &QPushButton::clicked, this, &HomeScreen::addFolder);

    auto* settings = new QToolButton(bar);
    settings->setText("Settings");
    settings->setAccessibleName("Settings");
    settings->setPopupMode(QToolButton::InstantPopup);
    settings->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto* menu = new QMenu(settings);
    menu->setAccessibleName("Settings menu");
    menu->addAction("Access settings", this, &HomeScreen::openAccessSettings);
    menu->addAction("Write a feedback", this, &HomeScreen::writeFeedback);
    menu->addAction("Share this app", this, &HomeScreen::shareApp);
    settings->setMenu(menu);

    layout->addWidget(albums_);
    layout->addStretch(1);
    layout->addWidget(add);
    layout->addWidget(settings);
    return bar;
}

QFrame* HomeScreen::makeAccessNotice() {
    accessNotice_ = new QFrame(this);
    accessNotice_->setAccessibleName("Access");
    accessNotice_->setFrameShape(QFrame::StyledPanel);
    accessNotice_->setAutoFillBackground(true);
    accessNotice_->setBackgroundRole(QPalette::ToolTipBase);
    accessNotice_->setForegroundRole(QPalette::ToolTipText);
    accessText_ = new QLabel(accessNotice_);
    accessText_->setAccessibleName("Access problem");
    accessText_->setWordWrap(true);
    accessText_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* edit = new QPushButton("Edit Access Permission", accessNotice_);
    edit->setAccessibleName("Edit Access Permission");
    edit->setToolTip("Show the folder in the file manager, where its permissions can be changed");
    connect(edit, &QPushButton::clicked, this, [this] {
        if (listing_.unreadableFolders.empty()) return;
        const QFileInfo folder(QString::fromStdString(listing_.unreadableFolders.front()));
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder.absolutePath()));
    });
    auto* retry = new QPushButton("Try Again", accessNotice_);
    retry->setAccessibleName("Try Again");
    connect(retry, &QPushButton::clicked, this, &HomeScreen::rescan);

    auto* layout = new QHBoxLayout(accessNotice_);
    layout->setContentsMargins(10, 6, 10, 6);
    layout->addWidget(accessText_, 1);
    layout->addWidget(edit);
    layout->addWidget(retry);
    accessNotice_->hide();
    return accessNotice_;
}

void HomeScreen::rescan() {
    const int generation = ++scanGeneration_;
    std::vector<std::string> folders;
    for (const QString& folder : folders_->all()) folders.push_back(folder.toStdString());
    auto library = std::make_shared<VideoLibrary>(std::move(folders), setup_.readable);
    QPointer<HomeScreen> self(this);
    BackgroundQueue::dispatch([library, generation, self] {
        auto listing = std::make_shared<LibraryListing>(library->scan());
        MainQueue::shared().post([listing, generation, self] {
            if (self && generation == self->scanGeneration_) self->present(std::move(*listing));
        });
    });
}

void HomeScreen::present(LibraryListing listing) {
    // The user stays on the album they were looking at, or the nearest one when it has gone.
    const QString current = albums_->currentText();
    const int currentIndex = albums_->currentIndex();
    listing_ = std::move(listing);
    albums_->clear();
    for (const LibraryAlbum& album : listing_.albums)
        albums_->addItem(QString::fromStdString(album.title));
    int index = albums_->findText(current);
    if (index < 0) index = std::min(currentIndex, albums_->count() - 1);
    albums_->setCurrentIndex(std::max(index, albums_->count() > 0 ? 0 : -1));
    albums_->setEnabled(albums_->count() > 0);
    showAlbum(albums_->currentIndex());
    showAccessNotice();
    watchFolders();
}

void HomeScreen::showAlbum(int index) {
    const bool any = index >= 0 && index < int(listing_.albums.size());
    model_->setItems(any ? listing_.albums[size_t(index)].items : std::vector<LibraryItem>{});
    if (any) {
        pages_->setCurrentWidget(grid_);
        grid_->setCurrentIndex(model_->index(0));
        grid_->scrollToTop();
        return;
    }
    emptyNotice_->setText(QString("No videos in the library yet.\nVeilcut looks in %1 and in the "
                                  "folders you add: choose Add Videos to add one, or drop a "
                                  "video here to open it.")
                              .arg(QDir::toNativeSeparators(folders_->videosFolder())));
    pages_->setCurrentWidget(emptyNotice_);
}

void HomeScreen::showAccessNotice() {
    const auto& unreadable = listing_.unreadableFolders;
    accessNotice_->setVisible(!unreadable.empty());
    if (unreadable.empty()) return;
    const QString which =
        unreadable.size() == 1
            ? "Veilcut cannot read the folder " + listOfFolders(unreadable) +
                  ", so its videos are not shown."
            : QString("Veilcut cannot read %1 folders, so their videos are not shown: %2.")
                  .arg(unreadable.size())
                  .arg(listOfFolders(unreadable));
    accessText_->setText(which +
                         " Give your user permission to read it (in the file manager's "
                         "Properties > Permissions, or with chmod u+rx), then choose Try Again.");
}

void HomeScreen::watchFolders() {
    if (!watcher_->directories().isEmpty()) watcher_->removePaths(watcher_->directories());
    std::set<QString> folders;
    for (const QString& folder : folders_->all())
        if (QFileInfo(folder).isDir()) folders.insert(folder);
    for (const LibraryAlbum& album : listing_.albums)
        if (!album.items.empty())
            folders.insert(QFileInfo(QString::fromStdString(album.items.front().path)).path());
    if (!folders.empty()) watcher_->addPaths(QStringList(folders.begin(), folders.end()));
}

void HomeScreen::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    grid_->setFocus();
}

void HomeScreen::hideEvent(QHideEvent* event) {
    // Decoding thumbnails nobody sees would slow the editor down.
    model_->dropPendingPreviews();
    QWidget::hideEvent(event);
}

void HomeScreen::dragEnterEvent(QDragEnterEvent* event) {
    const Dropped dropped = droppedFiles(event->mimeData());
    if (!dropped.videos.isEmpty() || !dropped.folders.isEmpty()) event->acceptProposedAction();
}

void HomeScreen::dropEvent(QDropEvent* event) {
    const Dropped dropped = droppedFiles(event->mimeData());
    event->acceptProposedAction();
    addFolders(dropped.folders);
    // One video is edited at a time: the first one dropped.
    if (!dropped.videos.isEmpty()) emit openRequested(dropped.videos.front());
}

void HomeScreen::addFolder() {
    const QString folder =
        QFileDialog::getExistingDirectory(this, "Add a Folder of Videos", folders_->videosFolder());
    if (!folder.isEmpty()) addFolders({folder});
}

void HomeScreen::addFolders(const QStringList& folders) {
    QStringList added;
    for (const QString& folder : folders)
        if (folders_->add(folder)) added.append(QDir::toNativeSeparators(folder));
    if (added.isEmpty()) {
        if (!folders.isEmpty()) tell("That folder is already in the library.");
        return;
    }
    tell("Added to the library: " + added.join(", "));
    rescan();
}

void HomeScreen::openAccessSettings() {
    LibraryFoldersDialog dialog(*folders_, listing_, this);
    dialog.exec();
    rescan();
}

void HomeScreen::writeFeedback() {
    QUrl mail("mailto:");
    mail.setQuery("subject=" + QUrl::toPercentEncoding("Veilcut " VEILCUT_VERSION " feedback"));
    if (!QDesktopServices::openUrl(mail)) tell("No mail program is set up on this computer.");
}

void HomeScreen::shareApp() {
    QApplication::clipboard()->setText(
        "Veilcut " VEILCUT_VERSION
        ": a video editor that hides faces, objects and backgrounds in videos.");
    tell("A note about Veilcut is on the clipboard, ready to paste.");
}

void HomeScreen::tell(const QString& text) {
    notice_->setText(text);
    notice_->show();
    noticeTimer_.start();
}
