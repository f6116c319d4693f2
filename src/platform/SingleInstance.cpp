#include "SingleInstance.h"
#include "Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace kv {

QString SingleInstance::defaultLockFile() {
    return Paths::runtimeDir() + QStringLiteral("/Kelvadrin.exe.lock");
}

SingleInstance::SingleInstance(QString lockFile) : m_lockFile(std::move(lockFile)) {
    QDir().mkpath(QFileInfo(m_lockFile).absolutePath());
    const QByteArray path = QFile::encodeName(m_lockFile);
    m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0)
        return; // no marker can be had: let the program run rather than refuse
    int rc;
    do {
        rc = ::flock(m_fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0 && errno == EWOULDBLOCK) {
        m_alreadyRunning = true;
        release();
    }
}

SingleInstance::~SingleInstance() {
    release();
}

void SingleInstance::release() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace kv
