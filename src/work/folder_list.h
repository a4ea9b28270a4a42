// The chosen folders of the Path Selection window: two parallel lists, the long form of each folder
// (what the user sees and what the walker reads) and its short form.
#pragma once

#include <QStringList>

namespace zek {

struct FolderList {
    QStringList longForms;  // `drivedirlist`
    QStringList shortForms; // `drivedirlist2`, same index

    int count() const { return static_cast<int>(longForms.size()); }
    bool isEmpty() const { return longForms.isEmpty(); }
    void clear() {
        longForms.clear();
        shortForms.clear();
    }
    void append(const QString& longForm, const QString& shortForm) {
        longForms.append(longForm);
        shortForms.append(shortForm);
    }
    bool operator==(const FolderList&) const = default;
};

} // namespace zek
