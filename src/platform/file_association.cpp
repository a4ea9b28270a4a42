#include "platform/file_association.h"

#include "platform/host_paths.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QtDebug>

namespace zek::platform {
namespace {

// One argument of an Exec line: quoted when it holds a reserved character, then escaped as every
// desktop-entry string value is.
QString execArgument(const QString& arg) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#`()");
    bool quote = arg.isEmpty();
    for (QChar c : arg)
        quote = quote || reserved.contains(c);
    QString out;
    if (quote) {
        out += QLatin1Char('"');
        for (QChar c : arg) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\'))
                out += QLatin1Char('\\');
            out += c;
        }
        out += QLatin1Char('"');
    } else {
        out = arg;
    }
    out.replace(QLatin1Char('%'), QStringLiteral("%%"));

    QString escaped;
    for (QChar c : out) {
        if (c == QLatin1Char('\\'))
            escaped += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            escaped += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            escaped += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            escaped += QStringLiteral("\\r");
        else
            escaped += c;
    }
    return escaped;
}

// Writes the file unless it already holds exactly these bytes; true when it changed.
bool writeIfChanged(const QString& fileName, const QByteArray& contents) {
    QFile existing(fileName);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == contents)
        return false;
    HostError error;
    if (!replaceFileContents(fileName, contents, &error)) {
        qWarning("File association not written (%d): %s", error.number, qPrintable(error.text));
        return false;
    }
    return true;
}

void runDetached(const QString& tool, const QString& folder) {
    const QString program = QStandardPaths::findExecutable(tool);
    if (!program.isEmpty())
        QProcess::startDetached(program, {folder});
}

} // namespace

QByteArray mimePackageContents() {
    // The work file starts with SQLite's header; naming that type as the parent keeps the glob in
    // charge when a desktop also recognises the content.
    return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                             "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                             "  <mime-type type=\"application/x-zek\">\n"
                             "    <comment>ZEK Database</comment>\n"
                             "    <sub-class-of type=\"application/vnd.sqlite3\"/>\n"
                             "    <glob pattern=\"*.zek\"/>\n"
                             "  </mime-type>\n"
                             "</mime-info>\n");
}

QByteArray desktopEntryContents(const QString& programPath) {
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=ZEK\n"
                                        "Exec=%1 %f\n"
                                        "MimeType=application/x-zek;\n"
                                        "Terminal=false\n"
                                        "Categories=Utility;\n")
                             .arg(execArgument(programPath));
    return text.toUtf8();
}

void writeFileAssociation(const QString& programPath, CacheUpdate caches) {
    const QString data = dataHome();
    const QString mimeFolder = data + QStringLiteral("/mime");
    const QString appFolder = data + QStringLiteral("/applications");
    const bool mimeChanged =
        writeIfChanged(mimeFolder + QStringLiteral("/packages/zek.xml"), mimePackageContents());
    const bool desktopChanged =
        writeIfChanged(appFolder + QStringLiteral("/zek.desktop"), desktopEntryContents(programPath));
    if (caches == CacheUpdate::Skip)
        return;
    if (mimeChanged)
        runDetached(QStringLiteral("update-mime-database"), mimeFolder);
    if (desktopChanged)
        runDetached(QStringLiteral("update-desktop-database"), appFolder);
}

} // namespace zek::platform
