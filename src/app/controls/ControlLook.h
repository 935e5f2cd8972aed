#pragma once
// The shared controls' colours: light marks on a dark ground, like the editing screen's
// preview, with the palette's highlight for what is chosen or focused. GUI thread.

#include <QColor>

class QPainter;
class QScrollArea;
class QWidget;

namespace ControlLook {

inline const QColor GROUND(36, 36, 40);
inline const QColor TRACK(255, 255, 255, 60);
inline const QColor MARK(245, 245, 245);
inline const QColor TEXT(220, 220, 224);
inline constexpr double CORNER_RADIUS = 6;

// What is chosen or focused: the palette's highlight.
QColor accent(const QWidget& widget);
// Labels and captions in TEXT.
void useLightText(QWidget& widget);
// Fills the widget with the dark ground, rounded.
void paintGround(QPainter& painter, const QWidget& widget);
// A frameless scroll area of `parent` holding `content`, scrolling along `scrolls` only, through
// which the ground shows.
QScrollArea* clearScrollArea(QWidget* content, Qt::Orientation scrolls, QWidget* parent);

}  // namespace ControlLook
