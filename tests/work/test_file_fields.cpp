// The file table's layout and every list read from its field table, pinned: a work file must keep
// its layout to the byte, and the windows their lists.
#include "work/query_line.h"
#include "work/report_columns.h"
#include "work/work_schema.h"

#include <QtTest>

using namespace zek;
using namespace zek::work;
using db::FieldType;

class TestFileFields : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void filetypeLayout() {
        struct Expected {
            const char* name;
            FieldType type;
            int size;
        };
        const Expected expected[] = {
            {"PATH", FieldType::Text, 4096},      {"LONGPATH", FieldType::Text, 4096},
            {"PATHLEVEL", FieldType::Single, 0},  {"PATHNUMBER", FieldType::Single, 0},
            {"NAME", FieldType::Text, 8},         {"LONGNAME", FieldType::Text, 255},
            {"EXTENSION", FieldType::Text, 3},    {"SIZE", FieldType::Long, 0},
            {"DATE", FieldType::Long, 0},         {"TIME", FieldType::Long, 0},
            {"CREATIONDATE", FieldType::Long, 0}, {"CREATIONTIME", FieldType::Long, 0},
            {"ACCESSDATE", FieldType::Long, 0},   {"ACCESSTIME", FieldType::Long, 0},
            {"ARCHIVE", FieldType::Boolean, 0},   {"SYSTEM", FieldType::Boolean, 0},
            {"HIDDEN", FieldType::Boolean, 0},    {"READONLY", FieldType::Boolean, 0},
            {"DIRECTORY", FieldType::Boolean, 0}, {"COMPRESSED", FieldType::Boolean, 0},
            {"TEMPORARY", FieldType::Boolean, 0},
        };
        const db::TableDef def = filetypeDef();
        QCOMPARE(def.name, QString("FILETYPE"));
        QVERIFY(def.indexes.empty());
        QCOMPARE(def.fields.size(), std::size(expected));
        for (std::size_t i = 0; i < def.fields.size(); ++i) {
            const db::FieldDef& f = def.fields[i];
            QCOMPARE(f.name, QString(expected[i].name));
            QCOMPARE(f.type, expected[i].type);
            if (f.type == FieldType::Text) {
                QCOMPARE(f.size, expected[i].size);
                QVERIFY(f.allowZeroLength);
            } else {
                QVERIFY(!f.allowZeroLength);
            }
        }
    }

    // The condition rows' list, and what each name means to a condition, a Detail column and a
    // Summary grouping field.
    void fieldListsAndKinds() {
        QCOMPARE(
            conditionFieldList(),
            QStringList({"",           "LONGPATH", "PATH",     "LONGNAME",     "NAME",         "EXTENSION",
                         "SIZE",       "DATE",     "TIME",     "CREATIONDATE", "CREATIONTIME", "ACCESSDATE",
                         "ACCESSTIME", "ARCHIVE",  "READONLY", "HIDDEN",       "SYSTEM",       "DIRECTORY",
                         "COMPRESSED", "TEMPORARY"}));
        struct Case {
            const char* name;
            FieldKind kind;
            int detailSize;
            FieldType groupingType;
            int groupingSize;
        };
        const Case cases[] = {
            {"LONGPATH", FieldKind::Text, 4096, FieldType::Text, 4096},
            {"PATH", FieldKind::Text, 4096, FieldType::Text, 4096},
            {"LONGNAME", FieldKind::Text, 255, FieldType::Text, 255},
            {"NAME", FieldKind::Text, 8, FieldType::Text, 8},
            {"EXTENSION", FieldKind::Text, 3, FieldType::Text, 3},
            {"SIZE", FieldKind::Size, 26, FieldType::Long, 0},
            {"DATE", FieldKind::Date, 15, FieldType::Long, 0},
            {"CREATIONTIME", FieldKind::Time, 15, FieldType::Long, 0},
            {"ACCESSDATE", FieldKind::Date, 15, FieldType::Long, 0},
            {"HIDDEN", FieldKind::Attribute, 1, FieldType::Boolean, 0},
            {"TEMPORARY", FieldKind::Attribute, 1, FieldType::Boolean, 0},
            {"PATHLEVEL", FieldKind::None, 1, FieldType::Boolean, 0},
            {"FILENUMBER", FieldKind::None, 25, FieldType::Boolean, 0},
            {"%FREE DISKSPACE", FieldKind::None, 40, FieldType::Boolean, 0},
            {"size", FieldKind::None, 1, FieldType::Boolean, 0},
        };
        for (const Case& c : cases) {
            const QString name = c.name;
            QCOMPARE(fieldKind(name), c.kind);
            QCOMPARE(fieldKind(" " + name + " "), c.kind);
            QCOMPARE(detailTextSize(name), c.detailSize);
            const db::TableDef grouped = filesuminttypeDef({}, name, true);
            QCOMPARE(grouped.fields.size(), std::size_t(1));
            QCOMPARE(grouped.fields[0].type, c.groupingType);
            if (c.groupingType == FieldType::Text) {
                QCOMPARE(grouped.fields[0].size, c.groupingSize);
                QVERIFY(!grouped.fields[0].allowZeroLength);
            }
        }
    }

    // A column list may name a field twice (nothing forbids it, and a stored file may): the report
    // tables still get distinct fields, one per column, and are created by the engine.
    void reportTablesWithAColumnListedTwice() {
        const auto column = [](const char* name) { return ReportColumn{name, name, 990, {}, {}}; };
        const ReportColumns detail{column("SIZE"), column("NAME"), column("SIZE"), column("size"),
                                   column("SIZE_2")};
        const ReportColumns summary{column("PATH"), column("SEL"), column("SEL"), column("PATH")};
        auto fieldNames = [](const db::TableDef& def) {
            QStringList names;
            for (const db::FieldDef& f : def.fields)
                names.append(f.name);
            return names;
        };
        QCOMPARE(fieldNames(filedettypeDef(detail)),
                 QStringList({"SIZE", "NAME", "SIZE_2", "size_3", "SIZE_2_2", "SEEKID"}));
        QCOMPARE(fieldNames(filesumtypeDef(summary, "PATH")),
                 QStringList({"PATH", "SEL", "SEL_2", "PATH_2", "SEEKID"}));
        QCOMPARE(fieldNames(filesumtypeDef(summary, "EXTENSION")),
                 QStringList({"PATH", "SEL", "SEL_2", "PATH_2", "EXTENSION", "SEEKID"}));
        QCOMPARE(fieldNames(filesuminttypeDef(summary, "PATH", true)), QStringList({"PATH", "SEL"}));

        QTemporaryDir dir;
        const auto db = db::Database::create(dir.filePath("dup.zek"));
        db->createTable(filedettypeDef(detail));
        db->createTable(filesumtypeDef(summary, "EXTENSION"));
        db->createTable(filesuminttypeDef(summary, "PATH", true));
        QCOMPARE(db->tableDef("FILEDETTYPE").fields.size(), std::size_t(6));
    }

    void defaultDetailColumnsNamesAndWidths() {
        const QStringList names{"FILENUMBER",
                                "LONGPATH",
                                "PATH",
                                "LONGNAME",
                                "NAME",
                                "EXTENSION",
                                "SIZE",
                                "DATE",
                                "TIME",
                                "CREATIONDATE",
                                "CREATIONTIME",
                                "ACCESSDATE",
                                "ACCESSTIME",
                                "ARCHIVE",
                                "READONLY",
                                "HIDDEN",
                                "SYSTEM",
                                "DIRECTORY",
                                "COMPRESSED",
                                "TEMPORARY",
                                "%TOTAL DISKSPACE",
                                "%FREE DISKSPACE",
                                "%OCCUPIED DISKSPACE"};
        const QList<int> widths{480, 3495, 3495, 990, 990, 450, 990, 885, 585, 885, 585, 885,
                                585, 180,  180,  180, 180, 180, 180, 180, 600, 600, 600};
        QStringList gotNames, descriptions, formats;
        QList<int> gotWidths;
        for (const ReportColumn& c : defaultDetailColumns()) {
            gotNames << c.name;
            gotWidths << c.width;
            descriptions << c.description;
            formats << c.format;
            QVERIFY(c.extra.isEmpty());
        }
        QCOMPARE(gotNames, names);
        QCOMPARE(gotWidths, widths);
        QCOMPARE(descriptions.first(), QString("#"));
        QCOMPARE(descriptions.mid(1), names.mid(1));
        QCOMPARE(formats.count(NumberFormat), 2); // FILENUMBER and SIZE
        QCOMPARE(formats.count(PercentFormat), 3);
        QCOMPARE(formats[6], NumberFormat);
    }
};

QTEST_GUILESS_MAIN(TestFileFields)
#include "test_file_fields.moc"
