#include "app/faces/FaceToolView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/faces/FaceStrip.h"
#include "core/Notifications.h"
#include "session/EditSession.h"

namespace {

QPushButton* actionButton(const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setAccessibleName(text);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

}  // namespace

FaceToolView::FaceToolView(QWidget* parent) : QWidget(parent) {
    setAccessibleName("Face tool");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    browse_ = makeBrowsePage();
    layout->addWidget(browse_);
    panel_ = new FacePanel(this);
    panel_->hide();
    layout->addWidget(panel_);

    auto& center = NotificationCenter::defaultCenter();
    auto on = [&](const NotificationName& name, std::function<void()> action) {
        observers_.push_back(center.addObserver(name, [action](auto) { action(); }));
    };
    for (const NotificationName* name :
         {&Notifications::progressing, &Notifications::endProcess, &Notifications::updateFilter,
          &Notifications::startProcess})
        on(*name, [this] { showPersons(); });
    // The playhead decides only whether the scan has reached the persons to show.
    on(Notifications::timeChange, [this] {
        if (session_) strip_->reload();
    });
    on(Notifications::onEditFace, [this] {
        showEditing(true);
        panel_->beginEditing();
        showPersons();
    });
    on(Notifications::offEditFace, [this] {
        showEditing(false);
        showPersons();
    });
}

FaceToolView::~FaceToolView() = default;

QWidget* FaceToolView::makeBrowsePage() {
    auto* page = new QWidget(this);
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(8, 4, 8, 4);
    strip_ = new FaceStrip(page);
    column->addWidget(strip_);
    auto* row = new QHBoxLayout();
    hideAll_ = actionButton("Hide all", page);
    hideAll_->setToolTip("Hide every person not hidden yet");
    connect(hideAll_, &QPushButton::clicked, this, [this] {
        if (session_) session_->faceEditor().hideEveryFace(FaceHiding{});
    });
    hideNone_ = actionButton("Hide none", page);
    hideNone_->setToolTip("Show every person (each keeps its look for later)");
    connect(hideNone_, &QPushButton::clicked, this, [this] {
        if (session_) session_->faceEditor().showEveryFace();
    });
    auto* previous = actionButton("Previous face", page);
    previous->setToolTip("To where a person's cover starts or ends, before the playhead ([)");
    connect(previous, &QPushButton::clicked, this, [this] { emit jumpRequested(false); });
    auto* next = actionButton("Next face", page);
    next->setToolTip("To where a person's cover starts or ends, after the playhead (])");
    connect(next, &QPushButton::clicked, this, [this] { emit jumpRequested(true); });
    hiddenCount_ = new QLabel(page);
    hiddenCount_->setAccessibleName("Hidden persons");
    auto* hint = new QLabel("Hold \\ to see the original", page);
    hint->setEnabled(false);
    for (QWidget* widget : std::initializer_list<QWidget*>{hideAll_, hideNone_, previous, next})
        row->addWidget(widget);
    row->addSpacing(16);
    row->addWidget(hiddenCount_);
    row->addStretch(1);
    row->addWidget(hint);
    column->addLayout(row);
    return page;
}

void FaceToolView::setSession(EditSession* session, FacePanel::CaptureFrame captureFrame) {
    session_ = session;
    strip_->setSession(session);
    panel_->setSession(session, std::move(captureFrame));
    showEditing(false);
    showPersons();
}

void FaceToolView::showEditing(bool editing) {
    browse_->setVisible(!editing);
    panel_->setVisible(editing);
}

void FaceToolView::showPersons() {
    if (!session_) {
        hiddenCount_->clear();
        return;
    }
    strip_->reload();
    const FaceEditor& faces = session_->faceEditor();
    if (panel_->isVisibleTo(this)) panel_->showSelected();
    const size_t persons = faces.regions().size();
    const size_t hidden = faces.hiddenFaceCount();
    hiddenCount_->setText(persons ? QString("%1 of %2 persons hidden").arg(hidden).arg(persons)
                                  : QString());
    hideAll_->setEnabled(hidden < persons);
    hideNone_->setEnabled(hidden > 0);
}
