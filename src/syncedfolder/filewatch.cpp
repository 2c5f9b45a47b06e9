#include "syncedfolder/filewatch.h"

#include "store/posix.h"
#include "store/target.h"

#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>

FileWatch::FileWatch(QObject *parent) : QObject(parent), m_watcher(new QFileSystemWatcher(this))
{
    m_delay.setSingleShot(true);
    m_delay.setInterval(delay);
    connect(&m_delay, &QTimer::timeout, this, &FileWatch::settled);
    m_folderRetry.setInterval(folderRetry);
    connect(&m_folderRetry, &QTimer::timeout, this, [this] {
        watchFolder();
        // The file may have come back with it.
        if (!m_folderRetry.isActive())
            noticed();
    });
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &FileWatch::noticed);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &FileWatch::noticed);
}

void FileWatch::watch(const QString &path)
{
    if (const QStringList files = m_watcher->files(); !files.isEmpty())
        m_watcher->removePaths(files);
    if (const QStringList folders = m_watcher->directories(); !folders.isEmpty())
        m_watcher->removePaths(folders);
    m_delay.stop();
    m_changePending = false;
    m_folderRetry.stop();
    m_path = path;
    m_target.clear();
    if (path.isEmpty())
        return;
    const target::Target file = target::resolve(path);
    m_target = file.ok() ? file.path : path;
    watchFolder();
    watchFileAgain();
    m_seen = stampNow();
}

FileWatch::Stamp FileWatch::stampNow() const
{
    const std::optional<posix::Status> status = posix::fileStatus(QFile::encodeName(m_target));
    if (m_target.isEmpty() || !status)
        return {};
    return Stamp {true, status->st_dev, status->st_ino, qint64(status->st_size),
                  qint64(status->st_ctim.tv_sec) * 1000000000 + status->st_ctim.tv_nsec};
}

void FileWatch::settled()
{
    const Stamp now = stampNow();
    if (now == m_seen && !m_changePending) {
        emit folderChanged();
        return;
    }
    m_changePending = false;
    m_seen = now;
    emit changed();
}

void FileWatch::watchFolder()
{
    const QString folder = QFileInfo(m_target).absolutePath();
    if (m_watcher->directories().contains(folder))
        return;
    if (QFileInfo(folder).isDir() && m_watcher->addPath(folder))
        m_folderRetry.stop();
    else
        m_folderRetry.start();
}

void FileWatch::noticed()
{
    // A replaced file is no longer watched under its name; the new one is. A removed folder
    // is no longer watched either.
    watchFileAgain();
    watchFolder();
    // Not restarted by later changes: a folder that never rests must not hold the signal back.
    if (!m_delay.isActive())
        m_delay.start();
}

void FileWatch::watchFileAgain()
{
    if (m_target.isEmpty())
        return;
    // Watched anew even when still listed: a watch may still follow the replaced file.
    if (m_watcher->files().contains(m_target))
        m_watcher->removePath(m_target);
    if (QFileInfo(m_target).isFile())
        m_watcher->addPath(m_target);
}
