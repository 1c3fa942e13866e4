#include "pseudoterminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString systemError(const char *what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(strerror(errno)));
}

bool makeRaw(int fd) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) return false;
    cfmakeraw(&settings);
    cfsetspeed(&settings, B9600);
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}

} // namespace

PseudoTerminal::~PseudoTerminal() {
    close();
}

bool PseudoTerminal::open(QString *error) {
    close();
    auto fail = [&](const char *what) {
        if (error) *error = systemError(what);
        close();
        return false;
    };

    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0) return fail("posix_openpt");
    if (grantpt(m_master) != 0) return fail("grantpt");
    if (unlockpt(m_master) != 0) return fail("unlockpt");

    char name[128] = {};
    if (ptsname_r(m_master, name, sizeof name) != 0) return fail("ptsname_r");
    m_slavePath = QString::fromLocal8Bit(name);

    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_slave < 0) return fail("open slave");
    if (!makeRaw(m_slave) || !makeRaw(m_master)) return fail("tcsetattr");

    const int flags = fcntl(m_master, F_GETFL);
    if (flags < 0 || fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0) return fail("fcntl");
    return true;
}

void PseudoTerminal::close() {
    if (m_slave >= 0) ::close(m_slave);
    if (m_master >= 0) ::close(m_master);
    m_slave = -1;
    m_master = -1;
    m_slavePath.clear();
}

qint64 PseudoTerminal::write(const QByteArray &data) {
    if (m_master < 0) return -1;
    for (;;) {
        const ssize_t written = ::write(m_master, data.constData(), size_t(data.size()));
        if (written >= 0) return written;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        if (errno != EINTR) return -1;
    }
}

QByteArray PseudoTerminal::readAll() {
    QByteArray received;
    if (m_master < 0) return received;
    char block[4096];
    for (;;) {
        const ssize_t count = ::read(m_master, block, sizeof block);
        if (count > 0)
            received.append(block, count);
        else if (count < 0 && errno == EINTR)
            continue;
        else
            break; // EAGAIN: drained; 0 or another error: nothing more to take now
    }
    return received;
}

int PseudoTerminal::pendingOnSlave() const {
    int count = 0;
    if (m_slave < 0 || ioctl(m_slave, FIONREAD, &count) != 0) return 0;
    return count;
}

void PseudoTerminal::discardPendingOnSlave() {
    if (m_slave >= 0) tcflush(m_slave, TCIFLUSH);
}

bool PseudoTerminal::holdSlaveOutput(bool held) {
    return m_slave >= 0 && tcflow(m_slave, held ? TCOOFF : TCOON) == 0;
}
