#pragma once

// The file that is really read and written for a schedule path: a symbolic link at the path is
// followed to its final target, so that every path to one file shares one lock and one save.

#include <QString>

namespace target {

struct Target
{
    QString path;  // the final target; it need not exist yet (a new file, a dangling link)
    int error = 0; // errno when the path cannot be followed (ELOOP, EACCES, ENAMETOOLONG, …)
    // A link that is not followed because another user put it in a shared folder (error is
    // EACCES then); nothing behind it may be read or written.
    QString refusedLink;

    bool ok() const { return error == 0; }
};

// Follows the symbolic links at `path`, up to the system's limit of 40. Folders on the way
// are not resolved: the lock and the save file sit beside the target in whatever folder path
// leads to it, which is the same folder on disk.
//
// A link in a folder that everyone may write and that has the sticky bit (as /tmp) is followed
// only when it belongs to this user or to the folder's owner, the rule the system applies when
// it opens a path: otherwise any user could point the memo file's name at a file of this user's
// (their shell's start-up file, say) and have the next add rewrite it.
Target resolve(const QString &path);

} // namespace target
