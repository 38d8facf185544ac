#pragma once
// EventQueue<T>: the ring of 65536 events behind SDLKeyboard and SDLMouse.
//
// The ring holds at most 65535 events: when it is full, the oldest event is dropped to make
// room, so a burst that nobody reads loses its beginning but never reads as an empty queue.

#include "core/Exception.h"

#include <cstdint>
#include <memory>

namespace Nimbrel::Input {

template <class T>
class EventQueue {
public:
    static constexpr uint32_t Size = 65536;

    EventQueue() : ring(new T[Size]) {}

    void Push(const T& event)
    {
        ring[write] = event;
        write = (write + 1) % Size;
        if (write == read)
            read = (read + 1) % Size;
    }
    bool HasNext() const { return read != write; }
    // Throws the given message when the queue is empty.
    T Next(const char* emptyMessage)
    {
        if (read == write)
            throw Exception(emptyMessage);
        T event = ring[read];
        read = (read + 1) % Size;
        return event;
    }

private:
    std::unique_ptr<T[]> ring;
    uint32_t read = 0;
    uint32_t write = 0;
};

}  // namespace Nimbrel::Input
