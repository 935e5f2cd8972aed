#include "app/faces/FacePanel.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "app/controls/EmojiPicker.h"
#include "app/controls/ScaleBar.h"
#include "app/controls/StylePicker.h"
#include "app/controls/TrimBar.h"
#include "app/controls/ValueSlider.h"
#include "core/StyleKind.h"
#include "session/EditSession.h"

namespace {

struct CoverButton {
    Cover cover;
    const char* label;
    const char* name;  // accessible
};
constexpr CoverButton COVERS[] = {
    {Cover::none, "Off", "No cover"},
    {Cover::circle, "Circle", "Circle"},
    {Cover::rectangle, "Rectangle", "Rectangle"},
    {Cover::emoji, "Emoji", "Emoji cover"},
};

enum class SliderMode { intensity = 0, softness = 1 };

QLabel* caption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setMinimumWidth(80);
    return label;
}

// A row of `parent` whose controls follow a caption of `text`.
std::pair<QWidget*, QHBoxLayout*> captionedRow(const QString& text, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(caption(text, row));
    return {row, layout};
}

}  // namespace

FacePanel::FacePanel(QWidget* parent) : QWidget(parent) {
    setAccessibleName("Face panel");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 4, 8, 4);
    column->addWidget(makeCoverRow());
    column->addWidget(makeLookRow());
    column->addWidget(makePlaceRow());
    // As tall as the controls need: the rest of the window is the preview's.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
}

QWidget* FacePanel::makeCoverRow() {
    auto [row, layout] = captionedRow("Hide with", this);
    covers_ = new QButtonGroup(row);
    for (const CoverButton& button : COVERS) {
        auto* choice = new QPushButton(button.label, row);
        choice->setAccessibleName(button.name);
        choice->setCheckable(true);
        covers_->addButton(choice, int(button.cover));
        layout->addWidget(choice);
    }
    layout->addStretch(1);
    connect(covers_, &QButtonGroup::idClicked, this, [this](int raw) {
        if (!session_) return;
        session_->faceEditor().setCover(raw);
    });
    return row;
}

QWidget* FacePanel::makeLookRow() {
    // One of the three shows at a time; the others take no room.
    auto* row = new QWidget(this);
    auto* pages = new QVBoxLayout(row);
    pages->setContentsMargins(0, 0, 0, 0);
    notHidden_ = new QLabel("This face is not hidden. Choose how to hide it above.", row);
    notHidden_->setAccessibleName("Not hidden");
    pages->addWidget(notHidden_);

    auto* style = new QWidget(row);
    style_ = style;
    auto* styleRow = new QHBoxLayout(style);
    styleRow->setContentsMargins(0, 0, 0, 0);
    styles_ = new StylePicker(style);
    styles_->setStyles({blurStyleKinds.begin(), blurStyleKinds.end()});
    connect(styles_, &StylePicker::styleChosen, this, [this](StyleKind kind) {
        if (session_) session_->faceEditor().setStyle(kind);
    });
    styleRow->addWidget(styles_, 1);
    auto* amount = new QVBoxLayout();
    auto* modes = new QHBoxLayout();
    sliderModes_ = new QButtonGroup(style);
    for (auto [mode, label] : {std::pair{SliderMode::intensity, "Intensity"},
                               std::pair{SliderMode::softness, "Softness"}}) {
        auto* button = new QPushButton(label, style);
        button->setAccessibleName(QString("Show ") + label);
        button->setCheckable(true);
        sliderModes_->addButton(button, int(mode));
        modes->addWidget(button);
    }
    sliderModes_->button(int(SliderMode::intensity))->setChecked(true);
    connect(sliderModes_, &QButtonGroup::idClicked, this, [this] { showSliderValue(); });
    modes->addStretch(1);
    amount->addLayout(modes);
    slider_ = new ValueSlider("Intensity", style);
    slider_->setMinimumWidth(300);
    connect(slider_, &ValueSlider::valueChanged, this, &FacePanel::onSliderChanged);
    amount->addWidget(slider_);
    amount->addStretch(1);
    styleRow->addLayout(amount);
    pages->addWidget(style);

    emoji_ = new EmojiPicker(row);
    emoji_->setMaximumHeight(220);
    connect(emoji_, &EmojiPicker::emojiChosen, this, [this](const std::string& emoji) {
        if (session_) session_->faceEditor().setEmoji(emoji);
    });
    pages->addWidget(emoji_);
    return row;
}

QWidget* FacePanel::makePlaceRow() {
    auto [row, layout] = captionedRow("Size", this);
    scale_ = new ScaleBar(row);
    connect(scale_, &ScaleBar::scaleChanged, this, [this](double scale) {
        if (session_) session_->faceEditor().setScale(scale);
    });
    layout->addWidget(scale_, 1);
    layout->addSpacing(16);
    layout->addWidget(caption("Hidden during", row));
    trim_ = new TrimBar(row);
    // While a handle moves the face is shown over its whole span and the preview follows the
    // handle; the trim counts only once the handle is let go.
    connect(trim_, &TrimBar::dragBegan, this, [this] {
        if (!session_) return;
        trimDragging_ = true;
        session_->faceEditor().beginTrim();
    });
    connect(trim_, &TrimBar::seekRequested, this, [this](double fraction) {
        if (session_) session_->seek(fraction);
    });
    connect(trim_, &TrimBar::trimCommitted, this, [this](double from, double to) {
        trimDragging_ = false;
        if (session_) session_->faceEditor().trim(from, to);
        showTrim();
    });
    connect(trim_, &TrimBar::dragCancelled, this, [this] {
        trimDragging_ = false;
        if (session_) session_->faceEditor().cancelTrim();
        showTrim();
    });
    layout->addWidget(trim_, 2);
    return row;
}

void FacePanel::setSession(EditSession* session, CaptureFrame captureFrame) {
    session_ = session;
    captureFrame_ = std::move(captureFrame);
    trimDragging_ = false;
}

void FacePanel::beginEditing() {
    trimDragging_ = false;
    showSelected();
    if (!captureFrame_) return;
    QPointer<FacePanel> self(this);
    captureFrame_([self](Image frame) {
        if (self) self->styles_->setFrame(frame);
    });
}

const TrackedRegion* FacePanel::selectedRegion() const {
    if (!session_) return nullptr;
    const FaceEditor& faces = session_->faceEditor();
    auto index = faces.selectedIndex();
    return index ? &faces.regions()[size_t(*index)] : nullptr;
}

void FacePanel::showSelected() {
    const TrackedRegion* selected = selectedRegion();
    if (!selected) return;
    const TrackedRegion& region = *selected;
    if (QAbstractButton* cover = covers_->button(int(region.cover))) cover->setChecked(true);
    notHidden_->setVisible(region.cover == Cover::none);
    emoji_->setVisible(region.cover == Cover::emoji);
    style_->setVisible(region.cover == Cover::circle || region.cover == Cover::rectangle);
    styles_->setCurrent(region.style.type);
    emoji_->setCurrent(region.emoji);
    showSliderValue();
    scale_->setValue(region.scale);
    showTrim();
}

void FacePanel::showSliderValue() {
    const TrackedRegion* selected = selectedRegion();
    if (!selected) return;
    const TrackedRegion& region = *selected;
    const bool intensity = sliderModes_->checkedId() == int(SliderMode::intensity);
    slider_->setAccessibleName(intensity ? "Intensity" : "Softness");
    slider_->setValue(intensity ? region.style.intensity : region.softness);
}

void FacePanel::onSliderChanged(double value) {
    if (!session_) return;
    FaceEditor& faces = session_->faceEditor();
    if (sliderModes_->checkedId() == int(SliderMode::intensity)) {
        faces.setIntensity(value);
    } else {
        faces.setSoftness(value);
    }
}

void FacePanel::showTrim() {
    // Moving the handles under the user's pointer would end the drag.
    if (!session_ || trimDragging_) return;
    auto fractions = session_->faceEditor().selectedTrimFractions();
    auto duration = session_->source()->duration();
    if (!fractions || !duration) return;
    trim_->setUp({.start = fractions->start,
                  .end = fractions->end,
                  .minStart = fractions->minStart,
                  .maxEnd = fractions->maxEnd,
                  .durationSeconds = duration->seconds(),
                  .frameSeconds = session_->source()->frameDuration()});
}
