#pragma once

// Notices that the schedule file changed on disk: another instance added a memo, a sync tool
// brought a new version, or someone edited it by hand. Both the file and its folder are
// watched: a file replaced by rename (as sync tools and this program's own add write) drops
// out of the file watch, and only the folder sees the next replacement; the file is watched
// again after each change. A burst of changes (a tool writing in several steps) gives one
// signal a short while after its first change, and the changes after that signal give another.

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>

class QFileSystemWatcher;

class FileWatch : public QObject
{
    Q_OBJECT

public:
    // How long after a change changed() is emitted.
    static constexpr std::chrono::milliseconds delay {200};

    explicit FileWatch(QObject *parent = nullptr);

    // Watches the file at `path` (a symbolic link is followed to the file it names) and its
    // folder, in place of whatever was watched before; "" watches nothing. The file need not
    // exist yet: its folder sees it appear.
    void watch(const QString &path);
    QString watchedPath() const { return m_path; }

    // Emits changed() again after the delay: the last one came at a bad moment.
    void postpone() { m_delay.start(); }

signals:
    // The file, or another file in its folder, was written, replaced, created or removed.
    void changed();

private:
    void noticed();
    void watchFileAgain();

    QFileSystemWatcher *m_watcher = nullptr;
    QTimer m_delay;
    QString m_path;   // as given
    QString m_target; // the file really written, links followed
};
