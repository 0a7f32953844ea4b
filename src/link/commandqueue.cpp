#include "link/commandqueue.h"

namespace {
// Selections that a newer one of the same letter makes pointless.
bool supersedes(char letter)
{
    return letter == 'S' || letter == 'Y';
}
} // namespace

int CommandQueue::append(CommandWord word)
{
    int dropped = 0;
    const char letter = commandLetter(word);
    if (supersedes(letter)) {
        for (int i = words.size() - 1; i >= 0; --i) {
            if (commandLetter(words.at(i)) == letter) {
                words.removeAt(i);
                ++dropped;
            }
        }
    }
    while (words.size() >= capacity) {
        words.removeFirst();
        ++dropped;
    }
    words.append(word);
    return dropped;
}

CommandWord CommandQueue::takeFirst()
{
    return words.takeFirst();
}
