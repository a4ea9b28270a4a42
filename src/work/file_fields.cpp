#include "work/file_fields.h"

namespace zek::work {

const QStringList& fileFieldNames() {
    static const QStringList names = [] {
        QStringList list;
        for (const FileFieldDef& f : FileFields)
            list << f.name.toString();
        return list;
    }();
    return names;
}

const FileFieldDef* findFileField(QStringView name) {
    for (const FileFieldDef& f : FileFields) {
        if (name == f.name)
            return &f;
    }
    return nullptr;
}

} // namespace zek::work
