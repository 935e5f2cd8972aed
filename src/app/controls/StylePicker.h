#pragma once
// The style picker of the tool panels: one button per style the region offers, each showing
// the current frame through that style's real filter at full intensity, and the style's name.
// Thumbnails are made on a background worker from a shrunk copy of the frame and arrive on the
// GUI thread as they are done; those of a frame that has since been replaced are dropped.
// Buttons: accessible name the style's case name ("pixellate"), caption its catalogue name
// ("PIXELLATE"); arrows move the choice, Enter and Space pick. GUI thread.

#include <QWidget>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

#include "core/StyleKind.h"

class QButtonGroup;
class QHBoxLayout;
class QImage;
class QScrollArea;
class QToolButton;
struct Image;

class StylePicker : public QWidget {
    Q_OBJECT
public:
    explicit StylePicker(QWidget* parent = nullptr);
    ~StylePicker() override;

    // The styles the region offers, in order.
    void setStyles(const std::vector<StyleKind>& styles);
    // The current frame, any size; its pixels must not be written afterwards (the rule for
    // every Image handed on), so copy a buffer its producer reuses.
    void setFrame(const Image& frame);
    // Marks the region's style; emits nothing.
    void setCurrent(StyleKind style);

signals:
    void styleChosen(StyleKind style);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Choice {
        StyleKind style;
        QToolButton* button;
    };
    void renderThumbnails();
    void showThumbnail(int generation, StyleKind style, const QImage& picture);

    std::vector<Choice> choices_;
    std::optional<StyleKind> current_;
    QButtonGroup* group_;
    QHBoxLayout* row_;
    QScrollArea* scroll_;
    std::shared_ptr<const Image> frame_;
    // Counts the frames and style lists asked for; a worker whose count is no longer the
    // latest stops and its thumbnails are dropped.
    std::shared_ptr<std::atomic<int>> generation_;
};
