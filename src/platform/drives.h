// Drives: the mounted file systems, their roots and their capacity.
//
// A drive is a mounted file system and its root is its mount point ("/", "/home", "/media/usb").
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace zek::platform {

struct DriveInfo {
    QString root;     // mount point
    QString device;   // mount source ("/dev/sda2", "tmpfs", "server:/export")
    QString fsType;   // "ext4", "vfat", "fuse.sshfs", ...
    int mountId = -1; // the kernel's mount id, as statx reports it in stx_mnt_id
};

// Every mount of /proc/self/mountinfo text, in its order; escapes such as "\040" decoded. Lines that
// do not parse are left out.
std::vector<DriveInfo> parseMountInfo(const QByteArray& mountInfo);

// Whether a mount is offered as a drive: the kernel's own and the desktop's helper file systems are
// not (proc, sysfs, cgroup, devpts, ..., and anything mounted under /proc, /sys, /dev, or under /run
// except removable media in /run/media), nor snap images under /snap; an overlay only when it is
// the root (a container's "/"), since elsewhere it is a container engine's layer. Everything else
// on disk, network or FUSE is offered, tmpfs at /tmp included.
bool isRealDrive(const DriveInfo& mount);

// The drives a user may scan, sorted by root: the real mounts whose mount point is a folder (a
// container mounts single files such as /etc/hosts). A mount point mounted over keeps only its
// topmost mount. Empty when /proc/self/mountinfo cannot be read.
std::vector<DriveInfo> mountedDrives();

// Every mount, pseudo file systems included (for rootOf).
std::vector<DriveInfo> allMounts();

// True when `path` lies inside `root`: it begins with root followed by "/", or root ends in "/"
// and the path begins with it. A path never lies inside itself. Case counts.
bool pathLiesInside(const QString& path, const QString& root);

// The mount point that holds `path`: the longest root that equals it or that it lies inside, among
// `mounts` (rootOf(path) uses allMounts()). The path is cleaned ("//", "/./", "..") first and made
// absolute; symbolic links in it are not resolved. Empty when no root holds it.
QString rootOf(const QString& path, const std::vector<DriveInfo>& mounts);
QString rootOf(const QString& path);

struct Capacity {
    qint64 totalBytes = 0;
    qint64 freeBytes = 0; // free for an ordinary user (f_bavail)
};

// The size and free space of the file system that holds `path` (statvfs). On failure, nothing, and
// `errorNumber` (when given) gets the errno.
std::optional<Capacity> driveCapacity(const QString& path, int* errorNumber = nullptr);

} // namespace zek::platform
