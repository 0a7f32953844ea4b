#pragma once

#include <QList>

#include "link/protocol.h"

// The switching commands waiting for the wire: what the operator still wants, and
// nothing more. The link owns it and uses it from its own thread only.
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

    // The word is removed before anything is done with it.
    CommandWord takeFirst();

    // Nothing outlives the connection it was made for.
    void clear() { words.clear(); }

    int size() const { return words.size(); }
    const QList<CommandWord> &toList() const { return words; }

private:
    QList<CommandWord> words;
};
