// Kills the real archive and registry code with SIGKILL at random moments and
// checks what is left on disk after each kill:
// - "Archiwum.tra" is exactly 5 110 000 bytes and holds, byte for byte,
//   either the content before the operation that was running or the content
//   after it;
// - after the start-up clean-up no temporary file of the archive is left;
// - the registry passes PRAGMA integrity_check and holds every write the
//   child reported as finished.
// The last line is "N kills, M lost, K left behind".
#include "archive/ArchiveFile.h"
#include "platform/Registry.h"
#include "platform/StaleFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <random>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

using namespace kv;

namespace {

const QString kKey = QStringLiteral("Software\\Kelvadrin\\Terminy");
constexpr int kNames = 16; // registry writes go round this many values

// Operation i of the archive: two appends, then one delete.
void archiveOperation(ArchiveFile &archive, qint64 i) {
    if (i % 3 == 2) {
        if (!archive.remove(1 + int((i * 7) % 64)))
            std::_Exit(3);
        return;
    }
    const QString date = QStringLiteral("%1/%2/%3")
                             .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                             .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                             .arg(i % 100, 2, 10, QLatin1Char('0'));
    const QString message =
        QStringLiteral("Zapis %1: zażółć gęślą jaźń\r\n").arg(i).repeated(int(i % 17));
    if (archive.append(date, message).status != ArchiveFile::AppendResult::Stored)
        std::_Exit(3);
}

QString valueName(qint64 j) {
    return QStringLiteral("Info %1").arg(1 + j % kNames);
}
QString valueText(qint64 j) {
    return QStringLiteral("wartość %1 ").arg(j) + QString(int(j % 997), QChar(u'ł'));
}

void report(char kind, qint64 n) {
    char line[32];
    const int size = std::snprintf(line, sizeof line, "%c %lld\n", kind, static_cast<long long>(n));
    if (::write(STDOUT_FILENO, line, size_t(size)) != size)
        std::_Exit(4);
}

// The child: appends and deletes in the archive on this thread, writes
// registry values on another, and reports each finished step on stdout.
int child(const QString &folder, qint64 archiveStart, qint64 registryStart) {
    ArchiveFile archive(folder);
    Registry registry(QDir(folder).filePath(QStringLiteral("registry.sqlite3")));
    RegKey key = registry.openKey(kKey, true);
    if (::write(STDOUT_FILENO, "ready\n", 6) != 6)
        return 4;
    std::thread writer([&key, registryStart] {
        for (qint64 j = registryStart;; ++j) {
            key.writeString(valueName(j), valueText(j));
            report('r', j);
        }
    });
    for (qint64 i = archiveStart;; ++i) {
        archiveOperation(archive, i);
        report('a', i);
    }
}

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

int temporaryFiles(const QString &folder) {
    int n = 0;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System))
        n += StaleFiles::isTemporaryOf(name, ArchiveFile::kFileName) ? 1 : 0;
    return n;
}

struct Run {
    QByteArray output;
    bool killed = false; // false: the child ended on its own
};

// Starts the child, waits until it is ready, lets it work for the delay and
// kills it.
Run runAndKill(const QStringList &arguments, std::chrono::microseconds delay) {
    Run run;
    int fds[2];
    if (::pipe(fds) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    static const QByteArray self = QFile::encodeName(QFile::symLinkTarget("/proc/self/exe"));
    QList<QByteArray> bytes{self};
    for (const QString &a : arguments)
        bytes.append(QFile::encodeName(a));
    std::vector<char *> argv;
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (spawned != 0) {
        ::close(fds[0]);
        return run;
    }

    // Read until "ready", then for the delay; the pipe is drained all along.
    using Clock = std::chrono::steady_clock;
    const auto giveUp = Clock::now() + std::chrono::seconds(20);
    Clock::time_point killAt = Clock::time_point::max();
    bool open = true;
    while (open) {
        const auto now = Clock::now();
        if (killAt == Clock::time_point::max() && run.output.contains("ready\n"))
            killAt = now + delay;
        if (now >= killAt || now >= giveUp)
            break;
        const auto wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::min(killAt, giveUp) - now);
        pollfd p{fds[0], POLLIN, 0};
        if (::poll(&p, 1, int(std::max<qint64>(wait.count(), 1))) > 0) {
            char buffer[4096];
            const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
            if (n > 0)
                run.output.append(buffer, n);
            else
                open = false;
        }
    }
    run.killed = open && ::kill(pid, SIGKILL) == 0;
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.killed = run.killed && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    // What the child wrote before it died is still in the pipe.
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        run.output.append(buffer, n);
    ::close(fds[0]);
    return run;
}

// The last step of the kind that the child reported as finished, or start - 1.
qint64 lastReported(const QByteArray &output, char kind, qint64 start) {
    qint64 last = start - 1;
    for (const QByteArray &line : output.split('\n'))
        if (line.size() > 2 && line[0] == kind && line[1] == ' ')
            last = std::max(last, line.mid(2).toLongLong());
    return last;
}

bool registryIntact(const QString &file, qint64 lastWrite, QString *problem) {
    sqlite3 *db = nullptr;
    bool ok = sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READWRITE,
                              nullptr) == SQLITE_OK;
    QByteArray result;
    sqlite3_stmt *statement = nullptr;
    if (ok &&
        sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW)
            result += reinterpret_cast<const char *>(sqlite3_column_text(statement, 0));
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    if (result != "ok") {
        *problem = QStringLiteral("integrity check: ") + QString::fromUtf8(result);
        return false;
    }
    // Every value written last holds what was written, except the one the
    // next, unfinished write may have replaced already.
    try {
        Registry registry(file);
        const RegKey key = registry.openKey(kKey, true);
        for (qint64 j = std::max<qint64>(0, lastWrite - kNames + 2); j <= lastWrite; ++j) {
            if (key.stringIfExists(valueName(j)) != valueText(j)) {
                *problem = QStringLiteral("registry write %1 is missing").arg(j);
                return false;
            }
        }
    } catch (const RegistryError &error) {
        *problem = QString::fromLocal8Bit(error.what());
        return false;
    }
    return true;
}

int parent(int kills, unsigned seed) {
    std::printf("crash test: %d kills, seed %u (KV_CRASH_SEED)\n", kills, seed);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delay(0, 150000); // microseconds

    QTemporaryDir data;
    const QString scratchBase = QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                    ? QStringLiteral("/dev/shm")
                                    : QDir::tempPath();
    QTemporaryDir scratch(scratchBase + QStringLiteral("/kv-crash-XXXXXX"));
    if (!data.isValid() || !scratch.isValid())
        return 2;
    const QString archivePath = QDir(data.path()).filePath(ArchiveFile::kFileName);
    const QString scratchPath = QDir(scratch.path()).filePath(ArchiveFile::kFileName);
    const QString registryPath = QDir(data.path()).filePath(QStringLiteral("registry.sqlite3"));

    // A full-size archive with entries in it to begin with.
    qint64 nextOperation = 0;
    {
        ArchiveFile archive(data.path());
        for (; nextOperation < 60; ++nextOperation)
            archiveOperation(archive, nextOperation);
    }
    QByteArray before = readAll(archivePath);
    qint64 lastRegistryWrite = -1;

    int lost = 0;
    int leftBehind = 0;
    int temporaryAfterKill = 0;
    int done = 0;
    for (; done < kills; ++done) {
        const Run run =
            runAndKill({QStringLiteral("child"), data.path(), QString::number(nextOperation),
                        QString::number(lastRegistryWrite + 1)},
                       std::chrono::microseconds(delay(random)));
        if (!run.killed) {
            std::fprintf(stderr, "kill %d: the child ended on its own\n", done + 1);
            ++lost;
            break;
        }
        bool intact = true;

        // The archive: the old content or the new one, nothing else.
        const qint64 lastDone = lastReported(run.output, 'a', nextOperation);
        const QByteArray now = readAll(archivePath);
        if (!writeAll(scratchPath, before))
            return 2;
        QByteArray old;
        QByteArray next;
        {
            ArchiveFile replay(scratch.path());
            for (qint64 i = nextOperation; i <= lastDone; ++i)
                archiveOperation(replay, i);
            old = readAll(scratchPath);
            archiveOperation(replay, lastDone + 1);
            next = readAll(scratchPath);
        }
        if (now.size() != ArchiveFile::kFileSize) {
            std::fprintf(stderr, "kill %d: the archive has %lld bytes\n", done + 1,
                         static_cast<long long>(now.size()));
            intact = false;
        } else if (now == next) {
            nextOperation = lastDone + 2;
        } else if (now == old) {
            nextOperation = lastDone + 1;
        } else {
            std::fprintf(stderr, "kill %d: the archive is neither before nor after step %lld\n",
                         done + 1, static_cast<long long>(lastDone + 1));
            intact = false;
            nextOperation = lastDone + 2;
        }
        before = now;

        // The next start removes what the kill left behind.
        temporaryAfterKill += temporaryFiles(data.path());
        StaleFiles::removeStale(data.path(), {ArchiveFile::kFileName});
        const int left = temporaryFiles(data.path());
        if (left > 0)
            std::fprintf(stderr, "kill %d: %d temporary files left\n", done + 1, left);
        leftBehind += left;

        // The registry: sound, and every finished write in it.
        lastRegistryWrite = lastReported(run.output, 'r', lastRegistryWrite + 1);
        QString problem;
        if (!registryIntact(registryPath, lastRegistryWrite, &problem)) {
            std::fprintf(stderr, "kill %d: %s\n", done + 1, qPrintable(problem));
            intact = false;
        }
        lost += intact ? 0 : 1;
    }
    std::printf("%lld archive steps and %lld registry writes finished; the kills left %d "
                "temporary files, the start-up removed them\n",
                static_cast<long long>(nextOperation),
                static_cast<long long>(lastRegistryWrite + 1), temporaryAfterKill);
    std::printf("%d kills, %d lost, %d left behind\n", done, lost, leftBehind);
    return lost == 0 && leftBehind == 0 && done == kills ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc == 5 && QByteArrayView(argv[1]) == "child")
        return child(QFile::decodeName(argv[2]), QByteArray(argv[3]).toLongLong(),
                     QByteArray(argv[4]).toLongLong());
    int kills = argc > 1 ? std::atoi(argv[1]) : 50;
    if (const QByteArray env = qgetenv("KV_CRASH_KILLS"); !env.isEmpty())
        kills = env.toInt();
    const QByteArray seedText = qgetenv("KV_CRASH_SEED");
    const unsigned seed = seedText.isEmpty() ? std::random_device()() : seedText.toUInt();
    if (kills < 1) {
        std::fprintf(stderr, "usage: kv_crashtest [kills]\n");
        return 2;
    }
    return parent(kills, seed);
}
