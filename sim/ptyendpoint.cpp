#include "ptyendpoint.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString systemError(const char *what)
{
    return QString("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

PtyEndpoint::~PtyEndpoint()
{
    close();
}

bool PtyEndpoint::open(QString *error)
{
    close();
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0) {
        *error = systemError("posix_openpt");
        return false;
    }
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        *error = systemError("grantpt/unlockpt");
        close();
        return false;
    }
    const char *name = ::ptsname(master);
    if (!name) {
        *error = systemError("ptsname");
        close();
        return false;
    }
    slaveName = QString::fromLocal8Bit(name);
    slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave < 0) {
        *error = systemError("open slave");
        close();
        return false;
    }
    // Raw from the start: no echo of our answers back to us, no line editing, no
    // translation of carriage returns, 8 data bits. The panel sets its own mode on
    // open and puts this one back on close.
    termios mode{};
    if (::tcgetattr(slave, &mode) == 0) {
        ::cfmakeraw(&mode);
        ::cfsetispeed(&mode, B9600);
        ::cfsetospeed(&mode, B9600);
        ::tcsetattr(slave, TCSANOW, &mode);
    }
    return true;
}

void PtyEndpoint::close()
{
    if (slave >= 0)
        ::close(slave);
    if (master >= 0)
        ::close(master);
    slave = -1;
    master = -1;
    slaveName.clear();
}

bool PtyEndpoint::pointLink(const QString &linkPath, QString *error)
{
    const QFileInfo link(linkPath);
    if (link.exists() && !link.isSymLink()) {
        *error = linkPath + " exists and is not a symbolic link; not replacing it";
        return false;
    }
    if (!QDir().mkpath(link.absolutePath())) {
        *error = "cannot create the folder " + link.absolutePath();
        return false;
    }
    // Create beside it and rename over it, so the path never goes missing.
    const QByteArray target = QFile::encodeName(slaveName);
    const QByteArray final = QFile::encodeName(link.absoluteFilePath());
    const QByteArray temporary = final + ".new" + QByteArray::number(::getpid());
    ::unlink(temporary.constData());
    if (::symlink(target.constData(), temporary.constData()) != 0) {
        *error = systemError("symlink");
        return false;
    }
    if (::rename(temporary.constData(), final.constData()) != 0) {
        *error = systemError("rename");
        ::unlink(temporary.constData());
        return false;
    }
    return true;
}

void PtyEndpoint::removeLink(const QString &linkPath, const QString &target)
{
    const QFileInfo link(linkPath);
    if (link.isSymLink() && link.symLinkTarget() == target)
        ::unlink(QFile::encodeName(linkPath).constData());
}
