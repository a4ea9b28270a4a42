// Every input the fuzz targets once crashed on, and their seed inputs, run again through the very
// same checks on each build: fuzz/regressions/<target>/* and fuzz/corpus/<target>/seed-*.
#define ZEK_FUZZ_REGRESSION
#include "../../fuzz/fuzz_dialect.cpp"
#include "../../fuzz/fuzz_profile.cpp"
#include "../../fuzz/fuzz_short_names.cpp"
#include "../../fuzz/fuzz_value_entry.cpp"
#include "../../fuzz/fuzz_work_file.cpp"

#include "support/scripted_prompter.h"

#include <QDirIterator>
#include <QtTest>

namespace {

using Check = int (*)(const uint8_t*, size_t);

// The saved inputs of one target; fails when a folder that should hold some is empty.
QStringList savedInputs(const QString& target) {
    const QDir root(qEnvironmentVariable("ZEK_TEST_SOURCE_DIR") + QStringLiteral("/fuzz"));
    QStringList files;
    for (const QString& folder : {QStringLiteral("regressions/"), QStringLiteral("corpus/")}) {
        QDirIterator it(root.filePath(folder + target), QDir::Files);
        while (it.hasNext()) {
            const QString file = it.next();
            if (folder.startsWith(QStringLiteral("regressions")) || QFileInfo(file).fileName().startsWith("seed-"))
                files << file;
        }
    }
    files.sort();
    return files;
}

void runAll(const QString& target, Check check) {
    const QStringList files = savedInputs(target);
    QVERIFY2(!files.isEmpty(), qPrintable(target));
    for (const QString& file : files) {
        QFile f(file);
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(file));
        const QByteArray bytes = f.readAll();
        qInfo("%s", qPrintable(QFileInfo(file).fileName()));
        check(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    }
}

} // namespace

class FuzzRegressionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dialect() { runAll("dialect", zek::fuzz::dialectInput); }
    void profile() { runAll("profile", zek::fuzz::profileInput); }
    void shortNames() { runAll("short_names", zek::fuzz::shortNamesInput); }
    void valueEntry() {
        zek::test::ScriptedPrompter prompter; // answers the refusal box of leaving a value box
        runAll("value_entry", zek::fuzz::valueEntryInput);
    }
    void workFile() {
        zek::test::ScriptedPrompter prompter;
        runAll("work_file", zek::fuzz::workFileInput);
        // The opener's seed is the program's own file: it opens without a word.
        const QString seed = zek::fuzz::scratchDir() + "/seed.zek";
        zek::fuzz::writeWorkFileSeed(seed);
        prompter.clear();
        QFile f(seed);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        zek::fuzz::workFileInput(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
        QCOMPARE(prompter.texts(), QStringList());
    }
};

QTEST_MAIN(FuzzRegressionTest)
#include "test_fuzz_regressions.moc"
