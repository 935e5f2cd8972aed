#include "app/MainQueueBinding.h"

#include <QMetaObject>
#include <chrono>

#include "platform/dispatch/MainQueue.h"

MainQueueBinding::MainQueueBinding(QObject* parent) : QObject(parent) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &MainQueueBinding::runDue);
    MainQueue::shared().bindToCurrentThread();
    MainQueue::shared().setWakeHandler([this] {
        QMetaObject::invokeMethod(this, &MainQueueBinding::runDue, Qt::QueuedConnection);
    });
    runDue();
}

MainQueueBinding::~MainQueueBinding() {
    MainQueue::shared().setWakeHandler({});
}

void MainQueueBinding::runDue() {
    auto next = MainQueue::shared().runPending();
    if (!next) return timer_.stop();
    auto wait = std::chrono::ceil<std::chrono::milliseconds>(*next - MainQueue::Clock::now());
    timer_.start(std::max<int>(0, int(wait.count())));
}
