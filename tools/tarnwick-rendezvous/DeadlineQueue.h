#pragma once

#include <chrono>
#include <list>
#include <optional>

namespace tarnwick::rendezvous {

using Clock = std::chrono::steady_clock;

template <typename Item>
class DeadlineQueue;

// An item's one pending wait in a DeadlineQueue. Starting a new wait ends the
// previous one; so does destroying the item, which can therefore never come
// out of a queue after it is gone.
template <typename Item>
class Deadline {
public:
    Deadline() = default;
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;
    ~Deadline() { cancel(); }

    void start(DeadlineQueue<Item>& queue, Item& item, Clock::time_point now) {
        cancel();
        entry_ = queue.entries_.insert(queue.entries_.end(), {now + queue.wait_, &item, this});
        queue_ = &queue;
    }
    void cancel() {
        if (queue_) queue_->entries_.erase(entry_);
        queue_ = nullptr;
    }

private:
    friend class DeadlineQueue<Item>;
    DeadlineQueue<Item>* queue_ = nullptr;
    typename DeadlineQueue<Item>::Entries::iterator entry_;
};

// Waits of one kind all last the same time, so they expire in the order they
// began: a list kept in that order is the whole timer of an event loop, with
// nothing to do for the thousands of connections that sit waiting.
template <typename Item>
class DeadlineQueue {
public:
    explicit DeadlineQueue(Clock::duration wait) : wait_(wait) {}
    DeadlineQueue(const DeadlineQueue&) = delete;
    DeadlineQueue& operator=(const DeadlineQueue&) = delete;

    // The item whose wait ran out first, by now, taken out of the queue;
    // null when none has.
    Item* takeExpired(Clock::time_point now) {
        if (entries_.empty() || entries_.front().due > now) return nullptr;
        Item* item = entries_.front().item;
        entries_.front().owner->queue_ = nullptr;
        entries_.pop_front();
        return item;
    }

    // When the first wait runs out, if any is pending.
    std::optional<Clock::time_point> nextDue() const {
        if (entries_.empty()) return std::nullopt;
        return entries_.front().due;
    }

private:
    friend class Deadline<Item>;
    struct Entry {
        Clock::time_point due;
        Item* item;
        Deadline<Item>* owner;
    };
    using Entries = std::list<Entry>;

    Clock::duration wait_;
    Entries entries_;
};

}  // namespace tarnwick::rendezvous
