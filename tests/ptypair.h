#pragma once

// A pseudo-terminal pair: the panel opens slavePath() with its real QSerialPort, the test
// plays the controller on the master. Closing the master is a pulled USB adapter.

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

class PtyPair
{
public:
    PtyPair() = default;
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;
    ~PtyPair() { closeMaster(); }

    // A new raw pair; the slave is closed at once so only the panel holds it.
    bool open()
    {
        closeMaster();
        int slave = -1;
        char name[256] = {};
        if (::openpty(&masterFd, &slave, name, nullptr, nullptr) != 0)
            return false;
        termios tio{};
        ::tcgetattr(slave, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(slave, TCSANOW, &tio);
        ::close(slave);
        ::fcntl(masterFd, F_SETFL, ::fcntl(masterFd, F_GETFL) | O_NONBLOCK);
        path = QString::fromLocal8Bit(name);
        return true;
    }
    QString slavePath() const { return path; }
    void closeMaster()
    {
        if (masterFd >= 0)
            ::close(std::exchange(masterFd, -1));
    }
    bool write(const QByteArray &b) { return ::write(masterFd, b.data(), b.size()) == b.size(); }

    // What the panel wrote, until `count` bytes or the wait is over; the panel's event loop
    // keeps turning meanwhile (its port writes from there).
    QByteArray read(int count, int waitMs = 3000)
    {
        QByteArray got;
        for (QDeadlineTimer deadline(waitMs); got.size() < count && !deadline.hasExpired();) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            pollfd p{masterFd, POLLIN, 0};
            char buffer[256];
            const ssize_t n = ::poll(&p, 1, 5) > 0 ? ::read(masterFd, buffer, sizeof buffer) : 0;
            got.append(buffer, int(qMax<ssize_t>(n, 0)));
        }
        return got;
    }

private:
    int masterFd = -1;
    QString path;
};
