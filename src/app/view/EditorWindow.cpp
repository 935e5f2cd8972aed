#include "app/view/EditorWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStackedWidget>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "app/home/HomeScreen.h"
#include "app/view/EditingScreen.h"
#include "app/view/ShortcutsWindow.h"
#include "platform/log/Log.h"
#include "session/EditSession.h"

namespace {

// Unsaved edits are written this often, so a crash loses at most this much work.
constexpr int AUTOSAVE_MS = 30'000;

QAction* addCommand(QMenu* menu, const QString& title, QKeySequence keys,
                    std::function<void()> action, QObject* context) {
    QAction* added = menu->addAction(title, context, std::move(action));
    added->setShortcut(keys);
    return added;
}

}  // namespace

EditorWindow::EditorWindow(QWidget* parent, std::string autosaveFolder)
    : QMainWindow(parent),
      autosave_(autosaveFolder.empty() ? defaultAutosaveFolder() : std::move(autosaveFolder)) {
    setWindowTitle("Veilcut");
    pages_ = new QStackedWidget(this);
    home_ = new HomeScreen(HomeScreenSetup::fromEnvironment(), pages_);
    screen_ = new EditingScreen(pages_);
    pages_->addWidget(home_);
    pages_->addWidget(screen_);
    setCentralWidget(pages_);
    connect(home_, &HomeScreen::openRequested, this, &EditorWindow::openPicked);
    connect(screen_, &EditingScreen::closeRequested, this, &EditorWindow::closeVideo);
    connect(screen_, &EditingScreen::videoChanged, this, &EditorWindow::showVideoTitle);
    addFileMenu();
    addPlaybackMenu();
    addViewAndHelpMenus();

    autosaveTimer_ = new QTimer(this);
    connect(autosaveTimer_, &QTimer::timeout, this, &EditorWindow::autosave);
    autosaveTimer_->start(AUTOSAVE_MS);

    QSettings settings;
    if (!restoreGeometry(settings.value("window/geometry").toByteArray())) resize(1280, 860);
}

EditorWindow::~EditorWindow() = default;

void EditorWindow::addFileMenu() {
    auto* file = menuBar()->addMenu("&File");
    addCommand(
        file, "&Open...", QKeySequence::Open, [this] { chooseFile(); }, this);
    addCommand(
        file, "Save &Video...", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E),
        [this] { screen_->askToSave(); }, this);
    addCommand(
        file, "&Save Project...", QKeySequence::Save, [this] { saveProject(); }, this);
    addCommand(
        file, "&Close Video", QKeySequence::Close, [this] { closeVideo(); }, this);
    file->addSeparator();
    addCommand(
        file, "&Quit", QKeySequence::Quit, [this] { close(); }, this);
    connect(screen_, &EditingScreen::savingChanged, file, [file](bool saving) {
        for (QAction* action : file->actions())
            if (!action->text().contains("Quit")) action->setEnabled(!saving);
    });
}

void EditorWindow::addPlaybackMenu() {
    auto* menu = menuBar()->addMenu("&Playback");
    EditingScreen* s = screen_;
    addCommand(
        menu, "&Play/Pause", Qt::Key_Space, [s] { s->togglePlay(); }, this);
    addCommand(
        menu, "Next Frame", Qt::Key_Right, [s] { s->step(1, 0); }, this);
    addCommand(
        menu, "Previous Frame", Qt::Key_Left, [s] { s->step(-1, 0); }, this);
    addCommand(
        menu, "Forward One Second", Qt::SHIFT | Qt::Key_Right, [s] { s->step(0, 1); }, this);
    addCommand(
        menu, "Back One Second", Qt::SHIFT | Qt::Key_Left, [s] { s->step(0, -1); }, this);
    addCommand(
        menu, "Go to Start", Qt::Key_Home, [s] { s->moveTo(0); }, this);
    addCommand(
        menu, "Go to End", Qt::Key_End, [s] { s->moveTo(HUGE_VAL); }, this);
    menu->addSeparator();
    addCommand(
        menu, "Previous Face", Qt::Key_BracketLeft, [s] { s->jumpToFace(false); }, this);
    addCommand(
        menu, "Next Face", Qt::Key_BracketRight, [s] { s->jumpToFace(true); }, this);
    connect(screen_, &EditingScreen::savingChanged, menu, &QWidget::setDisabled);
}

void EditorWindow::addViewAndHelpMenus() {
    auto* tools = menuBar()->addMenu("&Tools");
    const QStringList names = EditingScreen::toolNames();
    for (int index = 0; index < names.size(); ++index)
        addCommand(
            tools, names[index], QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + index)),
            [this, index] { screen_->chooseTool(index); }, this);
    auto* view = menuBar()->addMenu("&View");
    addCommand(
        view, "&Fit Preview", Qt::CTRL | Qt::Key_0, [this] { screen_->fitPreview(); }, this);
    auto* help = menuBar()->addMenu("&Help");
    addCommand(
        help, "Keyboard &Shortcuts", QKeySequence::HelpContents, [this] { showShortcuts(this); },
        this);
}

std::optional<std::string> EditorWindow::openFile(const std::string& path) {
    if (auto problem = screen_->openFile(path)) return problem;
    pages_->setCurrentWidget(screen_);
    openPath_ = QString::fromStdString(path);
    rememberFolder(openPath_);
    showVideoTitle();
    return std::nullopt;
}

void EditorWindow::showVideoTitle() {
    if (!screen_->session()) return setWindowTitle("Veilcut");
    setWindowTitle(QFileInfo(openPath_).fileName() + " \u2014 Veilcut");
}

void EditorWindow::openPicked(const QString& path) {
    if (auto problem = openFile(path.toStdString()))
        QMessageBox::warning(this, "Cannot Open", QString::fromStdString(*problem));
}

void EditorWindow::chooseFile() {
    if (!screen_->confirmClose()) return;
    QString path = QFileDialog::getOpenFileName(
        this, "Open a Video or a Project", lastFolder(),
        "Videos and projects (*.mp4 *.mov *.m4v *.mkv *.webm *.json);;All files (*)");
    if (path.isEmpty()) return;
    openPicked(path);
}

void EditorWindow::saveProject() {
    EditSession* session = screen_->session();
    if (!session) return;
    auto source = std::filesystem::path(session->source()->path());
    QString suggested =
        openPath_.endsWith(".json")
            ? openPath_
            : QString::fromStdString(
                  (source.parent_path() / (source.stem().string() + ".veilcut.json")).string());
    // The dialog asks before replacing a file, so an existing one may be replaced.
    QString path = QFileDialog::getSaveFileName(this, "Save Project", suggested,
                                                "Veilcut projects (*.veilcut.json)");
    if (path.isEmpty()) return;
    if (auto problem = screen_->saveProject(path.toStdString(), true))
        return (void)QMessageBox::warning(this, "Cannot Save", QString::fromStdString(*problem));
    rememberFolder(path);
    autosave_.discard();
}

void EditorWindow::closeVideo() {
    if (!screen_->confirmClose()) return;
    screen_->closeVideo();
    autosave_.discard();
    pages_->setCurrentWidget(home_);
    home_->rescan();  // a video just saved beside the source shows up
}

void EditorWindow::autosave() {
    EditSession* session = screen_->session();
    if (!session) return;
    if (auto problem = autosave_.update(*session, screen_->unsavedWork()))
        logWarning("could not keep the unsaved edits safe: " + *problem);
}

void EditorWindow::offerToRestore() {
    for (const std::string& left : autosave_.leftBehind()) {
        QMessageBox ask(QMessageBox::Question, "Restore Unsaved Edits",
                        "Veilcut closed before some edits were saved. Restore them?",
                        QMessageBox::NoButton, this);
        ask.setAccessibleName("Restore Unsaved Edits");
        QPushButton* restore = ask.addButton("Restore", QMessageBox::AcceptRole);
        ask.addButton("Discard", QMessageBox::DestructiveRole);
        ask.setDefaultButton(restore);
        ask.exec();
        std::error_code ignored;
        if (ask.clickedButton() != restore) {
            std::filesystem::remove(left, ignored);
            continue;
        }
        if (auto problem = screen_->openFile(left)) {
            QMessageBox::warning(this, "Cannot Restore", QString::fromStdString(*problem));
            continue;
        }
        // The restored edits are unsaved, and this editor's now: kept safe under its own name
        // at once.
        screen_->forgetSaves();
        autosave();
        std::filesystem::remove(left, ignored);
        openPath_ = QString::fromStdString(screen_->session()->source()->path());
        showVideoTitle();
        return;
    }
}

void EditorWindow::closeEvent(QCloseEvent* event) {
    if (!screen_->confirmClose()) return event->ignore();
    screen_->closeVideo();
    autosave_.discard();
    QSettings().setValue("window/geometry", saveGeometry());
    event->accept();
}

void EditorWindow::rememberFolder(const QString& path) {
    QSettings().setValue("lastFolder", QFileInfo(path).absolutePath());
}

QString EditorWindow::lastFolder() const {
    return QSettings().value("lastFolder").toString();
}
