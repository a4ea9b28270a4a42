// The fields of the file table (FILETYPE), described once: the schema, the walker's record writer,
// the condition line's field list and the report columns all read this table.
#pragma once

#include "db/engine.h"

#include <QString>
#include <QStringList>

#include <array>
#include <span>

namespace zek::work {

// Host paths reach 4096 bytes and names 255: the path fields are sized for them so that no
// record and no chosen folder is ever cut.
constexpr int HostPathSize = 4096;
constexpr int HostNameSize = 255;

// How a condition line treats a field: which evaluations and values it takes. None: no field, or
// one that is not a condition field (the folder figures PATHLEVEL and PATHNUMBER).
enum class FieldKind { None, Text, Size, Date, Time, Attribute };

// The file table's fields, in their stored order: the value is the field's position.
enum class FileField {
    Path,
    LongPath,
    PathLevel,
    PathNumber,
    Name,
    LongName,
    Extension,
    Size,
    Date,
    Time,
    CreationDate,
    CreationTime,
    AccessDate,
    AccessTime,
    Archive,
    System,
    Hidden,
    ReadOnly,
    Directory,
    Compressed,
    Temporary,
};
constexpr int FileFieldCount = 21;

struct FileFieldDef {
    FileField field;
    QLatin1String name;
    db::FieldType type;
    int size; // Text fields: their size in characters; 0 for the others
    FieldKind kind;
};

inline constexpr std::array<FileFieldDef, FileFieldCount> FileFields{{
    {FileField::Path, QLatin1String("PATH"), db::FieldType::Text, HostPathSize, FieldKind::Text},
    {FileField::LongPath, QLatin1String("LONGPATH"), db::FieldType::Text, HostPathSize, FieldKind::Text},
    {FileField::PathLevel, QLatin1String("PATHLEVEL"), db::FieldType::Single, 0, FieldKind::None},
    {FileField::PathNumber, QLatin1String("PATHNUMBER"), db::FieldType::Single, 0, FieldKind::None},
    {FileField::Name, QLatin1String("NAME"), db::FieldType::Text, 8, FieldKind::Text},
    {FileField::LongName, QLatin1String("LONGNAME"), db::FieldType::Text, HostNameSize, FieldKind::Text},
    {FileField::Extension, QLatin1String("EXTENSION"), db::FieldType::Text, 3, FieldKind::Text},
    {FileField::Size, QLatin1String("SIZE"), db::FieldType::Long, 0, FieldKind::Size},
    {FileField::Date, QLatin1String("DATE"), db::FieldType::Long, 0, FieldKind::Date},
    {FileField::Time, QLatin1String("TIME"), db::FieldType::Long, 0, FieldKind::Time},
    {FileField::CreationDate, QLatin1String("CREATIONDATE"), db::FieldType::Long, 0, FieldKind::Date},
    {FileField::CreationTime, QLatin1String("CREATIONTIME"), db::FieldType::Long, 0, FieldKind::Time},
    {FileField::AccessDate, QLatin1String("ACCESSDATE"), db::FieldType::Long, 0, FieldKind::Date},
    {FileField::AccessTime, QLatin1String("ACCESSTIME"), db::FieldType::Long, 0, FieldKind::Time},
    {FileField::Archive, QLatin1String("ARCHIVE"), db::FieldType::Boolean, 0, FieldKind::Attribute},
    {FileField::System, QLatin1String("SYSTEM"), db::FieldType::Boolean, 0, FieldKind::Attribute},
    {FileField::Hidden, QLatin1String("HIDDEN"), db::FieldType::Boolean, 0, FieldKind::Attribute},
    {FileField::ReadOnly, QLatin1String("READONLY"), db::FieldType::Boolean, 0, FieldKind::Attribute},
    {FileField::Directory, QLatin1String("DIRECTORY"), db::FieldType::Boolean, 0, FieldKind::Attribute},
    {FileField::Compressed, QLatin1String("COMPRESSED"), db::FieldType::Boolean, 0, FieldKind::Attribute},
    {FileField::Temporary, QLatin1String("TEMPORARY"), db::FieldType::Boolean, 0, FieldKind::Attribute},
}};

// Every entry sits at its field's position, so a reordered table cannot bind values to the wrong fields.
constexpr bool fileFieldsInPositionOrder() {
    for (int i = 0; i < FileFieldCount; ++i) {
        if (static_cast<int>(FileFields[static_cast<std::size_t>(i)].field) != i)
            return false;
    }
    return true;
}
static_assert(fileFieldsInPositionOrder(), "FileFields must list every field at its position");

constexpr int position(FileField field) {
    return static_cast<int>(field);
}
constexpr const FileFieldDef& fileField(FileField field) {
    return FileFields[static_cast<std::size_t>(field)];
}
inline QString fileFieldName(FileField field) {
    return fileField(field).name.toString();
}
// Every field name, in the stored order.
const QStringList& fileFieldNames();
// The file field of that name; nullptr when there is none.
const FileFieldDef* findFileField(QStringView name);

// The order the windows list the file fields in: condition rows, sorters and the Detail report's
// columns. Long forms come before short ones, and the attributes in the order of their marks.
inline constexpr std::array<FileField, 19> ListedFileFields{
    FileField::LongPath,     FileField::Path,         FileField::LongName,   FileField::Name,
    FileField::Extension,    FileField::Size,         FileField::Date,       FileField::Time,
    FileField::CreationDate, FileField::CreationTime, FileField::AccessDate, FileField::AccessTime,
    FileField::Archive,      FileField::ReadOnly,     FileField::Hidden,     FileField::System,
    FileField::Directory,    FileField::Compressed,   FileField::Temporary,
};

} // namespace zek::work
