#pragma once

// A pseudo-terminal pair for tests: the panel opens the slave path with its real
// QSerialPort, the test plays the controller on the master end. Closing the master is
// what a pulled USB adapter looks like from the panel's side.

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

class PtyPair
{
public:
    PtyPair() = default;
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;
    ~PtyPair() { closeMaster(); }

    // Opens a new pair; the slave is closed again at once so only the panel holds it.
    bool open()
    {
        closeMaster();
        int slave = -1;
        char name[256] = {};
        if (::openpty(&masterFd, &slave, name, nullptr, nullptr) != 0)
            return false;
        termios tio {};
        ::tcgetattr(slave, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(slave, TCSANOW, &tio);
        ::close(slave);
        ::fcntl(masterFd, F_SETFL, ::fcntl(masterFd, F_GETFL) | O_NONBLOCK);
        path = QString::fromLocal8Bit(name);
        return true;
    }

    QString slavePath() const { return path; }
    bool isOpen() const { return masterFd >= 0; }

    void closeMaster()
    {
        if (masterFd >= 0)
            ::close(masterFd);
        masterFd = -1;
    }

    bool write(const QByteArray &bytes)
    {
        return ::write(masterFd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }

    // Collects what the panel wrote until at least `count` bytes have arrived or the
    // wait runs out, keeping the panel's event loop turning meanwhile (its port writes
    // from the loop).
    QByteArray read(int count, int waitMs = 3000)
    {
        QByteArray got;
        QDeadlineTimer deadline(waitMs);
        while (got.size() < count && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            pollfd p {masterFd, POLLIN, 0};
            if (::poll(&p, 1, 5) > 0 && (p.revents & POLLIN)) {
                char buffer[256];
                const ssize_t n = ::read(masterFd, buffer, sizeof buffer);
                if (n > 0)
                    got.append(buffer, int(n));
            }
        }
        return got;
    }

private:
    int masterFd = -1;
    QString path;
};
