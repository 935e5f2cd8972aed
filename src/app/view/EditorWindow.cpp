#include "app/view/EditorWindow.h"

#include <QAction>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>

#include "app/view/PreviewView.h"
#include "core/Notifications.h"
#include "session/EditSession.h"
#include "session/PreviewPlayback.h"

namespace {

// "mm:ss", as the editor shows times.
QString clockText(double seconds) {
    int whole = std::isfinite(seconds) ? int(std::max(0.0, seconds)) : 0;
    return QString::asprintf("%02d:%02d", whole / 60, whole % 60);
}

bool isProject(const std::string& path) {
    return path.ends_with(".json");
}

}  // namespace

EditorWindow::EditorWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle("Veilcut");
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    preview_ = new PreviewView(central);
    column->addWidget(preview_, 1);

    auto* bar = new QHBoxLayout();
    play_ = new QPushButton("Play", central);
    play_->setAccessibleName("Play");
    play_->setShortcut(Qt::Key_Space);
    // Space is the shortcut wherever the focus is; a focused button would take it a second time.
    play_->setFocusPolicy(Qt::NoFocus);
    play_->setEnabled(false);
    connect(play_, &QPushButton::clicked, this, &EditorWindow::togglePlay);
    time_ = new QLabel("00:00 / 00:00", central);
    time_->setAccessibleName("Time");
    bar->addWidget(play_);
    bar->addWidget(time_);
    bar->addStretch(1);
    column->addLayout(bar);
    setCentralWidget(central);
    scan_ = new QLabel(this);
    scan_->setAccessibleName("Face scan");
    statusBar()->addWidget(scan_);

    auto* file = menuBar()->addMenu("&File");
    QAction* open = file->addAction("&Open...", this, &EditorWindow::chooseFile);
    open->setShortcut(QKeySequence::Open);
    QAction* save = file->addAction("&Save Project...", this, &EditorWindow::saveProject);
    save->setShortcut(QKeySequence::Save);
    QAction* quit = file->addAction("&Quit", this, &QWidget::close);
    quit->setShortcut(QKeySequence::Quit);
    addPlaybackMenu();

    auto& center = NotificationCenter::defaultCenter();
    observers_.push_back(
        center.addObserver(Notifications::timeChange, [this](auto) { showTime(); }));
    for (const NotificationName* name :
         {&Notifications::startProcess, &Notifications::progressing, &Notifications::endProcess})
        observers_.push_back(center.addObserver(*name, [this](auto) { showScanState(); }));
    observers_.push_back(center.addObserver(Notifications::playStatusChange, [this](auto) {
        play_->setText(session_ && session_->isPlay ? "Pause" : "Play");
        play_->setAccessibleName(play_->text());
    }));
    resize(1280, 800);
}

EditorWindow::~EditorWindow() = default;

std::optional<std::string> EditorWindow::openFile(const std::string& path) {
    auto session = std::make_unique<EditSession>();
    auto problem = isProject(path) ? session->openProject(path) : session->openSource(path);
    if (problem) return problem;
    std::string error;
    auto playback = PreviewPlayback::open(
        *session,
        [view = preview_](const Image& frame, const MediaTime&) { view->showFrame(frame); },
        &error);
    if (!playback) return error;
    playback_ = std::move(playback);  // the old player stops before its session goes
    session_ = std::move(session);
    setWindowTitle(QString::fromStdString(std::filesystem::path(path).filename().string()) +
                   " \u2014 Veilcut");
    play_->setEnabled(true);
    showTime();
    scanFailure_.clear();
    session_->startFaceScan(false, [this](const std::string& reason) {
        scanFailure_ = "The face scan stopped: " + QString::fromStdString(reason);
        showScanState();
    });
    return std::nullopt;
}

void EditorWindow::showScanState() {
    if (!session_) return;
    if (!scanFailure_.isEmpty()) return scan_->setText(scanFailure_);
    const FaceEditor& faces = session_->faceEditor();
    if (faces.scanState() != FaceScanState::end) {
        scan_->setText(
            QString("Blur Face Processing...%1%").arg(std::lround(faces.scanProgress() * 100)));
        return;
    }
    const size_t persons = faces.regions().size();
    if (persons == 0) return scan_->setText("No Face Detected");
    scan_->setText(QString::number(persons) + (persons == 1 ? " person found" : " persons found"));
}

void EditorWindow::chooseFile() {
    QString path = QFileDialog::getOpenFileName(
        this, "Open a Video or a Project", QString(),
        "Videos and projects (*.mp4 *.mov *.m4v *.mkv *.webm *.json);;All files (*)");
    if (path.isEmpty()) return;
    if (auto problem = openFile(path.toStdString()))
        QMessageBox::warning(this, "Cannot Open", QString::fromStdString(*problem));
}

void EditorWindow::addPlaybackMenu() {
    auto* menu = menuBar()->addMenu("&Playback");
    auto step = [this](double frames, double seconds) {
        if (!session_) return;
        moveTo(session_->playhead.seconds() + frames * session_->source()->frameDuration() +
               seconds);
    };
    struct Move {
        const char* title;
        QKeySequence keys;
        std::function<void()> action;
    };
    const Move moves[] = {
        {"Next Frame", Qt::Key_Right, [step] { step(1, 0); }},
        {"Previous Frame", Qt::Key_Left, [step] { step(-1, 0); }},
        {"Forward One Second", Qt::SHIFT | Qt::Key_Right, [step] { step(0, 1); }},
        {"Back One Second", Qt::SHIFT | Qt::Key_Left, [step] { step(0, -1); }},
        {"Go to Start", Qt::Key_Home, [this] { moveTo(0); }},
        {"Go to End", Qt::Key_End, [this] { moveTo(HUGE_VAL); }},
    };
    for (const Move& move : moves) {
        QAction* action = menu->addAction(move.title, this, move.action);
        action->setShortcut(move.keys);
    }
}

void EditorWindow::moveTo(double seconds) {
    if (!session_) return;
    if (session_->isPlay) togglePlay();
    auto duration = session_->source()->duration();
    if (!duration) return;
    // The end is the last frame's start: the frame shown there is the last one.
    double last = std::max(0.0, duration->seconds() - session_->source()->frameDuration());
    session_->playhead =
        MediaTime::fromSeconds(std::clamp(seconds, 0.0, last), duration->timescale);
    NotificationCenter::defaultCenter().post(Notifications::timeChange);
}

void EditorWindow::saveProject() {
    if (!session_) return;
    auto source = std::filesystem::path(session_->source()->path());
    QString suggested = QString::fromStdString(
        (source.parent_path() / (source.stem().string() + ".veilcut.json")).string());
    // The dialog asks before replacing a file, so an existing one may be replaced.
    QString path = QFileDialog::getSaveFileName(this, "Save Project", suggested,
                                                "Veilcut projects (*.veilcut.json)");
    if (path.isEmpty()) return;
    if (auto problem = session_->saveProject(path.toStdString(), true))
        QMessageBox::warning(this, "Cannot Save", QString::fromStdString(*problem));
}

void EditorWindow::togglePlay() {
    if (!session_) return;
    session_->isPlay = !session_->isPlay;
    NotificationCenter::defaultCenter().post(Notifications::playStatusChange);
}

void EditorWindow::showTime() {
    if (!session_) return;
    auto duration = session_->source() ? session_->source()->duration() : std::nullopt;
    time_->setText(clockText(session_->playhead.seconds()) + " / " +
                   clockText(duration ? duration->seconds() : 0));
}
