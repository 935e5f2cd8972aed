#pragma once
// The preview area: shows the latest frame the player presented, fitted into the widget with
// the video's aspect on a dark backdrop. Frames arrive on the player's thread and are painted
// on the GUI thread.

#include <QImage>
#include <QWidget>
#include <mutex>

#include "platform/image/Image.h"

class PreviewView : public QWidget {
    Q_OBJECT
public:
    explicit PreviewView(QWidget* parent = nullptr);
    // Any thread: the frame to show next.
    void showFrame(const Image& frame);
    // GUI thread: shows nothing (no video open).
    void clear();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::mutex mutex_;
    QImage frame_;
};
