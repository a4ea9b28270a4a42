#include "app/recent_files.h"

#include "platform/profile.h"

#include <QDir>

namespace zek {

namespace {

const QString Section = QStringLiteral("Recent File List");
constexpr int DefaultSize = 4;

QString caption(int n, const QString& name) {
    return "&" + QString::number(n) + " " + name;
}

QString afterFirstSpace(const QString& text) {
    const qsizetype space = text.indexOf(' ');
    return space < 0 ? QString() : text.mid(space + 1);
}

bool isWorkingCopy(const QString& name, const QString& workingCopyName) {
    return QDir::cleanPath(name.trimmed()) == QDir::cleanPath(workingCopyName);
}

} // namespace

QString RecentFiles::fileName(int n) const {
    return afterFirstSpace(captions.value(n - 1));
}

void addRecentFile(RecentFiles& recent, const QString& name, const QString& workingCopyName) {
    if (name.trimmed().isEmpty())
        return;
    recent.separatorVisible = true;
    int found = -1;
    for (int i = 0; i < recent.count(); ++i) {
        if (recent.fileName(i + 1) == name) {
            found = i + 1;
            break;
        }
    }
    const bool workingCopy = isWorkingCopy(name, workingCopyName);
    if (found < 0 && !workingCopy) {
        recent.captions.append(caption(recent.count() + 1, name));
        found = recent.count();
    }
    if (found > 1) {
        // Shift the entries above the found one down by one place, renumbering them.
        for (int i = found; i > 1; --i)
            recent.captions[i - 1] = caption(i, afterFirstSpace(recent.captions[i - 2]));
    }
    if (!workingCopy && found >= 1)
        recent.captions[0] = caption(1, name);
    recent.separatorVisible = recent.count() > 0;
}

void loadRecentFiles(RecentFiles& recent, const QString& iniFileName, const QString& workingCopyName) {
    recent = RecentFiles{};
    const QString size = platform::getPrivateProfileString(Section, "SizeOfMRUList", "", iniFileName);
    if (size.trimmed().isEmpty())
        return;
    const int max = platform::getPrivateProfileInt(Section, "SizeOfMRUList", 0, iniFileName);
    for (int i = 1; i <= max; ++i) {
        const QString name =
            platform::getPrivateProfileString(Section, "File" + QString::number(i), "", iniFileName);
        if (name.trimmed().isEmpty() || isWorkingCopy(name, workingCopyName))
            continue;
        recent.captions.append(caption(recent.count() + 1, name));
        recent.separatorVisible = true;
    }
}

void saveRecentFiles(const RecentFiles& recent, const QString& iniFileName) {
    if (recent.count() == 0)
        return;
    // A first exit stores the size and writes the entries under it too, so a file saved in the
    // first session is listed at the next start.
    const QString stored = platform::getPrivateProfileString(Section, "SizeOfMRUList", "", iniFileName);
    if (stored.trimmed().isEmpty())
        platform::writePrivateProfileString(Section, "SizeOfMRUList", QString::number(DefaultSize),
                                            iniFileName);
    const int size = platform::getPrivateProfileInt(Section, "SizeOfMRUList", DefaultSize, iniFileName);
    const int count = std::min(recent.count(), size);
    // A name the settings file cannot give back whole is left out, and the entries after it move
    // up; the places left at the end are emptied, so no entry of an earlier exit stays behind.
    int written = 0;
    for (int i = 1; i <= count; ++i) {
        const QString name = recent.fileName(i);
        if (!platform::isStorableProfileValue(name))
            continue;
        platform::writePrivateProfileString(Section, "File" + QString::number(++written), name, iniFileName);
    }
    for (int i = written + 1; i <= count; ++i)
        platform::writePrivateProfileString(Section, "File" + QString::number(i), QString(), iniFileName);
}

QString recentFileMenuText(const QString& caption) {
    // "&n " marks the number; an "&" of the file name is doubled so the menu shows it.
    const qsizetype space = caption.indexOf(' ');
    if (space < 0)
        return caption;
    QString name = caption.mid(space + 1);
    name.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return caption.left(space + 1) + name;
}

} // namespace zek
