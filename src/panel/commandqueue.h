#pragma once

#include <QList>
#include <atomic>

#include "link/protocol.h"

// The switching commands waiting for the wire. Words are appended and taken on the
// GUI thread only; the pacing thread needs to know whether any are waiting, and it
// learns that from an atomic count kept next to the list, never from the list itself.
class CommandQueue
{
public:
    void append(CommandWord word)
    {
        words.append(word);
        waiting.fetch_add(1, std::memory_order_release);
    }

    // GUI thread only. The word is removed before anything is done with it.
    CommandWord takeFirst()
    {
        waiting.fetch_sub(1, std::memory_order_release);
        return words.takeFirst();
    }

    bool isEmpty() const { return words.isEmpty(); }
    int size() const { return words.size(); }
    CommandWord at(int i) const { return words.at(i); }
    const QList<CommandWord> &toList() const { return words; }

    // Safe from any thread; a stale answer costs at most one cycle.
    int pendingCount() const { return waiting.load(std::memory_order_acquire); }

private:
    QList<CommandWord> words;
    std::atomic<int> waiting{0};
};
