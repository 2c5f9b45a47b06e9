#pragma once

// Notices that the schedule file changed on disk: another instance added a memo, a sync tool
// brought a new version, or someone edited it by hand. Both the file and its folder are
// watched: a file replaced by rename (as sync tools and this program's own add write) drops
// out of the file watch, and only the folder sees the next replacement; the file is watched
// again after each change. A burst of changes (a tool writing in several steps) gives one
// signal a short while after its first change, and the changes after that signal give another.
// Only a file that is not as last seen (another file, size or time of change) gives changed():
// the folder may be a busy one such as the home folder, and a large file is not read again for
// every change beside it; those give folderChanged(), for the copies sync tools leave there.
// A folder that is missing, or removed (a sync tool or a restored backup makes it anew), is
// looked for every few seconds until it is there to be watched again.

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <sys/types.h>

class QFileSystemWatcher;

class FileWatch : public QObject
{
    Q_OBJECT

public:
    // How long after a change changed() is emitted.
    static constexpr std::chrono::milliseconds delay {200};
    // How often a missing folder is looked for.
    static constexpr std::chrono::seconds folderRetry {2};

    explicit FileWatch(QObject *parent = nullptr);

    // Watches the file at `path` (a symbolic link is followed to the file it names) and its
    // folder, in place of whatever was watched before; "" watches nothing. The file need not
    // exist yet: its folder sees it appear.
    void watch(const QString &path);
    QString watchedPath() const { return m_path; }

    // Emits changed() again after the delay: the last one came at a bad moment.
    void postpone()
    {
        m_changePending = true;
        m_delay.start();
    }

    // Takes the file as it is now as seen: this program wrote it and shows what it wrote.
    void seenAsItIs()
    {
        m_seen = stampNow();
        m_changePending = false;
    }

signals:
    // The file was written, replaced, created or removed.
    void changed();
    // Another file in its folder was written, made or removed; the file is as it was.
    void folderChanged();

private:
    // What tells one state of the file from another without reading it.
    struct Stamp
    {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        qint64 size = 0;
        qint64 changedNs = 0;

        bool operator==(const Stamp &) const = default;
    };

    Stamp stampNow() const;
    void noticed();
    void settled();
    void watchFileAgain();
    // Watches the folder when it is there, and otherwise looks for it again later.
    void watchFolder();

    QFileSystemWatcher *m_watcher = nullptr;
    QTimer m_delay;
    QTimer m_folderRetry;
    QString m_path;   // as given
    QString m_target; // the file really written, links followed
    Stamp m_seen;
    // Set by postpone(): the next signal is changed() even when the file is as last seen, as a
    // file removed under a message box is when the box is closed.
    bool m_changePending = false;
};
