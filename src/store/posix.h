#pragma once

// The few system calls the store makes on files, in a form that cannot leak: the status of a
// file as an optional value, whether two statuses are one file, and a file descriptor that
// closes itself. Each function leaves errno as the system call set it.

#include <QByteArray>

#include <optional>
#include <sys/stat.h>

namespace posix {

using Status = struct ::stat;

// Returns: the status of the file at `path`, a symbolic link followed; nullopt when stat fails.
std::optional<Status> fileStatus(const QByteArray &path);
// The same for the link itself, not followed (lstat).
std::optional<Status> linkStatus(const QByteArray &path);
// The same for an open file.
std::optional<Status> fileStatus(int fd);
// The same for `name` in the folder open as `folderFd`, a link not followed.
std::optional<Status> linkStatusAt(int folderFd, const char *name);

// Returns: true when both statuses are present and describe one file (device and inode).
bool sameFile(const std::optional<Status> &a, const std::optional<Status> &b);

// Returns: everything that is left to read from `fd`, which is expected to hold about
// `expectedSize` bytes (a file that grows meanwhile is read whole); a null array when a read
// failed, with errno saying why.
QByteArray readToEnd(int fd, qsizetype expectedSize);

// An open file descriptor, closed when its owner goes; moved, never copied.
class FileDescriptor
{
public:
    FileDescriptor() = default;
    // Takes `fd` (negative: none, as a failed open() returns).
    explicit FileDescriptor(int fd) : m_fd(fd) { }
    ~FileDescriptor() { reset(); }
    FileDescriptor(FileDescriptor &&other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    FileDescriptor &operator=(FileDescriptor &&other) noexcept;
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    // Closes the file now, if one is open.
    void reset();

private:
    int m_fd = -1;
};

} // namespace posix
