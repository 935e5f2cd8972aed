#include "app/controls/TrimBar.h"

#include <QKeyEvent>
#include <QPainter>

#include "app/controls/ControlLook.h"
#include "app/controls/StepKeys.h"

namespace {

constexpr double HANDLE_TOP = 4;
constexpr double HANDLE_HEIGHT = 28;
constexpr double LABEL_TOP = HANDLE_TOP + HANDLE_HEIGHT + 2;

}  // namespace

TrimBar::TrimBar(QWidget* parent) : QWidget(parent) {
    setAccessibleName("Trim");
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(minimumSizeHint());
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    describe();
}

void TrimBar::setUp(const TrimBarSetup& setup) {
    model_.setUp(setup);
    describe();
    update();
}

void TrimBar::resizeEvent(QResizeEvent*) {
    model_.setLineWidth(width() - 2 * PADDING);
}

QRectF TrimBar::handleRect(TrimHandle handle) const {
    return {PADDING + model_.handleLeft(handle), HANDLE_TOP, TrimBarModel::HANDLE_WIDTH,
            HANDLE_HEIGHT};
}

void TrimBar::setFocusedHandle(TrimHandle handle) {
    focused_ = handle;
    describe();
    update();
}

// Screen readers hear which handle has the focus and its time.
void TrimBar::describe() {
    const bool start = focused_ == TrimHandle::start;
    setAccessibleDescription(QString("%1 handle at %2")
                                 .arg(start ? "Start" : "End")
                                 .arg(QString::fromStdString(model_.label(focused_)).trimmed()));
}

void TrimBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    ControlLook::paintGround(painter, *this);

    const double lineY = HANDLE_TOP + HANDLE_HEIGHT / 2;
    painter.setPen(QPen(ControlLook::TRACK, 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(PADDING, lineY), QPointF(width() - PADDING, lineY));
    const TrimBarModel::Span span = model_.highlight();
    const QColor accent = ControlLook::accent(*this);
    painter.setPen(QPen(accent, 4, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(PADDING + span.left, lineY),
                     QPointF(PADDING + span.left + span.width, lineY));

    // The end handle last: it is drawn over the start handle, as the model's hit test assumes.
    for (TrimHandle handle : {TrimHandle::start, TrimHandle::end}) {
        const QRectF box = handleRect(handle);
        const bool focused = hasFocus() && handle == focused_;
        painter.setPen(focused ? QPen(accent, 2) : Qt::NoPen);
        painter.setBrush(ControlLook::MARK);
        painter.drawRoundedRect(box.adjusted(1, 1, -1, -1), 4, 4);
        // A grip, so a handle reads as something to drag.
        painter.setPen(QPen(QColor(0, 0, 0, 110), 1));
        const double x = box.center().x();
        painter.drawLine(QPointF(x, box.top() + 9), QPointF(x, box.bottom() - 9));
    }

    const QFontMetricsF metrics(font());
    const QString startText = QString::fromStdString(model_.label(TrimHandle::start));
    const QString endText = QString::fromStdString(model_.label(TrimHandle::end));
    const TrimBarModel::LabelLefts lefts =
        model_.labelLefts(metrics.horizontalAdvance(startText), metrics.horizontalAdvance(endText));
    painter.setPen(ControlLook::TEXT);
    const double baseline = LABEL_TOP + metrics.ascent();
    painter.drawText(QPointF(PADDING + lefts.start, baseline), startText);
    painter.drawText(QPointF(PADDING + lefts.end, baseline), endText);
}

void TrimBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    const auto handle = model_.handleAt(event->position().x() - PADDING);
    if (!handle) return;
    model_.beginDrag(*handle);
    dragFromX_ = event->position().x();
    setFocusedHandle(*handle);
    emit dragBegan();
}

void TrimBar::mouseMoveEvent(QMouseEvent* event) {
    const auto fraction = model_.dragBy(event->position().x() - dragFromX_);
    if (!fraction) return;
    describe();
    update();
    emit seekRequested(*fraction);
}

void TrimBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !model_.isDragging())
        return QWidget::mouseReleaseEvent(event);
    const TrimRange trim = model_.endDrag();
    describe();
    update();
    emit trimCommitted(trim.from, trim.to);
}

bool TrimBar::event(QEvent* event) {
    // Escape during a drag gives the drag up, not the whole edit.
    if (event->type() == QEvent::ShortcutOverride && model_.isDragging() &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        event->accept();
        return true;
    }
    return claimStepKey(event) || QWidget::event(event);
}

void TrimBar::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && model_.isDragging()) {
        model_.cancelDrag();
        describe();
        update();
        emit dragCancelled();
        return;
    }
    const auto key = stepKeyOf(*event);
    // Keys wait while the mouse holds a handle: the release commits that drag.
    if (!key || model_.isDragging()) return QWidget::keyPressEvent(event);
    const TrimRange trim = model_.press(focused_, *key);
    describe();
    update();
    emit seekRequested(model_.fraction(focused_));
    emit trimCommitted(trim.from, trim.to);
}

void TrimBar::focusInEvent(QFocusEvent* event) {
    // Tabbing in lands on the start handle, Shift+Tab on the end handle.
    if (event->reason() == Qt::TabFocusReason) setFocusedHandle(TrimHandle::start);
    if (event->reason() == Qt::BacktabFocusReason) setFocusedHandle(TrimHandle::end);
    QWidget::focusInEvent(event);
}

bool TrimBar::focusNextPrevChild(bool next) {
    const TrimHandle within = next ? TrimHandle::start : TrimHandle::end;
    if (focused_ == within && !model_.isDragging()) {
        setFocusedHandle(next ? TrimHandle::end : TrimHandle::start);
        return true;
    }
    return QWidget::focusNextPrevChild(next);
}
