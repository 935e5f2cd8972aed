#include "app/view/EditingScreen.h"

#include <QApplication>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "app/faces/FaceToolView.h"
#include "app/sound/SystemAudioOutput.h"
#include "app/view/PreviewView.h"
#include "app/view/SaveVideoFlow.h"
#include "app/view/SavingOverlay.h"
#include "core/Notifications.h"
#include "faces/FaceSpanJumps.h"
#include "faces/view/FaceOverlayView.h"
#include "platform/time/ClockText.h"
#include "session/EditSession.h"
#include "session/PreviewPlayback.h"

namespace {

QString clockText(double seconds) {
    return QString::fromStdString(minutesAndSeconds(seconds));
}

constexpr int POSITION_STEPS = 10000;

bool isProject(const std::string& path) {
    return path.ends_with(".json");
}

struct ToolButton {
    const char* label;  // on the button
    const char* title;  // in the top bar while the tool is chosen
};
// In the order of EditTool.
constexpr ToolButton TOOLS[] = {
    {"Video", "VIDEO"},           {"Blur Face", "BLUR FACE"},   {"Blur Object", "BLUR OBJECT"},
    {"Background", "BACKGROUND"}, {"Shape Blur", "SHAPE BLUR"},
};

}  // namespace

EditingScreen::EditingScreen(QWidget* parent) : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(makeTopBar());
    column->addWidget(makeEditBar());

    auto* stage = new QWidget(this);
    auto* stageLayout = new QVBoxLayout(stage);
    stageLayout->setContentsMargins(0, 0, 0, 0);
    preview_ = new PreviewView(stage);
    stageLayout->addWidget(preview_);
    faces_ = new FaceOverlayView(preview_, [this] {
        auto source = session_ ? session_->source() : nullptr;
        auto size = source ? source->size() : std::nullopt;
        return preview_->placement(size.value_or(Size{}));
    });
    connect(preview_, &PreviewView::zoomChanged, this, [this](double scale, QPointF offset) {
        if (!session_) return;
        session_->zoomScale = scale;
        session_->contentOffset = {offset.x(), offset.y()};
        NotificationCenter::defaultCenter().post(Notifications::zoomChange);
    });
    originalBadge_ = new QLabel("Original: nothing hidden", preview_);
    originalBadge_->setAccessibleName("Showing original");
    originalBadge_->setStyleSheet(
        "background: rgba(200, 40, 40, 220); color: white; padding: 4px 10px; font-weight: bold;");
    originalBadge_->move(12, 12);
    originalBadge_->hide();
    column->addWidget(stage, 1);

    auto* bar = new QHBoxLayout();
    bar->setContentsMargins(8, 4, 8, 4);
    play_ = new QPushButton("Play", this);
    play_->setAccessibleName("Play");
    // Space plays wherever the focus is (the window's shortcut); a focused button would take
    // it a second time.
    play_->setFocusPolicy(Qt::NoFocus);
    connect(play_, &QPushButton::clicked, this, &EditingScreen::togglePlay);
    position_ = new QSlider(Qt::Horizontal, this);
    position_->setAccessibleName("Position");
    position_->setRange(0, POSITION_STEPS);
    // Dragging seeks as it goes; the player coalesces the burst and shows the last position.
    connect(position_, &QSlider::valueChanged, this, [this](int value) {
        if (!session_ || position_->signalsBlocked()) return;
        if (session_->isPlay) togglePlay();
        session_->seek(double(value) / POSITION_STEPS);
    });
    time_ = new QLabel("00:00 / 00:00", this);
    time_->setAccessibleName("Time");
    scan_ = new QLabel(this);
    scan_->setAccessibleName("Face scan");
    bar->setSpacing(12);
    bar->addWidget(play_);
    bar->addWidget(position_, 1);
    bar->addWidget(time_);
    bar->addWidget(scan_);
    column->addLayout(bar);
    faceTool_ = new FaceToolView(this);
    connect(faceTool_, &FaceToolView::jumpRequested, this, &EditingScreen::jumpToFace);
    faceTool_->hide();
    column->addWidget(faceTool_);
    column->addWidget(makeToolBar());

    overlay_ = new SavingOverlay(this);
    saving_ = new SaveVideoFlow(this, overlay_);
    connect(saving_, &SaveVideoFlow::savingChanged, this, &EditingScreen::savingChanged);
    connect(saving_, &SaveVideoFlow::saved, this, [this] {
        if (session_) unsaved_.markSaved(*session_);
    });
    observeSession();
    closeVideo();
    qApp->installEventFilter(this);
}

EditingScreen::~EditingScreen() {
    // The save's completion reaches into this screen: it must end first. The overlay (a child,
    // deleted after the session) must not look at the session as it goes.
    saving_->cancel();
    faces_->setInput({});
    faceTool_->setSession(nullptr, {});
}

QWidget* EditingScreen::makeTopBar() {
    auto* top = new QWidget(this);
    top->setObjectName("topBar");
    auto* row = new QHBoxLayout(top);
    auto* close = new QPushButton("Close", top);
    close->setAccessibleName("Close Editor");
    close->setFocusPolicy(Qt::NoFocus);
    connect(close, &QPushButton::clicked, this, &EditingScreen::closeRequested);
    title_ = new QLabel(top);
    title_->setAccessibleName("Tool title");
    title_->setAlignment(Qt::AlignCenter);
    QFont bold = title_->font();
    bold.setBold(true);
    bold.setLetterSpacing(QFont::PercentageSpacing, 110);
    title_->setFont(bold);
    save_ = new QPushButton("Save Video...", top);
    save_->setAccessibleName("Save Video");
    save_->setFocusPolicy(Qt::NoFocus);
    connect(save_, &QPushButton::clicked, this, &EditingScreen::askToSave);
    row->addWidget(close);
    row->addWidget(title_, 1);
    row->addWidget(save_);
    return top;
}

QWidget* EditingScreen::makeEditBar() {
    editBar_ = new QWidget(this);
    editBar_->setObjectName("editBar");
    editBar_->setAutoFillBackground(true);
    auto* row = new QHBoxLayout(editBar_);
    auto* cancel = new QPushButton("Cancel", editBar_);
    cancel->setAccessibleName("Cancel Edit");
    cancel->setShortcut(Qt::Key_Escape);
    cancel->setToolTip("Put the edit back (Esc)");
    connect(cancel, &QPushButton::clicked, this, [this] {
        if (session_) session_->cancelEdits();
    });
    editTitle_ = new QLabel(editBar_);
    editTitle_->setAccessibleName("Edit title");
    editTitle_->setAlignment(Qt::AlignCenter);
    auto* done = new QPushButton("Done", editBar_);
    done->setAccessibleName("Done");
    done->setDefault(true);
    connect(done, &QPushButton::clicked, this, [this] {
        if (session_) session_->finishEdits();
    });
    row->addWidget(cancel);
    row->addWidget(editTitle_, 1);
    row->addWidget(done);
    editBar_->hide();
    return editBar_;
}

QWidget* EditingScreen::makeToolBar() {
    auto* bar = new QWidget(this);
    bar->setAccessibleName("Tools");
    auto* row = new QHBoxLayout(bar);
    row->addStretch(1);
    tools_ = new QButtonGroup(bar);
    for (int index = 0; index < int(std::size(TOOLS)); ++index) {
        auto* button = new QToolButton(bar);
        button->setText(TOOLS[index].label);
        button->setAccessibleName(TOOLS[index].label);
        button->setCheckable(true);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setMinimumWidth(110);
        button->setFocusPolicy(Qt::NoFocus);
        tools_->addButton(button, index);
        row->addWidget(button);
    }
    row->addStretch(1);
    connect(tools_, &QButtonGroup::idClicked, this, &EditingScreen::chooseTool);
    return bar;
}

void EditingScreen::observeSession() {
    auto& center = NotificationCenter::defaultCenter();
    auto on = [&](const NotificationName& name, std::function<void()> action) {
        observers_.push_back(center.addObserver(name, [action](auto) { action(); }));
    };
    on(Notifications::timeChange, [this] { showTime(); });
    for (const NotificationName* name :
         {&Notifications::startProcess, &Notifications::progressing, &Notifications::endProcess})
        on(*name, [this] { showScanState(); });
    on(Notifications::playStatusChange, [this] {
        play_->setText(session_ && session_->isPlay ? "Pause" : "Play");
        play_->setAccessibleName(play_->text());
    });
    on(Notifications::toolChange, [this] {
        addingObject_ = false;
        showTitle();
        showToolArea();
    });
    on(Notifications::addMoreObject, [this] {
        addingObject_ = true;
        showTitle();
    });
    on(Notifications::cancelAddMoreObject, [this] {
        addingObject_ = false;
        showTitle();
    });
    on(Notifications::startTrack, [this] { title_->parentWidget()->hide(); });
    on(Notifications::endTrackingObject, [this] {
        title_->parentWidget()->show();
        addingObject_ = false;
        showTitle();
    });
    on(Notifications::onEditObjects, [this] { showEditBar("EDIT OBJECT"); });
    on(Notifications::onEditBackground, [this] { showEditBar("EDIT BACKGROUND"); });
    on(Notifications::onEditFace, [this] { showEditBar("EDIT FACE"); });
    on(Notifications::onEditShape, [this] { showEditBar("EDIT BLUR SHAPE"); });
    for (const NotificationName* name :
         {&Notifications::offEditObjects, &Notifications::deleteObject,
          &Notifications::offEditBackground, &Notifications::offEditFace,
          &Notifications::offEditShape, &Notifications::deleteShape})
        on(*name, [this] { editBar_->hide(); });
}

std::optional<std::string> EditingScreen::openFile(const std::string& path) {
    auto session = std::make_unique<EditSession>();
    auto problem = isProject(path) ? session->openProject(path) : session->openSource(path);
    if (problem) return problem;
    std::string error;
    auto playback = PreviewPlayback::open(
        *session,
        [view = preview_](const Image& frame, const MediaTime&) { view->showFrame(frame); }, &error,
        SystemAudioOutput::forDefaultDevice());
    if (!playback) return error;
    saving_->cancel();
    playback_ = std::move(playback);  // the old player stops before its session goes
    session_ = std::move(session);
    faces_->setInput({&session_->faceEditor(),
                      [s = session_.get()] { return s->tool == EditTool::face; },
                      [s = session_.get()] { return s->playhead; },
                      [s = session_.get()] { return s->source(); }});
    faceTool_->setSession(session_.get(), [p = playback_.get()](auto done) {
        p->captureSourceFrame(std::move(done));
    });
    // Every person the scan finds starts hidden: saving without a look at each never leaks one.
    session_->faceEditor().setHidingForNewFaces(FaceHiding{});
    unsaved_ = UnsavedWork();
    // A project holds exactly the edits it was opened from: nothing is unsaved yet.
    if (isProject(path)) unsaved_.markSaved(*session_);
    for (QWidget* control : findChildren<QWidget*>()) control->setEnabled(true);
    preview_->fit();
    editBar_->hide();
    showTitle();
    showToolArea();
    showTime();
    scanFailure_.clear();
    session_->startFaceScan(FaceScanReach::careful, [this](const std::string& reason) {
        scanFailure_ = "Face scan: " + QString::fromStdString(reason);
        showScanState();
    });
    showScanState();
    emit videoChanged();
    return std::nullopt;
}

void EditingScreen::closeVideo() {
    saving_->cancel();
    showOriginal(false);
    faces_->setInput({});
    faceTool_->setSession(nullptr, {});
    faceTool_->hide();
    playback_.reset();
    session_.reset();
    unsaved_ = UnsavedWork();
    preview_->clear();
    editBar_->hide();
    title_->parentWidget()->show();
    for (QWidget* control : std::initializer_list<QWidget*>{save_, play_, position_})
        control->setEnabled(false);
    for (QAbstractButton* tool : tools_->buttons()) tool->setEnabled(false);
    title_->setText(QString());
    time_->setText("00:00 / 00:00");
    QSignalBlocker quiet(position_);
    position_->setValue(0);
    scan_->clear();
    play_->setText("Play");
    play_->setAccessibleName("Play");
    emit videoChanged();
}

bool EditingScreen::confirmClose() {
    if (!session_ || !unsaved_.isPending(*session_)) return true;
    if (session_->isPlay) togglePlay();
    QMessageBox alert(QMessageBox::Warning, "Close Editor",
                      "Are you sure want to close without saving the video?", QMessageBox::NoButton,
                      this);
    alert.setAccessibleName("Close Editor");
    QPushButton* cancel = alert.addButton("Cancel", QMessageBox::RejectRole);
    alert.addButton("Close", QMessageBox::DestructiveRole);
    alert.setDefaultButton(cancel);
    alert.exec();
    return alert.clickedButton() != cancel;
}

void EditingScreen::showTitle() {
    if (!session_) return;
    const int tool = int(session_->tool);
    if (QAbstractButton* button = tools_->button(tool)) button->setChecked(true);
    title_->setText(session_->tool == EditTool::object && addingObject_ ? "ADD BLUR OBJECT"
                                                                        : TOOLS[tool].title);
}

void EditingScreen::showToolArea() {
    faceTool_->setVisible(session_ && session_->tool == EditTool::face);
}

void EditingScreen::jumpToFace(bool forward) {
    if (!session_) return;
    auto edge = nearestFaceEdge(session_->faceEditor().regions(), session_->playhead.seconds(),
                                session_->source()->frameDuration(),
                                forward ? Heading::forward : Heading::back);
    if (edge) moveTo(*edge);
}

void EditingScreen::showOriginal(bool on) {
    on = on && playback_ && !saving_->isSaving();
    originalBadge_->setVisible(on);
    if (on) originalBadge_->raise();
    if (playback_) playback_->showOriginal(on);
}

bool EditingScreen::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type == QEvent::ApplicationDeactivate) {
        showOriginal(false);  // the key's release goes to another application
    } else if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) && isVisible()) {
        auto* key = static_cast<QKeyEvent*>(event);
        // A search field takes the key as a character.
        const bool typing = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        if (key->key() == Qt::Key_Backslash && !key->isAutoRepeat() && !typing &&
            watched == window()->windowHandle()) {
            showOriginal(type == QEvent::KeyPress);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void EditingScreen::showEditBar(const QString& title) {
    editTitle_->setText(title);
    editBar_->show();
}

void EditingScreen::showScanState() {
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

void EditingScreen::chooseTool(int index) {
    if (session_ && !saving_->isSaving()) session_->selectTool(index);
}

QStringList EditingScreen::toolNames() {
    QStringList names;
    for (const ToolButton& tool : TOOLS) names << tool.label;
    return names;
}

void EditingScreen::togglePlay() {
    if (!session_ || saving_->isSaving()) return;
    session_->isPlay = !session_->isPlay;
    NotificationCenter::defaultCenter().post(Notifications::playStatusChange);
}

void EditingScreen::step(double frames, double seconds) {
    if (!session_) return;
    moveTo(session_->playhead.seconds() + frames * session_->source()->frameDuration() + seconds);
}

void EditingScreen::moveTo(double seconds) {
    if (!session_ || saving_->isSaving()) return;
    if (session_->isPlay) togglePlay();
    auto duration = session_->source()->duration();
    if (!duration) return;
    // The end is the last frame's start: the frame shown there is the last one.
    double last = std::max(0.0, duration->seconds() - session_->source()->frameDuration());
    session_->playhead =
        MediaTime::fromSeconds(std::clamp(seconds, 0.0, last), duration->timescale);
    NotificationCenter::defaultCenter().post(Notifications::timeChange);
}

void EditingScreen::askToSave() {
    if (!session_) return;
    if (session_->isPlay) togglePlay();
    saving_->ask(*session_);
}

std::optional<std::string> EditingScreen::saveProject(const std::string& path, bool overwrite) {
    if (!session_) return "no video is open";
    if (auto problem = session_->saveProject(path, overwrite)) return problem;
    unsaved_.markSaved(*session_);
    return std::nullopt;
}

void EditingScreen::fitPreview() {
    preview_->fit();
}

void EditingScreen::showTime() {
    if (!session_) return;
    auto duration = session_->source() ? session_->source()->duration() : std::nullopt;
    time_->setText(clockText(session_->playhead.seconds()) + " / " +
                   clockText(duration ? duration->seconds() : 0));
    if (duration && duration->seconds() > 0 && !position_->isSliderDown()) {
        QSignalBlocker quiet(position_);
        position_->setValue(
            int(std::lround(session_->playhead.seconds() / duration->seconds() * POSITION_STEPS)));
    }
}
