#include "app/controls/StylePicker.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <algorithm>

#include "app/QtImage.h"
#include "app/controls/ControlLook.h"
#include "app/controls/PickerButton.h"
#include "core/RegionStyle.h"
#include "core/StyleCatalogue.h"
#include "core/StyleKindName.h"
#include "platform/dispatch/BackgroundQueue.h"
#include "platform/dispatch/MainQueue.h"
#include "platform/image/Orientation.h"

namespace {

// The thumbnail's box on screen; pictures are made for the screen's pixel ratio.
constexpr QSize THUMBNAIL(80, 45);

// The frame scaled to fit `box` pixels, keeping its shape.
Image shrunk(const Image& frame, QSize box) {
    const double scale =
        std::min({1.0, double(box.width()) / frame.width(), double(box.height()) / frame.height()});
    const int width = std::max(1, int(frame.width() * scale + 0.5));
    const int height = std::max(1, int(frame.height() * scale + 0.5));
    return orientAndScale(frame, AffineTransform::identity(), width, height);
}

QPixmap placeholder(qreal pixelRatio) {
    QPixmap pixmap(THUMBNAIL * pixelRatio);
    pixmap.setDevicePixelRatio(pixelRatio);
    pixmap.fill(QColor(255, 255, 255, 20));
    return pixmap;
}

}  // namespace

StylePicker::StylePicker(QWidget* parent)
    : QWidget(parent),
      group_(new QButtonGroup(this)),
      generation_(std::make_shared<std::atomic<int>>(0)) {
    setAccessibleName("Styles");
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    auto* strip = new QWidget;
    row_ = new QHBoxLayout(strip);
    row_->setContentsMargins(4, 4, 4, 4);
    row_->setSpacing(4);
    row_->addStretch();
    // A narrow panel scrolls the styles sideways.
    scroll_ = ControlLook::clearScrollArea(strip, Qt::Horizontal, this);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll_);

    connect(group_, &QButtonGroup::idClicked, this, [this](int index) {
        current_ = choices_[size_t(index)].style;
        emit styleChosen(*current_);
    });
}

// Workers still running see a newer generation, stop, and their results find no picker.
StylePicker::~StylePicker() {
    ++*generation_;
}

void StylePicker::setStyles(const std::vector<StyleKind>& styles) {
    for (const Choice& choice : choices_) {
        group_->removeButton(choice.button);
        delete choice.button;
    }
    choices_.clear();
    const QPixmap empty = placeholder(devicePixelRatioF());
    for (StyleKind style : styles) {
        auto* button = new PickerButton;
        button->setCheckable(true);
        button->setIconSize(THUMBNAIL);
        button->setIcon(empty);
        button->setText(QString::fromStdString(StyleCatalogue::entry(style).name));
        button->setAccessibleName(QString::fromUtf8(styleKindName(style)));
        group_->addButton(button, int(choices_.size()));
        row_->insertWidget(row_->count() - 1, button);
        choices_.push_back({style, button});
    }
    if (current_) setCurrent(*current_);
    // Room for the buttons and, below them, the scroll bar a narrow panel shows.
    setFixedHeight(scroll_->widget()->sizeHint().height() +
                   scroll_->horizontalScrollBar()->sizeHint().height());
    renderThumbnails();
}

void StylePicker::setFrame(const Image& frame) {
    frame_ = frame.empty() ? nullptr : std::make_shared<const Image>(frame);
    renderThumbnails();
}

void StylePicker::setCurrent(StyleKind style) {
    current_ = style;
    for (const Choice& choice : choices_) choice.button->setChecked(choice.style == style);
}

void StylePicker::renderThumbnails() {
    const int generation = ++*generation_;
    if (!frame_ || choices_.empty()) return;
    std::vector<StyleKind> styles;
    for (const Choice& choice : choices_) styles.push_back(choice.style);
    const qreal pixelRatio = devicePixelRatioF();
    QPointer<StylePicker> self(this);
    BackgroundQueue::dispatch(
        [frame = frame_, styles, pixelRatio, latest = generation_, generation, self] {
            const Image small = shrunk(*frame, THUMBNAIL * pixelRatio);
            for (StyleKind style : styles) {
                if (*latest != generation) return;
                RegionStyle look;
                look.type = style;
                look.intensity = 1;
                const std::optional<Image> styled = look.apply(small);
                if (!styled) continue;
                QImage picture = toQImage(*styled);
                picture.setDevicePixelRatio(pixelRatio);
                MainQueue::shared().post([self, generation, style, picture] {
                    if (self) self->showThumbnail(generation, style, picture);
                });
            }
        });
}

void StylePicker::showThumbnail(int generation, StyleKind style, const QImage& picture) {
    if (generation != *generation_) return;
    for (const Choice& choice : choices_)
        if (choice.style == style) choice.button->setIcon(QPixmap::fromImage(picture));
}

void StylePicker::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    ControlLook::paintGround(painter, *this);
}
