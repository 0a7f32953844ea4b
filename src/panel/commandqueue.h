#pragma once

#include <QList>
#include <atomic>

#include "link/protocol.h"

// The switching commands waiting for the wire: what the operator still wants, and
// nothing more. Words are appended and taken on the GUI thread only; the pacing thread
// needs to know whether any are waiting, and it learns that from an atomic count kept
// next to the list, never from the list itself.
class CommandQueue
{
public:
    // A dozen words is more than an operator can press in the second they take to go.
    static constexpr int capacity = 12;

    // A newer choice of TX or receive antenna replaces an older one not yet sent (the
    // older one would only switch the antenna twice); every other word keeps its place
    // in the order. When the queue is full the oldest word gives way: the operator's
    // latest press is the one that counts. Returns how many words were dropped.
    int append(CommandWord word);

    // GUI thread only. The word is removed before anything is done with it.
    CommandWord takeFirst();

    // Nothing outlives the connection it was made for.
    void clear();

    bool isEmpty() const { return words.isEmpty(); }
    int size() const { return words.size(); }
    const QList<CommandWord> &toList() const { return words; }

    // Safe from any thread; a stale answer costs at most one cycle.
    int pendingCount() const { return waiting.load(std::memory_order_acquire); }

private:
    void publishCount() { waiting.store(words.size(), std::memory_order_release); }

    QList<CommandWord> words;
    std::atomic<int> waiting{0};
};
