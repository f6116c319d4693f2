#include "StaleFiles.h"

#include <QFile>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kv::StaleFiles {

namespace {

// The six characters mkstemp() puts in place of "XXXXXX".
constexpr qsizetype kSuffixLength = 6;

bool isSuffixCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool isTemporaryName(QByteArrayView name, QByteArrayView target) {
    if (target.isEmpty() || name.size() != target.size() + 1 + kSuffixLength ||
        !name.startsWith(target) || name[target.size()] != '.')
        return false;
    for (char c : name.sliced(target.size() + 1))
        if (!isSuffixCharacter(c))
            return false;
    return true;
}

} // namespace

bool isTemporaryOf(const QString &fileName, const QString &target) {
    return isTemporaryName(QFile::encodeName(fileName), QFile::encodeName(target));
}

int removeStale(const QString &folder, const QStringList &targets) {
    QList<QByteArray> names;
    for (const QString &target : targets)
        names.append(QFile::encodeName(target));

    const int dirFd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return 0;
    DIR *dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return 0;
    }
    int removed = 0;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArrayView name(entry->d_name);
        bool ours = false;
        for (const QByteArray &target : names)
            ours = ours || isTemporaryName(name, target);
        if (!ours)
            continue;
        struct stat st;
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        if (::unlinkat(dirFd, entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(dir); // closes dirFd too
    return removed;
}

} // namespace kv::StaleFiles
