#include "platform/dispatch/NotificationCenter.h"

#include <algorithm>
#include <atomic>

#include "platform/dispatch/MainQueue.h"
#include "platform/dispatch/Uuid.h"

struct NotificationCenter::Token::Entry {
    std::string name;
    Callback callback;
    std::atomic<bool> alive{true};
    NotificationCenter* center = nullptr;
};

const std::string& NotificationName::str() const {
    std::call_once(once_, [this] { name_ = makeUuidString(); });
    return name_;
}

NotificationCenter::Token::~Token() {
    entry_->alive = false;
    auto* center = entry_->center;
    std::lock_guard lock(center->mutex_);
    std::erase(center->entries_, entry_);
}

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

std::unique_ptr<NotificationCenter::Token> NotificationCenter::addObserver(
    const NotificationName& name, Callback callback) {
    auto entry = std::make_shared<Token::Entry>();
    entry->name = name.str();
    entry->callback = std::move(callback);
    entry->center = this;
    std::lock_guard lock(mutex_);
    entries_.push_back(entry);
    return std::unique_ptr<Token>(new Token(entry));
}

void NotificationCenter::post(const NotificationName& name, Payload payload) {
    const std::string& key = name.str();
    if (MainQueue::shared().isMainThread()) {
        deliver(key, payload);
    } else {
        MainQueue::shared().post([this, key, payload] { deliver(key, payload); });
    }
}

void NotificationCenter::deliver(const std::string& name, Payload payload) {
    std::vector<std::shared_ptr<Token::Entry>> targets;
    {
        std::lock_guard lock(mutex_);
        for (auto& e : entries_)
            if (e->name == name) targets.push_back(e);
    }
    // The snapshot keeps each callback alive while it runs; `alive` skips observers whose
    // token an earlier callback of this delivery destroyed.
    for (auto& e : targets)
        if (e->alive) e->callback(payload);
}
