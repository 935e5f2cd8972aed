#pragma once
// The home screen's grid of square video thumbnails: 3, 5 or 7 columns as the window widens,
// 2-pixel gaps, each cell the thumbnail cropped to a square with the duration in its corner.
// Arrow keys move, Enter or a double click opens (`activated`). GUI thread.

#include <QListView>

class ThumbnailDelegate;

class ThumbnailGrid : public QListView {
    Q_OBJECT
public:
    explicit ThumbnailGrid(QWidget* parent = nullptr);

    int columns() const { return columns_; }
    // Narrow windows show 3 columns, middling ones 5, wide ones 7.
    static int columnsForWidth(int width);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layOutCells();
    ThumbnailDelegate* delegate_;
    int columns_ = 3;
};
