// The add check of the chosen-folder list: a folder may not be added when it is already in the list,
// lies inside a listed folder, or holds one. Used by the Path Selection window and by zek-batch.
#pragma once

#include "work/folder_list.h"

#include <QByteArray>
#include <QString>

namespace zek::scan {

enum class FolderAddVerdict {
    Accepted,
    InsideListed,   // the candidate lies inside a listed folder
    AlreadyAdded,   // the candidate equals a listed folder
    ContainsListed, // a listed folder lies inside the candidate
};

struct FolderAddCheck {
    FolderAddVerdict verdict = FolderAddVerdict::Accepted;
    int conflictIndex = -1; // the list position that decided, -1 when accepted
    QString message;        // the refusal's text, empty when accepted

    bool accepted() const { return verdict == FolderAddVerdict::Accepted; }
};

// Compares the candidate's long form with each listed long form in list order; the first conflict
// decides. "Inside" is the host rule: a path lies inside a root when it begins with the root
// followed by "/", or the root ends in "/" and the path begins with it. Case counts (file systems
// here are case-sensitive). The message quotes the short forms when `showShortForms` (the short
// outline was clicked last), else the long forms.
FolderAddCheck checkFolderAddition(const FolderList& list, const QString& candidateLong,
                                   const QString& candidateShort, bool showShortForms);

// Whether the folder's name as the list keeps it (text) leads back to the folder on disk: false for a
// name that is no UTF-8, whose text stands for other bytes. Such a folder is reached by the scan of
// the folder that holds it, which reads every name as its bytes.
bool folderNameKept(const QByteArray& rawAbsolutePath, const QString& longForm);
// The message for a folder that cannot be added for that reason.
QString unkeptFolderNameText(const QString& longForm);

// The short form of an absolute folder path: each name replaced by its short form within its parent
// folder (the alternate the directory search gives it, or the name in upper case), "/" between them.
// "/" stays "/". A parent that cannot be read still yields a form: the name's own first alternate.
QString shortFormOfFolder(const QByteArray& rawAbsolutePath);

} // namespace zek::scan
