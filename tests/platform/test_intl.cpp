#include "platform/intl.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace zek::platform;

namespace {

bool sameSettings(const IntlSettings& a, const IntlSettings& b) {
    return a.iTime == b.iTime && a.iTLzero == b.iTLzero && a.iLzero == b.iLzero && a.s1159 == b.s1159 &&
           a.s2359 == b.s2359 && a.sTime == b.sTime && a.sDecimal == b.sDecimal &&
           a.sThousand == b.sThousand && a.sShortDate == b.sShortDate && a.sDate == b.sDate;
}

} // namespace

class TestIntl : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void classicDefaults() {
        const IntlSettings d;
        QCOMPARE(d.iTime, 0);
        QCOMPARE(d.iTLzero, 0);
        QCOMPARE(d.iLzero, 0);
        QCOMPARE(d.s1159, QString("AM"));
        QCOMPARE(d.s2359, QString("PM"));
        QCOMPARE(d.sTime, QString(":"));
        QCOMPARE(d.sDecimal, QString("."));
        QCOMPARE(d.sThousand, QString(","));
        QCOMPARE(d.sShortDate, QString("M/d/yy"));
        QCOMPARE(d.sDate, QString("-"));
        // No locale chosen: every key keeps its default, not what Qt's C locale would say.
        QVERIFY(sameSettings(intlFromLocale(QLocale::c()), d));
        QVERIFY(sameSettings(intlFromLocale(QLocale(QStringLiteral("POSIX"))), d));
    }

    void locales_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("iTime");
        QTest::addColumn<int>("iTLzero");
        QTest::addColumn<QString>("s1159");
        QTest::addColumn<QString>("sTime");
        QTest::addColumn<QString>("sDecimal");
        QTest::addColumn<QString>("sThousand");
        QTest::addColumn<QString>("sShortDate");
        QTest::addColumn<QString>("sDate");
        QTest::newRow("en_US") << "en_US" << 0 << 0 << "AM"
                               << ":"
                               << "."
                               << ","
                               << "M/d/yy"
                               << "/";
        QTest::newRow("de_DE") << "de_DE" << 1 << 1 << "AM"
                               << ":"
                               << ","
                               << "."
                               << "dd.MM.yy"
                               << ".";
        QTest::newRow("ja_JP") << "ja_JP" << 1 << 0 << QStringLiteral("午前") << ":"
                               << "."
                               << ","
                               << "yyyy/MM/dd"
                               << "/";
        QTest::newRow("da_DK hours with a dot") << "da_DK" << 1 << 1 << "AM"
                                                << "."
                                                << ","
                                                << "."
                                                << "dd.MM.yyyy"
                                                << ".";
        QTest::newRow("ko_KR two-character separator") << "ko_KR" << 0 << 0 << QStringLiteral("오전") << ":"
                                                       << "."
                                                       << ","
                                                       << "yy. M. d."
                                                       << ". ";
        QTest::newRow("ar_EG direction marks dropped")
            << "ar_EG" << 0 << 0 << QStringLiteral("ص") << ":" << QStringLiteral("٫") << QStringLiteral("٬")
            << "d/M/yyyy"
            << "/";
        QTest::newRow("bg_BG literal text quoted")
            << "bg_BG" << 1 << 0 << QStringLiteral("пр.об.") << ":"
            << "," << QStringLiteral("\u00a0") << QStringLiteral("d.MM.yy 'г'.") << ".";
    }
    void locales() {
        QFETCH(QString, name);
        const IntlSettings s = intlFromLocale(QLocale(name));
        QTEST(s.iTime, "iTime");
        QTEST(s.iTLzero, "iTLzero");
        QTEST(s.s1159, "s1159");
        QTEST(s.sTime, "sTime");
        QTEST(s.sDecimal, "sDecimal");
        QTEST(s.sThousand, "sThousand");
        QTEST(s.sShortDate, "sShortDate");
        QTEST(s.sDate, "sDate");
        QCOMPARE(s.iLzero, 1); // "0.5", "0,5": every locale here writes the zero
    }

    void settingsFileOverrides() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString ini = dir.filePath(QStringLiteral("zek.ini"));
        const IntlSettings system = intlFromLocale(QLocale::system());

        // No file, or a file without the section: the system's values.
        QVERIFY(sameSettings(readIntlSettings(ini), system));
        {
            QFile f(ini);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[Global]\nsDecimal=;\n");
        }
        QVERIFY(sameSettings(readIntlSettings(ini), system));

        {
            QFile f(ini);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write("[Global]\n"
                    "DefaultDirectory=/w\n"
                    "[INTL]\n"
                    "ITIME=0\n"
                    "itlzero=1\n"
                    "iLzero=junk\n"
                    "s1159=\" vorm.\"\n"
                    "sDecimal=,\n"
                    "sthousand=\n"
                    "sShortDate=dd.MM.yyyy\n");
        }
        const IntlSettings s = readIntlSettings(ini);
        QCOMPARE(s.iTime, 0);
        QCOMPARE(s.iTLzero, 1);
        QCOMPARE(s.iLzero, 0); // present but not a number
        QCOMPARE(s.s1159, QString(" vorm."));
        QCOMPARE(s.sDecimal, QString(","));
        QCOMPARE(s.sThousand, QString("")); // present and empty: no group separator
        QCOMPARE(s.sShortDate, QString("dd.MM.yyyy"));
        // Keys the section does not hold stay as the system says.
        QCOMPARE(s.s2359, system.s2359);
        QCOMPARE(s.sTime, system.sTime);
        QCOMPARE(s.sDate, system.sDate);
    }

    void systemLocale() {
        const IntlSettings s = intlFromLocale(QLocale::system());
        if (QLocale::system().language() == QLocale::C)
            QVERIFY(sameSettings(s, IntlSettings{}));
        else
            QCOMPARE(s.sDecimal, QLocale::system().decimalPoint());
    }
};

QTEST_MAIN(TestIntl)
#include "test_intl.moc"
