#include "platform/drives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace zek::platform {

namespace {

// mountinfo writes blanks, tabs, newlines and backslashes in paths as "\ooo".
QByteArray unescapeMountField(const QByteArray& field) {
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field.at(i);
        if (c == '\\' && i + 3 < field.size()) {
            const QByteArray digits = field.mid(i + 1, 3);
            bool ok = false;
            const int value = digits.toInt(&ok, 8);
            if (ok && digits.size() == 3 && value < 256) {
                out.append(char(value));
                i += 3;
                continue;
            }
        }
        out.append(c);
    }
    return out;
}

bool isAtOrBelow(const QString& path, const QString& folder) {
    return path == folder || path.startsWith(folder + u'/');
}

bool isFolder(const QString& path) {
    struct statx st {};
    // Do not wake an automounter nor wait for a network server just to list the drives.
    return statx(AT_FDCWD, QFile::encodeName(path).constData(), AT_STATX_DONT_SYNC | AT_NO_AUTOMOUNT,
                 STATX_TYPE, &st) == 0 &&
           S_ISDIR(st.stx_mode);
}

std::vector<DriveInfo> readMounts() {
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parseMountInfo(file.readAll()); // a proc file: its size is unknown until read
}

} // namespace

std::vector<DriveInfo> parseMountInfo(const QByteArray& mountInfo) {
    std::vector<DriveInfo> mounts;
    for (const QByteArray& line : mountInfo.split('\n')) {
        // id parent major:minor root mount-point options [optional fields...] - type source super-options
        const QList<QByteArray> fields = line.simplified().split(' ');
        const qsizetype separator = fields.indexOf(QByteArrayLiteral("-"), 6);
        if (fields.size() < 7 || separator < 0 || separator + 2 >= fields.size())
            continue;
        DriveInfo mount;
        bool idOk = false;
        mount.mountId = fields.at(0).toInt(&idOk);
        if (!idOk)
            continue;
        mount.root = QFile::decodeName(unescapeMountField(fields.at(4)));
        mount.fsType = QString::fromUtf8(unescapeMountField(fields.at(separator + 1)));
        mount.device = QFile::decodeName(unescapeMountField(fields.at(separator + 2)));
        mounts.push_back(std::move(mount));
    }
    return mounts;
}

bool isRealDrive(const DriveInfo& mount) {
    static const QStringList PseudoTypes =
        QStringLiteral("proc sysfs cgroup cgroup2 devpts devtmpfs mqueue securityfs debugfs tracefs pstore "
                       "bpf autofs fusectl configfs hugetlbfs binfmt_misc efivarfs rpc_pipefs nsfs selinuxfs "
                       "nfsd fuse.gvfsd-fuse fuse.portal")
            .split(u' ');
    if (PseudoTypes.contains(mount.fsType))
        return false;
    if (mount.fsType == QLatin1String("overlay") && mount.root != QLatin1String("/"))
        return false;
    const QString& root = mount.root;
    if (isAtOrBelow(root, QStringLiteral("/proc")) || isAtOrBelow(root, QStringLiteral("/sys")) ||
        isAtOrBelow(root, QStringLiteral("/dev")) || root.startsWith(QLatin1String("/snap/")))
        return false;
    if (isAtOrBelow(root, QStringLiteral("/run")) && !root.startsWith(QLatin1String("/run/media/")))
        return false;
    return true;
}

std::vector<DriveInfo> allMounts() {
    return readMounts();
}

std::vector<DriveInfo> mountedDrives() {
    // A later mount on the same point hides the earlier one.
    std::vector<DriveInfo> topmost;
    for (DriveInfo& mount : readMounts()) {
        std::erase_if(topmost, [&](const DriveInfo& d) { return d.root == mount.root; });
        topmost.push_back(std::move(mount));
    }
    std::erase_if(topmost, [](const DriveInfo& d) { return !isRealDrive(d) || !isFolder(d.root); });
    std::sort(topmost.begin(), topmost.end(),
              [](const DriveInfo& a, const DriveInfo& b) { return a.root < b.root; });
    return topmost;
}

bool pathLiesInside(const QString& path, const QString& root) {
    if (root.isEmpty())
        return false;
    if (root.endsWith(u'/'))
        return path.startsWith(root);
    return path.size() > root.size() && path.startsWith(root) && path.at(root.size()) == u'/';
}

QString rootOf(const QString& path, const std::vector<DriveInfo>& mounts) {
    if (path.isEmpty())
        return {};
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString best;
    for (const DriveInfo& mount : mounts) {
        if ((clean == mount.root || pathLiesInside(clean, mount.root)) && mount.root.size() > best.size())
            best = mount.root;
    }
    return best;
}

QString rootOf(const QString& path) {
    return rootOf(path, allMounts());
}

std::optional<Capacity> driveCapacity(const QString& path, int* errorNumber) {
    struct statvfs vfs {};
    if (statvfs(QFile::encodeName(path).constData(), &vfs) != 0) {
        if (errorNumber)
            *errorNumber = errno;
        return std::nullopt;
    }
    if (errorNumber)
        *errorNumber = 0;
    constexpr auto Max = std::numeric_limits<qint64>::max();
    const auto bytes = [&](unsigned long long blocks) {
        const unsigned long long unit = vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize;
        return unit != 0 && blocks > static_cast<unsigned long long>(Max) / unit ? Max
                                                                                 : qint64(blocks * unit);
    };
    return Capacity{bytes(vfs.f_blocks), bytes(vfs.f_bavail)};
}

} // namespace zek::platform
