#pragma once
// The panel of the face being edited: how it is hidden (not at all, a circle, a rectangle or an
// emoji), the style with its intensity or the edge's softness, the emoji, the enlargement, and
// the part of the video in which it is hidden. Each control calls the face editor at once, so
// the preview shows the change; Cancel and Done of the edit bar put back or keep the edit.
// GUI thread.

#include <QWidget>
#include <functional>

class EditSession;
class EmojiPicker;
class QAbstractButton;
class QButtonGroup;
class QLabel;
class ScaleBar;
class StylePicker;
class TrackedRegion;
class TrimBar;
class ValueSlider;
struct Image;

class FacePanel : public QWidget {
    Q_OBJECT
public:
    // Hands the source frame on screen to its argument, later, on this thread.
    using CaptureFrame = std::function<void(std::function<void(Image)>)>;

    explicit FacePanel(QWidget* parent = nullptr);
    // The session (null: none) and where the style thumbnails' frame comes from.
    void setSession(EditSession* session, CaptureFrame captureFrame);
    // A face was picked: shows its look and trim, and styles the thumbnails from the frame on
    // screen.
    void beginEditing();
    // Shows the selected face's look and trim as the editor has them now.
    void showSelected();

private:
    // The region of the person being edited, if any.
    const TrackedRegion* selectedRegion() const;
    QWidget* makeCoverRow();
    QWidget* makeLookRow();
    QWidget* makePlaceRow();
    void showSliderValue();
    void showTrim();
    void onSliderChanged(double value);

    EditSession* session_ = nullptr;
    CaptureFrame captureFrame_;
    QButtonGroup* covers_;
    QLabel* notHidden_;
    QWidget* style_;
    StylePicker* styles_;
    QButtonGroup* sliderModes_;
    ValueSlider* slider_;
    EmojiPicker* emoji_;
    ScaleBar* scale_;
    TrimBar* trim_;
    bool trimDragging_ = false;
};
