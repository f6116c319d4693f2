#pragma once
#include <QString>

namespace kv {

// Marks the one running copy of the program: an advisory lock on a file named
// after "Kelvadrin.exe". The kernel drops the lock when the process ends, so a
// crashed copy never blocks the next start.
class SingleInstance {
public:
    explicit SingleInstance(QString lockFile = defaultLockFile());
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // True when another copy holds the marker already.
    bool alreadyRunning() const { return m_alreadyRunning; }
    // Gives the marker up (a second copy calls this before it ends).
    void release();

    static QString defaultLockFile();
    const QString &lockFile() const { return m_lockFile; }

private:
    QString m_lockFile;
    int m_fd = -1;
    bool m_alreadyRunning = false;
};

} // namespace kv
