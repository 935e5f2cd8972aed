#include "app/home/HomeScreen.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <filesystem>
#include <fstream>

#include "app/home/LibraryGridModel.h"
#include "app/home/ThumbnailGrid.h"
#include "app/support/QtTestSupport.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"

// The application and the main queue bound to its event loop come from the app tests' shared
// environment (EditorWindowAppTest.cpp).

namespace fs = std::filesystem;

namespace {

void makeClip(const fs::path& path, double seconds, int minutesAgo) {
    fs::create_directories(path.parent_path());
    ASSERT_TRUE(makeClipOfPictures(path.string(), "teal", "320x180", seconds, {}, "[0:v]null"));
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::minutes(minutesAgo));
}

// A library folder, a thumbnail cache and settings of its own, none of them the user's.
struct Library {
    TempFolder root{"home-screen"};
    fs::path videos = root.path() / "Videos";
    HomeScreenSetup setup() const {
        HomeScreenSetup setup;
        setup.videosFolder = QString::fromStdString(videos.string());
        setup.thumbnailFolder = QString::fromStdString((root.path() / "cache").string());
        setup.settingsFile = QString::fromStdString((root.path() / "settings.ini").string());
        return setup;
    }
};

QStringList column(const QAbstractItemModel& model, int role) {
    QStringList values;
    for (int row = 0; row < model.rowCount(); ++row)
        values.append(model.data(model.index(row, 0), role).toString());
    return values;
}

bool previewsArrived(const QListView& grid, int count) {
    const QAbstractItemModel& model = *grid.model();
    if (model.rowCount() != count) return false;
    for (int row = 0; row < count; ++row)
        if (model.data(model.index(row, 0), LibraryGridModel::DurationRole).toString().isEmpty())
            return false;
    return true;
}

void press(QWidget* widget, int key) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &down);
}

}  // namespace

TEST(HomeScreen, ShowsTheLibrarysVideosNewestFirstWithDurationsAndOpensThePickedOne) {
    Library library;
    makeClip(library.videos / "older.mp4", 2, 30);
    makeClip(library.videos / "Trip" / "newer.mp4", 3, 5);
    HomeScreen screen(library.setup());
    screen.resize(1000, 700);
    screen.show();
    QStringList opened;
    QObject::connect(&screen, &HomeScreen::openRequested,
                     [&](const QString& path) { opened.append(path); });

    auto* grid = byName<QListView>(screen, "Videos");
    ASSERT_TRUE(grid);
    ASSERT_TRUE(processUntil([&] { return previewsArrived(*grid, 2); }, 30));
    EXPECT_EQ(column(*grid->model(), LibraryGridModel::DurationRole),
              (QStringList{"00:03", "00:02"}));
    for (int row = 0; row < 2; ++row)
        EXPECT_FALSE(grid->model()
                         ->data(grid->model()->index(row, 0), Qt::DecorationRole)
                         .value<QPixmap>()
                         .isNull());
    auto* albums = byName<QComboBox>(screen, "Album");
    ASSERT_TRUE(albums);
    ASSERT_EQ(albums->count(), 3);
    EXPECT_EQ(albums->itemText(0), "Recent Videos");
    EXPECT_EQ(albums->itemText(2), "Videos/Trip");

    // The keyboard: to the second video, then Enter.
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(0, 0));
    press(grid, Qt::Key_Right);
    press(grid, Qt::Key_Return);
    EXPECT_EQ(opened, QStringList{QString::fromStdString((library.videos / "older.mp4").string())});
}

TEST(HomeScreen, TheGridHasThreeFiveOrSevenColumnsAsTheWindowWidens) {
    Library library;
    // Enough videos for two rows at any width; none needs to be decoded to be laid out.
    for (int i = 0; i < 8; ++i) {
        fs::create_directories(library.videos);
        std::ofstream(library.videos / std::to_string(i).append(".mp4")) << "not a video";
    }
    HomeScreen screen(library.setup());
    screen.show();
    auto* grid = dynamic_cast<ThumbnailGrid*>(byName<QListView>(screen, "Videos"));
    ASSERT_TRUE(grid);
    ASSERT_TRUE(processUntil([&] { return grid->isVisible() && grid->model()->rowCount() == 8; }));
    for (auto [width, columns] : {std::pair{600, 3}, {1000, 5}, {1600, 7}}) {
        screen.resize(width, 700);
        processUntil([] { return false; }, 0.1);
        EXPECT_EQ(grid->columns(), columns) << width;
        // The first row holds exactly that many cells, and they fill it.
        auto top = [&](int row) { return grid->visualRect(grid->model()->index(row, 0)).top(); };
        EXPECT_EQ(top(columns - 1), top(0)) << width;
        EXPECT_GT(top(columns), top(0)) << width;
        EXPECT_GT(grid->gridSize().width() * (columns + 1), grid->viewport()->width()) << width;
    }
}

TEST(HomeScreen, AnUnreadableFolderIsNamedWithTheWayToFixItAndTryAgainListsItOnceFixed) {
    Library library;
    makeClip(library.videos / "seen.mp4", 1, 10);
    makeClip(library.videos / "Locked" / "private.mp4", 1, 1);
    auto locked = std::make_shared<bool>(true);
    HomeScreenSetup setup = library.setup();
    const fs::path lockedFolder = library.videos / "Locked";
    setup.readable = [locked, lockedFolder](const fs::path& folder) {
        return !(*locked && folder == lockedFolder);
    };
    HomeScreen screen(setup);
    screen.resize(800, 600);
    screen.show();
    auto* grid = byName<QListView>(screen, "Videos");
    auto* notice = byName<QFrame>(screen, "Access");
    auto* text = byName<QLabel>(screen, "Access problem");
    ASSERT_TRUE(grid && notice && text);
    ASSERT_TRUE(processUntil([&] { return notice->isVisible(); }));
    EXPECT_TRUE(text->text().contains(QString::fromStdString(lockedFolder.string())));
    EXPECT_TRUE(text->text().contains("permission")) << text->text().toStdString();
    EXPECT_TRUE(byName<QPushButton>(screen, "Edit Access Permission"));
    EXPECT_EQ(grid->model()->rowCount(), 1);

    *locked = false;
    byName<QPushButton>(screen, "Try Again")->click();
    ASSERT_TRUE(processUntil([&] { return !notice->isVisible(); }));
    EXPECT_EQ(grid->model()->rowCount(), 2);
}

TEST(HomeScreen, ADroppedVideoOpensAndADroppedFolderJoinsTheLibraryForGood) {
    Library library;
    fs::create_directories(library.videos);
    const fs::path elsewhere = library.root.path() / "Elsewhere";
    makeClip(elsewhere / "dropped.mp4", 1, 1);
    QStringList opened;
    {
        HomeScreen screen(library.setup());
        screen.show();
        QObject::connect(&screen, &HomeScreen::openRequested,
                         [&](const QString& path) { opened.append(path); });
        QMimeData files;
        files.setUrls(
            {QUrl::fromLocalFile(QString::fromStdString(elsewhere.string())),
             QUrl::fromLocalFile(QString::fromStdString(testMediaPath("garbage.mp4"))),
             QUrl::fromLocalFile(QString::fromStdString((elsewhere / "dropped.mp4").string()))});
        // Qt hands a drop to the widget that accepted the drag's entry.
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &files, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&screen, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&screen, &drop);
        EXPECT_EQ(opened, QStringList{QString::fromStdString(testMediaPath("garbage.mp4"))})
            << "the first video dropped";
    }
    HomeScreen again(library.setup());
    auto* grid = byName<QListView>(again, "Videos");
    ASSERT_TRUE(processUntil([&] { return grid->model()->rowCount() == 1; }));
    EXPECT_EQ(column(*grid->model(), LibraryGridModel::PathRole),
              QStringList{QString::fromStdString((elsewhere / "dropped.mp4").string())});
}

TEST(HomeScreen, DurationsAreWholeMinutesAndSeconds) {
    EXPECT_EQ(durationText(0), "00:00");
    EXPECT_EQ(durationText(2.99), "00:02");
    EXPECT_EQ(durationText(61), "01:01");
    EXPECT_EQ(durationText(75 * 60 + 3.5), "75:03");
}
