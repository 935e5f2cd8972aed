#pragma once
// What the face tool shows under the preview: the strip of persons with the reviewing controls
// ("Hide all", "Hide none", "Previous face", "Next face" and how many persons are hidden), and,
// while a face is being edited, its panel. GUI thread.

#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "platform/dispatch/NotificationCenter.h"

class EditSession;
class FaceStrip;
class QLabel;
class QPushButton;
class QStackedWidget;
enum class Heading;
struct Image;

class FaceToolView : public QWidget {
    Q_OBJECT
public:
    explicit FaceToolView(QWidget* parent = nullptr);
    ~FaceToolView() override;
    // Hands the source frame on screen to its argument, later, on this thread.
    using CaptureFrame = std::function<void(std::function<void(Image)>)>;

    // The session (null: none) and where the style thumbnails' frame comes from.
    void setSession(EditSession* session, CaptureFrame captureFrame);
    // Moves the playhead to the nearest start or last frame of a person's cover.
    void jumpToFace(Heading heading);

private:
    QWidget* makeBrowsePage();
    void showPersons();

    EditSession* session_ = nullptr;
    QStackedWidget* pages_;
    FaceStrip* strip_;
    QPushButton* hideAll_;
    QPushButton* hideNone_;
    QLabel* hiddenCount_;
    QWidget* panel_;
    std::vector<std::unique_ptr<NotificationCenter::Token>> observers_;
};
