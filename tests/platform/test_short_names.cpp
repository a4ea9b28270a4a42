#include "platform/short_names.h"

#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <random>

using namespace zek::platform;

namespace {

std::vector<QByteArray> utf8(const QStringList& names) {
    std::vector<QByteArray> raw;
    for (const QString& n : names)
        raw.push_back(n.toUtf8());
    return raw;
}

// Alternates of one folder keyed by long name.
QHash<QString, QString> alternatesOf(const QStringList& names) {
    const std::vector<QString> alternates = generateShortNames(utf8(names));
    QHash<QString, QString> byName;
    for (qsizetype i = 0; i < names.size(); ++i)
        byName.insert(names[i], alternates[size_t(i)]);
    return byName;
}

} // namespace

class TestShortNames : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void validShortNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        QTest::newRow("upper") << "README.TXT" << true;
        QTest::newRow("lower") << "readme.txt" << true;
        QTest::newRow("no extension") << "Makefile" << true;
        QTest::newRow("eight and three") << "ABCDEFGH.XYZ" << true;
        QTest::newRow("specials") << "$%'-_@~`.!()" << true;
        QTest::newRow("more specials") << "{}^#&.A" << true;
        QTest::newRow("tilde name") << "annual~1.doc" << true;
        QTest::newRow("nine base") << "ABCDEFGHI" << false;
        QTest::newRow("four extension") << "A.HTML" << false;
        QTest::newRow("two dots") << "A.B.C" << false;
        QTest::newRow("trailing dot") << "ABC." << false;
        QTest::newRow("leading dot") << ".bashrc" << false;
        QTest::newRow("blank") << "A B" << false;
        QTest::newRow("plus") << "A+B" << false;
        QTest::newRow("non-ASCII") << QStringLiteral("caf\u00e9") << false;
        QTest::newRow("empty") << "" << false;
    }
    void validShortNames() {
        QFETCH(QString, name);
        QFETCH(bool, valid);
        QCOMPARE(isValidShortName(name), valid);
        QCOMPARE(shortNameFor(name).isEmpty(), valid);
    }

    void singleAlternates_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("alternate");
        QTest::newRow("blank") << "Annual report.doc"
                               << "ANNUAL~1.DOC";
        QTest::newRow("last dot") << "archive.tar.gz"
                                  << "ARCHIV~1.GZ";
        QTest::newRow("dots in base") << "a.b.c.txt"
                                      << "ABC~1.TXT";
        QTest::newRow("long extension") << "document.html"
                                        << "DOCUME~1.HTM";
        QTest::newRow("leading dot") << ".bashrc"
                                     << "BASHRC~1";
        QTest::newRow("leading dots and ext") << "..foo.txt"
                                              << "FOO~1.TXT";
        QTest::newRow("trailing dot") << "abc."
                                      << "ABC~1";
        QTest::newRow("disallowed dropped") << "a+b=c.t x"
                                            << "ABC~1.TX";
        QTest::newRow("extension skips disallowed") << "x.a b,c d"
                                                    << "X~1.ABC";
        QTest::newRow("empty base") << "+++.txt"
                                    << "_~1.TXT";
        QTest::newRow("only blanks") << "   "
                                     << "_~1";
        QTest::newRow("non-ASCII only") << QStringLiteral("\u65e5\u672c\u8a9e.txt") << "_~1.TXT";
        QTest::newRow("non-ASCII dropped") << QStringLiteral("caf\u00e9 cr\u00e8me.txt") << "CAFCRM~1.TXT";
        QTest::newRow("replacement char") << QStringLiteral("bad\ufffd.txt") << "BAD~1.TXT";
    }
    void singleAlternates() {
        QFETCH(QString, name);
        QFETCH(QString, alternate);
        QCOMPARE(shortNameFor(name), alternate);
        QCOMPARE(generateShortNames({name.toUtf8()}).front(), alternate);
    }

    void numberCutsTheBase() {
        QCOMPARE(shortNameFor(QStringLiteral("Annual report.doc"), 9), QStringLiteral("ANNUAL~9.DOC"));
        QCOMPARE(shortNameFor(QStringLiteral("Annual report.doc"), 10), QStringLiteral("ANNUA~10.DOC"));
        QCOMPARE(shortNameFor(QStringLiteral("Annual report.doc"), 123456), QStringLiteral("A~123456.DOC"));
        QCOMPARE(shortNameFor(QStringLiteral("Annual report.doc"), 1234567), QStringLiteral("~1234567.DOC"));
        QCOMPARE(shortNameFor(QStringLiteral("Annual report.doc"), 12345678), QString());
    }

    void shortForm() {
        QCOMPARE(shortFormOf(QStringLiteral("readme.txt"), QString()), QStringLiteral("README.TXT"));
        QCOMPARE(shortFormOf(QStringLiteral("Annual report.doc"), QStringLiteral("ANNUAL~1.DOC")),
                 QStringLiteral("ANNUAL~1.DOC"));
    }

    void examplesTogetherInOneFolder() {
        const auto alt = alternatesOf({"Annual report.doc", "archive.tar.gz", "README.TXT", "Makefile"});
        QCOMPARE(alt["Annual report.doc"], QStringLiteral("ANNUAL~1.DOC"));
        QCOMPARE(alt["archive.tar.gz"], QStringLiteral("ARCHIV~1.GZ"));
        QVERIFY(alt["README.TXT"].isEmpty());
        QVERIFY(alt["Makefile"].isEmpty());
    }

    void collisionsNumberInByteOrder() {
        // Byte order: "Annual report 2.doc" < "Annual report.doc" (' ' < '.') < "annual report.doc".
        const auto alt = alternatesOf({"annual report.doc", "Annual report.doc", "Annual report 2.doc"});
        QCOMPARE(alt["Annual report 2.doc"], QStringLiteral("ANNUAL~1.DOC"));
        QCOMPARE(alt["Annual report.doc"], QStringLiteral("ANNUAL~2.DOC"));
        QCOMPARE(alt["annual report.doc"], QStringLiteral("ANNUAL~3.DOC"));
    }

    void collisionPastNineCutsShorter() {
        QStringList names;
        for (int i = 0; i < 12; ++i)
            names << QStringLiteral("Annual report %1.doc").arg(QChar(u'a' + i));
        const auto alt = alternatesOf(names);
        QCOMPARE(alt[names[8]], QStringLiteral("ANNUAL~9.DOC"));
        QCOMPARE(alt[names[9]], QStringLiteral("ANNUA~10.DOC"));
        QCOMPARE(alt[names[11]], QStringLiteral("ANNUA~12.DOC"));
    }

    void differentExtensionsDoNotCollide() {
        const auto alt = alternatesOf({"Annual report.doc", "Annual report.pdf"});
        QCOMPARE(alt["Annual report.doc"], QStringLiteral("ANNUAL~1.DOC"));
        QCOMPARE(alt["Annual report.pdf"], QStringLiteral("ANNUAL~1.PDF"));
    }

    void alternateSkipsAnotherLongName() {
        // "annual~1.doc" is itself a valid 8.3 name; "ANNUAL~1.DOC" would equal it in upper case.
        auto alt = alternatesOf({"Annual report.doc", "annual~1.doc"});
        QVERIFY(alt["annual~1.doc"].isEmpty());
        QCOMPARE(alt["Annual report.doc"], QStringLiteral("ANNUAL~2.DOC"));

        // Every such name is passed over, whatever its case.
        alt = alternatesOf({"annual~1.doc", "Annual report.doc", "ANNUAL~2.DOC"});
        QCOMPARE(alt["Annual report.doc"], QStringLiteral("ANNUAL~3.DOC"));
    }

    void namesDifferingOnlyInCase_data() {
        // The folder's names, and for each the alternate it gets ("" for none).
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("alternates");
        QTest::newRow("folders") << QStringList{"casedir", "CaseDir"} << QStringList{"CASEDI~1", ""};
        QTest::newRow("three") << QStringList{"readme", "README", "ReadMe"}
                               << QStringList{"README~2", "", "README~1"};
        QTest::newRow("extension") << QStringList{"a.txt", "A.TXT"} << QStringList{"A~1.TXT", ""};
        QTest::newRow("skips a taken alternate")
            << QStringList{"Annual report", "annual", "ANNUAL"} << QStringList{"ANNUAL~1", "ANNUAL~2", ""};
        QTest::newRow("skips a name shaped like one")
            << QStringList{"casedi~1", "casedir", "CaseDir"} << QStringList{"", "CASEDI~2", ""};
        QTest::newRow("tilde names") << QStringList{"x~1", "X~1"} << QStringList{"X~1~1", ""};
        QTest::newRow("same case stays") << QStringList{"Makefile", "makefile.am"} << QStringList{"", ""};
    }
    void namesDifferingOnlyInCase() {
        // The first in byte order keeps the upper-case form; the later ones are numbered.
        QFETCH(QStringList, names);
        QFETCH(QStringList, alternates);
        const auto alt = alternatesOf(names);
        for (qsizetype i = 0; i < names.size(); ++i)
            QCOMPARE(alt[names[i]], alternates[i]);
        QStringList shortForms;
        for (const QString& name : names)
            shortForms << shortFormOf(name, alt[name]);
        QCOMPARE(QSet<QString>(shortForms.begin(), shortForms.end()).size(), names.size());
    }

    void numberingMatchesCountingFromOne() {
        // The numbering resumes where the last like name stopped; it must give what counting from
        // 1 for every name gives (no two alternates alike, none equal to a name in upper case), also
        // when bases of different lengths share their candidates.
        const QStringList parts = {"ab", "abc", "abcde", "abcdef", "abcdefg", "ab cdef", "x.y", ".ab", "~"};
        const QStringList extensions = {"", ".t", ".txt", ".text"};
        std::mt19937 random(11);
        for (int round = 0; round < 20; ++round) {
            QStringList names;
            QSet<QString> unique;
            for (int i = 0; i < 60; ++i) {
                QString name = parts[random() % parts.size()] + QString::number(random() % 3 ? i : 0) +
                               extensions[random() % extensions.size()];
                if (random() % 5 == 0) // now and then a valid name shaped like an alternate
                    name = shortNameFor(name, 1 + random() % 12).toLower();
                if (!name.isEmpty() && !unique.contains(name)) {
                    unique.insert(name);
                    names << name;
                }
            }
            QStringList sorted = names;
            std::sort(sorted.begin(), sorted.end(),
                      [](const QString& a, const QString& b) { return a.toUtf8() < b.toUtf8(); });
            QSet<QString> taken;
            for (const QString& name : names)
                taken.insert(name.toUpper());
            QHash<QString, QString> expected;
            for (const QString& name : sorted) {
                int n = 1;
                while (!shortNameFor(name, n).isEmpty() && taken.contains(shortNameFor(name, n)))
                    ++n;
                taken.insert(shortNameFor(name, n));
                expected.insert(name, shortNameFor(name, n));
            }
            QCOMPARE(alternatesOf(names), expected);
            // The same folder gives the same answer whatever order readdir lists it in.
            std::shuffle(names.begin(), names.end(), random);
            QCOMPARE(alternatesOf(names), expected);
        }
    }

    void manySimilarNamesStayFast() {
        // Numbering must not restart at 1 for every name: 20,000 like names are instant.
        std::vector<QByteArray> names;
        for (int i = 0; i < 20000; ++i)
            names.push_back(QByteArray("file number ") + QByteArray::number(i) + ".txt");
        QElapsedTimer timer;
        timer.start();
        const std::vector<QString> alternates = generateShortNames(names);
        QVERIFY(timer.elapsed() < 5000);
        const QSet<QString> distinct(alternates.begin(), alternates.end());
        QCOMPARE(distinct.size(), qsizetype(names.size()));
        QVERIFY(distinct.contains(QStringLiteral("FI~19999.TXT")));
    }
};

QTEST_GUILESS_MAIN(TestShortNames)
#include "test_short_names.moc"
