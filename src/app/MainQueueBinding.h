#pragma once
// Runs the main queue's tasks on Qt's event loop: a post from any thread schedules a run on the
// GUI thread, and a timer wakes the loop for the next timed task. GUI thread.

#include <QObject>
#include <QTimer>

class MainQueueBinding : public QObject {
    Q_OBJECT
public:
    explicit MainQueueBinding(QObject* parent = nullptr);
    ~MainQueueBinding() override;

private:
    void runDue();
    QTimer timer_;
};
