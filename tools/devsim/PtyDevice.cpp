#include "PtyDevice.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString systemError(const char* what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

PtyDevice::~PtyDevice()
{
    hangUp();
}

bool PtyDevice::open(QString& error)
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_master < 0) {
        error = systemError("posix_openpt");
        return false;
    }
    char name[128] = {};
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
        ::ptsname_r(m_master, name, sizeof name) != 0) {
        error = systemError("pseudo-terminal slave");
        hangUp();
        return false;
    }
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios settings{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &settings) != 0) {
        error = systemError(name);
        hangUp();
        return false;
    }
    ::cfmakeraw(&settings);
    ::cfsetispeed(&settings, B9600);
    ::cfsetospeed(&settings, B9600);
    if (::tcsetattr(m_slave, TCSANOW, &settings) != 0) {
        error = systemError("tcsetattr");
        hangUp();
        return false;
    }
    m_path = QString::fromLocal8Bit(name);
    return true;
}

speed_t PtyDevice::lineSpeed() const
{
    termios settings{};
    if (m_master < 0 || ::tcgetattr(m_master, &settings) != 0)
        return B0;
    return ::cfgetospeed(&settings);
}

bool PtyDevice::readAvailable(QByteArray& into, QString& error)
{
    char chunk[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, chunk, sizeof chunk);
        if (n > 0) {
            into.append(chunk, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        error = n == 0 ? QStringLiteral("the line was closed") : systemError("read");
        return false;
    }
}

bool PtyDevice::write(const QByteArray& bytes, QString& error, qsizetype* written)
{
    qsizetype done = 0;
    const auto tell = [&] {
        if (written)
            *written = done;
    };
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, bytes.size() - done);
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        tell();
        error = systemError("write");
        return false;
    }
    tell();
    return true;
}

void PtyDevice::hangUp()
{
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    m_master = -1;
    m_slave = -1;
}

int PtyDevice::baudRate(speed_t speed)
{
    switch (speed) {
    case B1200:
        return 1200;
    case B2400:
        return 2400;
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    default:
        return 0;
    }
}
