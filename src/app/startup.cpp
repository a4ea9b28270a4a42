#include "app/startup.h"

#include "platform/host_paths.h"
#include "platform/profile.h"
#include "platform/prompt.h"

#include <QDir>
#include <QFileInfo>

namespace zek {

using platform::msgBox;

namespace {
const QString CrLf = QStringLiteral("\r\n");
const QString Quote = QStringLiteral("\"");
} // namespace

void readStartupSettings(AppState& app) {
    app.iniFileName = platform::settingsFileName();
    app.work.workDirectory.clear();
    if (QFileInfo::exists(app.iniFileName)) {
        QString dir = platform::getPrivateProfileString("Global", "DefaultDirectory", "", app.iniFileName);
        while (dir.endsWith(' '))
            dir.chop(1);
        app.work.workDirectory = dir;
        if (!dir.trimmed().isEmpty() && !QFileInfo(dir).isDir())
            app.work.workDirectory.clear();
    }
    const QString width = platform::getPrivateProfileString("Global", "WscreenWidth", "", app.iniFileName);
    app.screenWidthSetting = width.trimmed().isEmpty() ? 9600 : width.trimmed().toInt();
}

bool isStorableWorkDirectory(const QString& absolutePath) {
    return platform::isStorableProfileValue(absolutePath);
}

QString proposedWorkDirectory() {
    return QDir::home().filePath("ZEK");
}

std::optional<QString> askWorkDirectory(AppState& app, const QString& title, const QString& prompt,
                                        const QString& label, const QString& proposal) {
    platform::WorkDirectoryRequest request{title, prompt, label, proposal};
    for (;;) {
        const std::optional<QString> typed = platform::prompter().workDirectory(request);
        if (!typed)
            return std::nullopt;
        const QString dir = typed->trimmed();
        // A name the settings file cannot give back whole is not a path the program can keep: it is
        // neither created nor used.
        const bool storable = dir.isEmpty() || isStorableWorkDirectory(QDir(dir).absolutePath());
        bool usable = storable && !dir.isEmpty() && QFileInfo(dir).isDir();
        if (storable && !usable && !dir.isEmpty())
            usable = QDir().mkpath(dir) && QFileInfo(dir).isDir();
        if (storable && !usable) {
            msgBox("I am sorry, but I couldn't create the subdirectory " + *typed +
                       ", please specify a new one.",
                   platform::MbOkOnly + platform::MbCritical, "Create Directory");
        }
        if (usable) {
            const QString absolute = QDir(dir).absolutePath();
            app.work.workDirectory = absolute;
            platform::HostError error;
            if (!platform::writePrivateProfileString("Global", "DefaultDirectory", absolute, app.iniFileName,
                                                     &error))
                msgBox(error.text, platform::MbOkOnly + platform::MbExclamation, title);
            return absolute;
        }
        msgBox("Not a valid path.", platform::MbOkOnly + platform::MbExclamation, title);
        // The dialog comes back with the typed text, selected.
        request.proposal = *typed;
    }
}

bool findHelpFile(AppState& app, const QString& programFolder) {
    app.helpFileName.clear();
    // Beside the program in a build folder; under share/zek of an installation.
    QStringList folders{programFolder, QDir::cleanPath(QDir(programFolder).filePath("../share/zek"))};
    for (const QString& entry : qEnvironmentVariable("PATH").split(':', Qt::SkipEmptyParts))
        folders.append(entry);
    for (const QString& folder : folders) {
        const QString candidate = QDir(folder).filePath("ZEK.HLP");
        if (QFileInfo(candidate).isFile()) {
            app.helpFileName = candidate;
            return true;
        }
    }
    msgBox("ZEK.HLP not found in your path." + CrLf + CrLf +
               "Windows searches your PATH environment variable for help files, " +
               "so you need to copy ZEK.HLP to a directory included in your " +
               "PATH if you wish to obtain help while running ZEK.",
           platform::MbOkOnly + platform::MbExclamation, "ZEK help not available.");
    return false;
}

void readMainWindowSettings(AppState& app) {
    const QString save =
        platform::getPrivateProfileString("Global", "SaveSettingsOnExit", "0", app.iniFileName);
    app.saveSettingsOnExit = save.trimmed().toInt() != 0;
    app.tipStart = platform::getPrivateProfileString("Tip", "Tipstart", " ", app.iniFileName).toUpper();
}

void setSaveSettingsOnExit(AppState& app, bool checked) {
    app.saveSettingsOnExit = checked;
    platform::writePrivateProfileString("Global", "SaveSettingsOnExit", checked ? "-1" : "0",
                                        app.iniFileName);
}

bool askRetryAfterFailure(const QString& failedOperation, const QString& retryOperation) {
    QString text;
    if (failedOperation == "NEW")
        text = "The NEW operation failed." + CrLf + "Retry " + Quote + "NEW" + Quote +
               " or press Cancel to end ZEK.";
    else if (failedOperation == "OPEN")
        text = "The " + Quote + "OPEN" + Quote + " operation failed." + CrLf + "Try " + Quote + "NEW" +
               Quote + " or press Cancel to end ZEK.";
    else
        text = "The " + Quote + failedOperation + Quote + " operation failed." + CrLf + "Retry " + Quote +
               retryOperation + Quote + " or press Cancel to end ZEK.";
    return msgBox(text, platform::MbOkCancel + platform::MbCritical, "ZEK Initialisation Error") ==
           platform::IdOk;
}

} // namespace zek
