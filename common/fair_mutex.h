#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace glimra {

// A mutex that lets waiters in in the order they came. With std::mutex a thread that
// unlocks and at once locks again wins over the one it woke, again and again: a worker
// locking between its steps kept the window's thread waiting for a tenth of a second.
class TFairMutex {
public:
    void lock() {
        std::unique_lock state(State);
        const std::uint64_t ticket = Next++;
        Turn.wait(state, [&] { return Serving == ticket; });
    }
    bool try_lock() {
        std::lock_guard state(State);
        if (Next != Serving)
            return false;
        ++Next;
        return true;
    }
    // Whether another thread waits for its turn; asked by the holder.
    bool Waited() const {
        std::lock_guard state(State);
        return Next - Serving > 1;
    }
    // Turns taken so far, for the tests.
    std::uint64_t Turns() const {
        std::lock_guard state(State);
        return Next;
    }
    void unlock() {
        {
            std::lock_guard state(State);
            ++Serving;
        }
        Turn.notify_all();
    }

private:
    mutable std::mutex State;
    std::condition_variable Turn;
    std::uint64_t Next = 0;    // the ticket the next locker takes
    std::uint64_t Serving = 0; // the ticket that holds the lock, or may take it
};

} // namespace glimra
