#pragma once

#include <QString>

// The controller's end of a pseudo-terminal, and a stable path (a symbolic link)
// to the panel's end, because the kernel hands out a new /dev/pts number each time.
class PtyEndpoint
{
public:
    PtyEndpoint() = default;
    ~PtyEndpoint();
    PtyEndpoint(const PtyEndpoint &) = delete;
    PtyEndpoint &operator=(const PtyEndpoint &) = delete;

    // Opens a fresh pair; the master is non-blocking.
    bool open(QString *error);
    // Closes both ends we hold: the panel's open end then sees the device go away.
    void close();
    bool isOpen() const { return master >= 0; }

    int masterFd() const { return master; }
    QString slavePath() const { return slaveName; }

    // Points linkPath at the current slave, replacing an older link atomically.
    // Refuses to replace anything that is not a symbolic link.
    bool pointLink(const QString &linkPath, QString *error);
    // Removes linkPath if it is a symbolic link to target: a second simulator that
    // took the path over keeps its link when the first one ends.
    static void removeLink(const QString &linkPath, const QString &target);

private:
    int master = -1;
    // We hold the panel's end open ourselves: otherwise every time the panel
    // closes the port the master reports a hang-up, again and again.
    int slave = -1;
    QString slaveName;
};
