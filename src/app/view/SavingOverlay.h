#pragma once
// What covers the editing screen while a movie is being saved: a progress ring with
// "Saving..NN%" under it and a Cancel button. It covers its parent whole and takes the input
// meant for what is under it. GUI thread.

#include <QWidget>

class ProgressRing;
class QLabel;
class QPushButton;

class SavingOverlay : public QWidget {
    Q_OBJECT
public:
    explicit SavingOverlay(QWidget* parent);
    // Shows the overlay at 0 %.
    void begin();
    // The fraction saved (0...1); the label shows its whole percent, truncated.
    void setProgress(double fraction);

signals:
    void cancelRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    ProgressRing* ring_;
    QLabel* label_;
    QPushButton* cancel_;
};
