#include "store/target.h"

#include "store/posix.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <unistd.h>

namespace target {

namespace {

// Linux follows at most this many links in one path.
constexpr int maxLinks = 40;

Target failed(int error)
{
    return Target {QString(), error, QString()};
}

// Whether the system would refuse to follow the link `info` describes at `link` for this
// process: a link in a sticky folder that everyone may write, owned neither by this user nor by
// the folder's owner.
bool plantedByAnotherUser(const QByteArray &link, const posix::Status &info)
{
    const qsizetype slash = link.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".")
            : slash == 0                ? QByteArray("/")
                                        : link.left(slash);
    const std::optional<posix::Status> folderInfo = posix::fileStatus(folder);
    if (!folderInfo)
        return true; // a folder that cannot be looked at cannot be vouched for
    const bool shared = (folderInfo->st_mode & S_ISVTX) && (folderInfo->st_mode & S_IWOTH);
    return shared && info.st_uid != ::geteuid() && info.st_uid != folderInfo->st_uid;
}

} // namespace

Target resolve(const QString &path)
{
    QByteArray current = QFile::encodeName(path);
    for (int hops = 0; hops <= maxLinks; ++hops) {
        // Refused here so that a path of megabytes never reaches a system call or a message.
        if (current.size() >= PATH_MAX)
            return failed(ENAMETOOLONG);
        const std::optional<posix::Status> info = posix::linkStatus(current);
        if (!info) {
            // A new file, or a folder on the way that is missing or a file: writing reports it.
            if (errno == ENOENT || errno == ENOTDIR)
                return Target {QFile::decodeName(current), 0, QString()};
            return failed(errno);
        }
        if (!S_ISLNK(info->st_mode))
            return Target {QFile::decodeName(current), 0, QString()};
        if (plantedByAnotherUser(current, *info))
            return Target {QString(), EACCES, QFile::decodeName(current)};

        QByteArray link(PATH_MAX, Qt::Uninitialized);
        const ssize_t length = ::readlink(current.constData(), link.data(), size_t(link.size()));
        if (length < 0)
            return failed(errno);
        if (length >= link.size())
            return failed(ENAMETOOLONG);
        link.truncate(qsizetype(length));
        if (!link.startsWith('/')) {
            const qsizetype slash = current.lastIndexOf('/');
            link.prepend(slash >= 0 ? current.left(slash + 1) : QByteArray());
        }
        current = link;
    }
    return failed(ELOOP);
}

} // namespace target
