#include "faces/view/FaceOverlayView.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

#include "core/Notifications.h"
#include "core/SourceVideo.h"
#include "faces/FaceEditor.h"
#include "faces/FaceOverlayLayout.h"
#include "faces/FaceScanStatus.h"

namespace {

const QColor BOX_COLOUR(255, 255, 255, 220);
const QColor SELECTED_COLOUR(255, 196, 0);

QRectF toQt(const Rect& r) {
    return {r.x, r.y, r.width, r.height};
}

}  // namespace

FaceOverlayView::FaceOverlayView(QWidget* preview, std::function<PreviewPlacement()> placement)
    : QWidget(preview), placement_(std::move(placement)) {
    setAccessibleName("Faces");
    setAttribute(Qt::WA_TransparentForMouseEvents);  // the preview gets clicks; see eventFilter
    preview->installEventFilter(this);
    setGeometry(preview->rect());
    auto& center = NotificationCenter::defaultCenter();
    for (const NotificationName* name :
         {&Notifications::toolChange, &Notifications::timeChange, &Notifications::zoomChange,
          &Notifications::startProcess, &Notifications::progressing, &Notifications::endProcess,
          &Notifications::updateFilter, &Notifications::onEditFace, &Notifications::offEditFace})
        observers_.push_back(center.addObserver(*name, [this](auto) { refresh(); }));
    hide();
}

FaceOverlayView::~FaceOverlayView() = default;

void FaceOverlayView::setInput(FaceOverlayInput input) {
    input_ = std::move(input);
    refresh();
}

void FaceOverlayView::refresh() {
    setVisible(input_.faces && input_.faceToolChosen());
    update();
}

std::vector<std::optional<Rect>> FaceOverlayView::boxes() const {
    auto source = input_.source();
    return faceBoxes(input_.faces->regions(), input_.playhead(),
                     source ? source->frameDuration() : 0, placement_());
}

bool FaceOverlayView::eventFilter(QObject* watched, QEvent* event) {
    if (watched != parentWidget()) return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::Resize) setGeometry(parentWidget()->rect());
    if (event->type() != QEvent::MouseButtonPress || !isVisible() || !input_.faces) return false;
    auto* click = static_cast<QMouseEvent*>(event);
    if (click->button() != Qt::LeftButton) return false;
    FaceEditor& faces = *input_.faces;
    auto hit = faceBoxAt(boxes(), {click->position().x(), click->position().y()});
    if (!hit) return false;
    if (faces.selectedIndex() != hit) {
        if (faces.isEditing()) faces.finishEdit();
        faces.select(*hit);
    }
    return true;  // a click on a face selects it, and does not start a pan
}

void FaceOverlayView::paintEvent(QPaintEvent*) {
    if (!input_.faces) return;
    const FaceEditor& faces = *input_.faces;
    auto source = input_.source();
    auto status =
        faceScanStatus(faces, input_.playhead(), source ? source->duration() : std::nullopt);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    auto message = [&](const QString& text) {
        QFont font = painter.font();
        font.setPointSizeF(font.pointSizeF() * 1.4);
        painter.setFont(font);
        QRectF box = painter.boundingRect(rect(), Qt::AlignCenter, text).adjusted(-16, -10, 16, 10);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, 160));
        painter.drawRoundedRect(box, 8, 8);
        painter.setPen(Qt::white);
        painter.drawText(box, Qt::AlignCenter, text);
    };
    switch (faceOverlayContent(status)) {
        case FaceOverlayContent::progress:
            return message(QString::fromStdString(scanProgressMessage(status.progress)));
        case FaceOverlayContent::noFaceDetected:
            return message(NO_FACE_MESSAGE);
        case FaceOverlayContent::boxes:
            break;
    }
    auto shown = boxes();
    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < int(shown.size()); ++i) {
        if (!shown[i]) continue;
        const bool selected = faces.selectedIndex() == i;
        painter.setPen(QPen(selected ? SELECTED_COLOUR : BOX_COLOUR, selected ? 3 : 2));
        painter.drawRoundedRect(toQt(*shown[i]), 6, 6);
    }
}
