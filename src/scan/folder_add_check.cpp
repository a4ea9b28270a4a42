#include "scan/folder_add_check.h"

#include "platform/drives.h"
#include "platform/short_names.h"

#include <QFile>

#include <dirent.h>

#include <vector>

namespace zek::scan {

FolderAddCheck checkFolderAddition(const FolderList& list, const QString& candidateLong,
                                   const QString& candidateShort, bool showShortForms) {
    FolderAddCheck check;
    for (int i = 0; i < list.count(); ++i) {
        const QString& listed = list.longForms.at(i);
        FolderAddVerdict verdict = FolderAddVerdict::Accepted;
        if (platform::pathLiesInside(candidateLong, listed))
            verdict = FolderAddVerdict::InsideListed;
        else if (candidateLong == listed)
            verdict = FolderAddVerdict::AlreadyAdded;
        else if (platform::pathLiesInside(listed, candidateLong))
            verdict = FolderAddVerdict::ContainsListed;
        if (verdict == FolderAddVerdict::Accepted)
            continue;

        const QString n = showShortForms ? candidateShort : candidateLong;
        const QString e = showShortForms ? list.shortForms.value(i) : listed;
        check.verdict = verdict;
        check.conflictIndex = i;
        switch (verdict) {
        case FolderAddVerdict::InsideListed:
            check.message =
                "The directory " + n + " is a subdirectory of " + e + ", which is already included.";
            break;
        case FolderAddVerdict::AlreadyAdded:
            check.message = "You have already added " + n + ".";
            break;
        case FolderAddVerdict::ContainsListed:
            check.message =
                "The directory " + e + " is a subdirectory of " + n + ", which is already included.";
            break;
        case FolderAddVerdict::Accepted:
            break;
        }
        return check;
    }
    return check;
}

namespace {

// The short form of `name` among the names of `parent`, as the directory search would give it.
QString shortFormIn(const QByteArray& parent, const QByteArray& name) {
    std::vector<QByteArray> names;
    int position = -1;
    if (DIR* dir = opendir(parent.isEmpty() ? "/" : parent.constData())) {
        while (const dirent* d = readdir(dir)) {
            const char* n = d->d_name;
            if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0')))
                continue;
            if (name == n)
                position = int(names.size());
            names.emplace_back(n);
        }
        closedir(dir);
    }
    const QString shown = platform::displayName(name);
    if (position < 0)
        return platform::shortFormOf(shown, platform::shortNameFor(shown));
    const std::vector<QString> alternates = platform::generateShortNames(names);
    return platform::shortFormOf(shown, alternates[size_t(position)]);
}

} // namespace

QString shortFormOfFolder(const QByteArray& rawAbsolutePath) {
    QString result;
    QByteArray parent;
    for (const QByteArray& name : rawAbsolutePath.split('/')) {
        if (name.isEmpty())
            continue;
        result += u'/' + shortFormIn(parent, name);
        parent += '/' + name;
    }
    return result.isEmpty() ? QStringLiteral("/") : result;
}

bool folderNameKept(const QByteArray& rawAbsolutePath, const QString& longForm) {
    return QFile::encodeName(longForm) == rawAbsolutePath;
}

QString unkeptFolderNameText(const QString& longForm) {
    return "The name of " + longForm +
           " is not valid text, so the list cannot keep it. Please add the folder that holds it: "
           "its scan reads every name as it is on disk.";
}

} // namespace zek::scan
