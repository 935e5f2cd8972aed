#pragma once
// In-process broadcast events. An event name is a fresh UUID string (see NotificationName);
// a payload is an optional number. Observers are callbacks owned by the returned token: the
// observer is removed when the token is destroyed, also from inside a callback.
//
// Delivery is always on the main thread: `post` from the main thread delivers at once, in
// registration order; `post` from any other thread hands the delivery to the main queue.
// `addObserver` and token destruction: main thread.

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// A name made the first time it is used, unique for the run.
class NotificationName {
public:
    const std::string& str() const;

private:
    mutable std::once_flag once_;
    mutable std::string name_;
};

class NotificationCenter {
public:
    using Payload = std::optional<double>;
    using Callback = std::function<void(Payload)>;

    class Token {
    public:
        ~Token();
        Token(const Token&) = delete;
        Token& operator=(const Token&) = delete;

    private:
        friend class NotificationCenter;
        struct Entry;
        explicit Token(std::shared_ptr<Entry> entry) : entry_(std::move(entry)) {}
        std::shared_ptr<Entry> entry_;
    };

    static NotificationCenter& defaultCenter();

    [[nodiscard]] std::unique_ptr<Token> addObserver(const NotificationName& name,
                                                     Callback callback);
    void post(const NotificationName& name, Payload payload = std::nullopt);

private:
    void deliver(const std::string& name, Payload payload);

    std::mutex mutex_;
    std::vector<std::shared_ptr<Token::Entry>> entries_;
};
