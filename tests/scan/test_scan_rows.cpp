// Every field of every record of a scan, against what the tree itself says: the names made, the
// order the file system lists them in, and what lstat and statx tell of each entry. The expected
// short forms are written out by hand.
#include "support/walker_fixture.h"

#include <QScopeGuard>
#include <QTest>

#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

using namespace zek;
using namespace zek::test;

namespace {

enum class Kind { File, Folder, Link, Pipe };

// One entry of the made tree: its path below the chosen folder, what it is, and its short form.
struct MadeEntry {
    const char* path;
    Kind kind;
    const char* shortForm;
    qint64 size = 0;    // files: their length (sparse); links: ignored
    mode_t mode = 0644; // files and folders
    time_t written = 0; // seconds since the epoch; 0 leaves the time the entry got when made
    time_t accessed = 0;
};

// Folders come before their entries.
const MadeEntry Tree[] = {
    {"README.TXT", Kind::File, "README.TXT", 12, 0644, 849'999'999, 1'700'000'001},
    {"Annual report.doc", Kind::File, "ANNUAL~1.DOC", 3000, 0644, 946'684'807, 946'684'800},
    {"archive.tar.gz", Kind::File, "ARCHIV~1.GZ", 0},
    {".secret.txt", Kind::File, "SECRET~1.TXT", 5},
    {"read only.txt", Kind::File, "READON~1.TXT", 7, 0444, 1'709'164'800, 1'709'164'799},
    {"big.bin", Kind::File, "BIG.BIN", 5'368'709'121LL},
    {"link to readme", Kind::Link, "LINKTO~1"},
    {"pipe", Kind::Pipe, "PIPE"},
    {"Letters", Kind::Folder, "LETTERS", 0, 0755, 1'000'000'000, 1'100'000'000},
    {"Music Library", Kind::Folder, "MUSICL~1", 0, 0555},
    {"Empty", Kind::Folder, "EMPTY"},
    {"Letters/Dear John.txt", Kind::File, "DEARJO~1.TXT", 99},
    {"Letters/old", Kind::Folder, "OLD"},
    {"Letters/old/NOTES", Kind::File, "NOTES", 1},
    {"Letters/old/café.txt", Kind::File, "CAF~1.TXT", 2},
    {"Music Library/song.mp3", Kind::File, "SONG.MP3", 4'000'000},
    {"Résumé", Kind::Folder, "RSUM~1"},
    {"Résumé/2024", Kind::Folder, "2024"},
    {"Résumé/2024/cv.txt", Kind::File, "CV.TXT", 10},
    {"bad\xff name", Kind::Folder, "BADNAM~1"},
    {"bad\xff name/x.c", Kind::File, "X.C", 3},
};

bool make(const QByteArray& path, const MadeEntry& e) {
    switch (e.kind) {
    case Kind::File:
        return makeFile(path, e.size);
    case Kind::Folder:
        return ::mkdir(path.constData(), 0755) == 0;
    case Kind::Link:
        return ::symlink("README.TXT", path.constData()) == 0;
    case Kind::Pipe:
        return ::mkfifo(path.constData(), 0644) == 0;
    }
    return false;
}

// Sets the entry's mode and times once everything below it is made (making entries in a folder
// changes its times).
bool finish(const QByteArray& path, const MadeEntry& e) {
    if (e.kind != Kind::Link && e.kind != Kind::Pipe && ::chmod(path.constData(), e.mode) != 0)
        return false;
    if (e.written == 0)
        return true;
    const struct timespec times[2] = {{e.accessed, 0}, {e.written, 0}};
    return utimensat(AT_FDCWD, path.constData(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

const MadeEntry* madeEntry(const QByteArray& relative) {
    for (const MadeEntry& e : Tree) {
        if (relative == e.path)
            return &e;
    }
    return nullptr;
}

void setDateTime(time_t seconds, qint64& date, qint64& time) {
    struct tm t {};
    localtime_r(&seconds, &t);
    date = (t.tm_year + 1900) * 10000 + (t.tm_mon + 1) * 100 + t.tm_mday;
    time = t.tm_hour * 10000 + t.tm_min * 100 + t.tm_sec;
}

// The names of a folder in the order the file system lists them.
QList<QByteArray> listed(const QByteArray& folder) {
    QList<QByteArray> names;
    DIR* dir = opendir(folder.constData());
    if (!dir)
        return names;
    while (const dirent* d = readdir(dir)) {
        const QByteArray name(d->d_name);
        if (name != "." && name != "..")
            names << name;
    }
    closedir(dir);
    return names;
}

// The record the scan should write for `name` in `folder`, from the tree itself.
struct Walked {
    QByteArray relative; // of the folder, "" for the chosen one, else ending in "/"
    QString shortPath;
    int level = 0;
    int number = 0;
};

FileRecord expectedRecord(const QString& top, const Walked& folder, const QByteArray& name, bool temporary) {
    const QByteArray relative = folder.relative + name;
    const MadeEntry* made = madeEntry(relative);
    const QByteArray path = raw(top) + "/" + relative;
    FileRecord r;
    struct statx st {};
    if (!made ||
        statx(AT_FDCWD, path.constData(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &st) != 0)
        return r;
    const QString shortForm = QString::fromLatin1(made->shortForm);
    const qsizetype dot = shortForm.indexOf(u'.');
    r.path = folder.shortPath;
    r.longPath = top + "/";
    // Shown name by name: bytes that are not UTF-8 become U+FFFD.
    for (const QByteArray& part : folder.relative.split('/'))
        r.longPath += part.isEmpty() ? QString() : QString::fromUtf8(part) + "/";
    r.level = folder.level;
    r.number = folder.number;
    r.name = shortForm.left(dot < 0 ? shortForm.size() : dot);
    r.extension = dot < 0 ? QString() : shortForm.mid(dot + 1);
    r.longName = QString::fromUtf8(name);
    r.directory = S_ISDIR(st.stx_mode);
    r.size = r.directory ? 0 : qint64(st.stx_size);
    setDateTime(st.stx_mtime.tv_sec, r.date, r.time);
    setDateTime(st.stx_atime.tv_sec, r.accessDate, r.accessTime);
    setDateTime((st.stx_mask & STATX_BTIME) ? st.stx_btime.tv_sec : st.stx_mtime.tv_sec, r.creationDate,
                r.creationTime);
    r.readOnly = (st.stx_mode & S_IWUSR) == 0;
    r.hidden = name.startsWith('.');
    r.system = !S_ISREG(st.stx_mode) && !r.directory;
    r.archive = S_ISREG(st.stx_mode) && (st.stx_attributes & STATX_ATTR_NODUMP) == 0;
    r.compressed = (st.stx_attributes & STATX_ATTR_COMPRESSED) != 0;
    r.temporary = temporary;
    return r;
}

// A record as "FIELD=value" lines, so that a difference names its field.
QStringList fields(const FileRecord& r) {
    return {"PATH=" + r.path,
            "LONGPATH=" + r.longPath,
            QStringLiteral("PATHLEVEL=%1").arg(r.level),
            QStringLiteral("PATHNUMBER=%1").arg(r.number),
            "NAME=" + r.name,
            "EXTENSION=" + r.extension,
            "LONGNAME=" + r.longName,
            QStringLiteral("SIZE=%1").arg(r.size),
            QStringLiteral("DATE=%1 TIME=%2").arg(r.date).arg(r.time),
            QStringLiteral("CREATIONDATE=%1 CREATIONTIME=%2").arg(r.creationDate).arg(r.creationTime),
            QStringLiteral("ACCESSDATE=%1 ACCESSTIME=%2").arg(r.accessDate).arg(r.accessTime),
            QStringLiteral("READONLY=%1 HIDDEN=%2 SYSTEM=%3 ARCHIVE=%4")
                .arg(r.readOnly)
                .arg(r.hidden)
                .arg(r.system)
                .arg(r.archive),
            QStringLiteral("DIRECTORY=%1 COMPRESSED=%2 TEMPORARY=%3 NULLS=%4")
                .arg(r.directory)
                .arg(r.compressed)
                .arg(r.temporary)
                .arg(r.anyNull)};
}

} // namespace

class TestScanRows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        qputenv("TZ", "ZEK-3");
        tzset();
    }

    void everyFieldOfEveryRecord_data() {
        QTest::addColumn<bool>("readAhead");
        // While its backlog is below this, the writer examines the files and reads the small folders
        // with no folder in them.
        QTest::addColumn<int>("leaveFilesBelow");
        QTest::newRow("reader thread examines every entry") << true << 0;
        QTest::newRow("files and leaves left to the writer") << true << 1'000'000;
        QTest::newRow("same thread") << false << 0;
    }
    void everyFieldOfEveryRecord() {
        QFETCH(bool, readAhead);
        QFETCH(int, leaveFilesBelow);
        WalkerFixture f;
        const QString top = f.tree("Rows Tree");
        for (const MadeEntry& e : Tree)
            QVERIFY2(make(raw(top) + "/" + e.path, e), e.path);
        // A folder without write permission is made writable again, so the tree can be removed.
        const auto writable = qScopeGuard([&] { ::chmod(raw(top + "/Music Library").constData(), 0755); });
        for (auto e = std::rbegin(Tree); e != std::rend(Tree); ++e) // deepest first
            QVERIFY2(finish(raw(top) + "/" + e->path, *e), e->path);
        f.choose({top});
        struct statfs fs {};
        QCOMPARE(statfs(raw(top).constData(), &fs), 0);
        const bool temporary = fs.f_type == TMPFS_MAGIC || fs.f_type == RAMFS_MAGIC;

        // The records expected, breadth-first: the folders numbered in the order they are met, each
        // folder's entries in the order the file system lists them. Every folder is listed before any
        // entry is examined (listing a folder may change its access time), and all before the scan.
        QList<std::pair<Walked, QByteArray>> entries;
        QList<Walked> folders{{QByteArray(), f.ws.settings.folders.shortForms.at(0).toUpper() + "/", 0, 0}};
        for (qsizetype i = 0; i < folders.size(); ++i) {
            const Walked folder = folders.at(i);
            for (const QByteArray& name : listed(raw(top) + "/" + folder.relative)) {
                entries.append({folder, name});
                const QByteArray sub = folder.relative + name;
                const MadeEntry* made = madeEntry(sub);
                QVERIFY2(made, name.constData());
                if (made->kind == Kind::Folder) {
                    folders << Walked{sub + "/",
                                      folder.shortPath + QString::fromLatin1(made->shortForm) + "/",
                                      folder.level + 1, int(folders.size())};
                }
            }
        }
        QList<FileRecord> expected;
        for (const auto& [folder, name] : entries) {
            expected << expectedRecord(top, folder, name, temporary);
            QVERIFY2(!expected.last().longName.isEmpty(), name.constData());
        }
        QCOMPARE(expected.size(), qsizetype(std::size(Tree)));

        RecordingDisplay display;
        QCOMPARE(f.run(display, readAhead, 40, leaveFilesBelow), scan::ScanOutcome::Completed);
        QVERIFY(display.problems.isEmpty());
        const QList<FileRecord> records = f.records();
        QCOMPARE(records.size(), expected.size());
        for (qsizetype i = 0; i < records.size(); ++i)
            QCOMPARE(fields(records.at(i)), fields(expected.at(i)));
    }
};

QTEST_MAIN(TestScanRows)
#include "test_scan_rows.moc"
