// The key filter and the leave-the-box check of the condition values, with their message box.
#include "query/value_validation.h"
#include "support/scripted_prompter.h"

#include <QtTest>

using namespace zek;
using platform::IntlSettings;

namespace {

IntlSettings usSlash(int iTime = 0) {
    IntlSettings s;
    s.sDate = "/";
    s.sShortDate = "M/d/yy";
    s.iTime = iTime;
    return s;
}

IntlSettings german() {
    IntlSettings s;
    s.sDecimal = ",";
    s.sThousand = ".";
    s.sDate = ".";
    s.sShortDate = "dd.MM.yy";
    s.iTime = 1;
    return s;
}

int key(const char c) {
    return static_cast<unsigned char>(c);
}

} // namespace

class TestValueValidation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lowerCaseLettersComeUpperCaseInEveryField() {
        const IntlSettings s;
        for (const char* field :
             {"LONGPATH", "PATH", "LONGNAME", "NAME", "EXTENSION", "DATE", "TIME", "ARCHIVE"})
            QCOMPARE(filterValueKey(field, key('a'), "", s), key('A'));
        QCOMPARE(filterValueKey("NAME", key('z'), "", s), key('Z'));
        // SIZE takes no letters at all.
        QCOMPARE(filterValueKey("SIZE", key('a'), "KB", s), 0);
    }

    void shortNameClassesAndTheColon() {
        const IntlSettings s;
        QCOMPARE(filterValueKey("NAME", key('.'), "", s), 0);
        QCOMPARE(filterValueKey("EXTENSION", key('.'), "", s), 0);
        QCOMPARE(filterValueKey("NAME", key(' '), "", s), 0);
        QCOMPARE(filterValueKey("NAME", key(':'), "", s), 0);
        QCOMPARE(filterValueKey("EXTENSION", key(':'), "", s), 0);
        QCOMPARE(filterValueKey("PATH", key(':'), "", s), key(':'));
        // This host's separator and the classic one both pass for PATH only.
        QCOMPARE(filterValueKey("PATH", key('/'), "", s), key('/'));
        QCOMPARE(filterValueKey("PATH", key('\\'), "", s), key('\\'));
        QCOMPARE(filterValueKey("NAME", key('/'), "", s), 0);
        QCOMPARE(filterValueKey("NAME", key('\\'), "", s), 0);
        for (const char c : QByteArray("_^$~!#%'`*?09AZ"))
            QCOMPARE(filterValueKey("NAME", key(c), "", s), key(c));
        QCOMPARE(filterValueKey("NAME", BackspaceKey, "", s), BackspaceKey);
        QCOMPARE(filterValueKey("NAME", 0x00E9, "", s), 0); // é is no short-name character
        // The long fields take every character.
        QCOMPARE(filterValueKey("LONGNAME", key('.'), "", s), key('.'));
        QCOMPARE(filterValueKey("LONGPATH", key(' '), "", s), key(' '));
    }

    void sizeTakesTheDecimalSeparatorOnlyWithAUnit() {
        const IntlSettings s;
        QCOMPARE(filterValueKey("SIZE", key('.'), "  ", s), 0);
        QCOMPARE(filterValueKey("SIZE", key('.'), "KB", s), key('.'));
        QCOMPARE(filterValueKey("SIZE", key('.'), "MB", s), key('.'));
        QCOMPARE(filterValueKey("SIZE", key(','), "  ", s), key(','));
        QCOMPARE(filterValueKey("SIZE", key('7'), "  ", s), key('7'));
        QCOMPARE(filterValueKey("SIZE", BackspaceKey, "  ", s), BackspaceKey);
        QCOMPARE(filterValueKey("SIZE", key('-'), "  ", s), 0);
        // Separators follow the settings.
        const IntlSettings de = german();
        QCOMPARE(filterValueKey("SIZE", key(','), "  ", de), 0);
        QCOMPARE(filterValueKey("SIZE", key(','), "KB", de), key(','));
        QCOMPARE(filterValueKey("SIZE", key('.'), "  ", de), key('.'));
    }

    void groupSeparators() {
        const IntlSettings s;
        QCOMPARE(stripGroupSeparators("1,234,567", s), QString("1234567"));
        QCOMPARE(stripGroupSeparators("1,234.5", s), QString("1234.5"));
        QCOMPARE(stripGroupSeparators("1.2.3", s), QString());
        QCOMPARE(insertGroupSeparators("1234567", s), QString("1,234,567"));
        QCOMPARE(insertGroupSeparators("1234.5", s), QString("1,234.5"));
        QCOMPARE(insertGroupSeparators("123", s), QString("123"));
        QCOMPARE(insertGroupSeparators("123456", s), QString("123,456"));
        QCOMPARE(insertGroupSeparators("0.9765625", s), QString("0.9765625"));
        QCOMPARE(insertGroupSeparators("", s), QString());
        QCOMPARE(insertGroupSeparators("   ", s), QString("   "));
        const IntlSettings de = german();
        QCOMPARE(insertGroupSeparators("1234,5", de), QString("1.234,5"));
        QCOMPARE(stripGroupSeparators("1.234,5", de), QString("1234,5"));
    }

    void sizeEntries() {
        const IntlSettings s;
        ValueCheck c = checkValueEntry("SIZE", "1.2.3", s);
        QVERIFY(!c.ok);
        QCOMPARE(c.message, QString("Too many . specified."));
        c = checkValueEntry("SIZE", "1234567", s);
        QVERIFY(c.ok);
        QCOMPARE(c.text, QString("1,234,567"));
        c = checkValueEntry("SIZE", "12,34", s);
        QCOMPARE(c.text, QString("1,234"));
        QVERIFY(checkValueEntry("SIZE", "", s).ok);
        QCOMPARE(checkValueEntry("SIZE", "1,2,3", german()).message, QString("Too many , specified."));
    }

    void deviceNames() {
        const IntlSettings s;
        for (const char* name : {"CON", "NUL", "PRN", "AUX"}) {
            const ValueCheck c = checkValueEntry("EXTENSION", name, s);
            QVERIFY(!c.ok);
            QCOMPARE(c.message, QString("Non-standard MS-DOS filename used."));
        }
        QVERIFY(checkValueEntry("EXTENSION", "TXT", s).ok);
        QVERIFY(checkValueEntry("EXTENSION", "", s).ok);
        QVERIFY(!checkValueEntry("NAME", "CLOCK$", s).ok);
        QVERIFY(!checkValueEntry("NAME", "con ", s).ok);
        QVERIFY(checkValueEntry("NAME", "CONFIG", s).ok);
        QVERIFY(checkValueEntry("NAME", "COM5", s).ok);
        QVERIFY(checkValueEntry("NAME", "CO_N", s).ok); // a typed "_" is part of the name
        QVERIFY(!isNotDeviceName("LPT3"));
        QVERIFY(isNotDeviceName("LPT4"));
    }

    void paths() {
        const IntlSettings s;
        for (const char* bad : {"C::\\", "C:\\\\DOS", "//HOME", "/\\HOME", "C:/X:"}) {
            const ValueCheck c = checkValueEntry("PATH", bad, s);
            QVERIFY2(!c.ok, bad);
            QCOMPARE(c.message, QString("Non-standard MS-DOS pathname used."));
        }
        for (const char* good : {"C:\\DOS", "C:\\DOS\\\\X", "/HOME/USER/DOCUME~1", "/HOME/*", ""})
            QVERIFY2(checkValueEntry("PATH", good, s).ok, good);
        // Spaces around are trimmed; nothing in the long fields is refused.
        QCOMPARE(checkValueEntry("PATH", "  /TMP  ", s).text, QString("/TMP"));
        QCOMPARE(checkValueEntry("LONGPATH", " a//b ", s).text, QString("a//b"));
        QVERIFY(checkValueEntry("LONGNAME", "::", s).ok);
    }

    void dates() {
        const IntlSettings us = usSlash();
        QVERIFY(checkValueEntry("DATE", "__/__/__", us).ok);
        QVERIFY(checkValueEntry("CREATIONDATE", "        ", us).ok);
        QVERIFY(checkValueEntry("ACCESSDATE", "", us).ok);
        QVERIFY(checkValueEntry("DATE", "12/07/96", us).ok);
        QVERIFY(checkValueEntry("DATE", "02/29/96", us).ok);
        for (const char* bad : {"13/45/96", "02/30/96", "1_/07/96", "12/07/__", "00/07/96"}) {
            const ValueCheck c = checkValueEntry("DATE", bad, us);
            QVERIFY2(!c.ok, bad);
            QCOMPARE(c.message, QString("Invalid date specified."));
        }
        QCOMPARE(readDateEntry("12/07/96", us), QDate(1996, 12, 7));
        QCOMPARE(readDateEntry("01/02/29", us), QDate(2029, 1, 2));
        QCOMPARE(readDateEntry("01/02/30", us), QDate(1930, 1, 2));
        // Day first in a German locale: 13.12.96 is a date, 12.13.96 is not.
        const IntlSettings de = german();
        QCOMPARE(readDateEntry("13.12.96", de), QDate(1996, 12, 13));
        QVERIFY(!checkValueEntry("DATE", "12.13.96", de).ok);
        QVERIFY(checkValueEntry("DATE", "__.__.__", de).ok);
    }

    void timesOnBothClocks() {
        const IntlSettings h24 = usSlash(1);
        QVERIFY(checkValueEntry("TIME", "23:59", h24).ok);
        QVERIFY(checkValueEntry("TIME", "00:00", h24).ok);
        QVERIFY(checkValueEntry("TIME", "__:__", h24).ok);
        const IntlSettings h12 = usSlash(0);
        QVERIFY(checkValueEntry("ACCESSTIME", "12:30", h12).ok);
        QVERIFY(checkValueEntry("ACCESSTIME", "01:00", h12).ok);
        struct Case {
            const char* text;
            const IntlSettings& intl;
        };
        // 10:75 and 09:60 are the stricter check: minutes past 59 cannot be stored.
        for (const Case& c :
             {Case{"24:00", h24}, Case{"10:75", h24}, Case{"09:60", h24}, Case{"00:30", h12},
              Case{"13:00", h12}, Case{"11:99", h12}, Case{"1_:3_", h24}, Case{"12:__", h12}}) {
            const ValueCheck v = checkValueEntry("CREATIONTIME", c.text, c.intl);
            QVERIFY2(!v.ok, c.text);
            QCOMPARE(v.message, QString("Invalid time specified."));
        }
        // Another time separator.
        IntlSettings dot = h24;
        dot.sTime = ".";
        QVERIFY(checkValueEntry("TIME", "23.59", dot).ok);
        QVERIFY(!checkValueEntry("TIME", "23.60", dot).ok);
        QVERIFY(checkValueEntry("TIME", "__.__", dot).ok);
    }

    void attributesShowSetAgain() {
        const IntlSettings s;
        for (const char* text : {"", "___", "S__", "XYZ", "SET"}) {
            const ValueCheck c = checkValueEntry("HIDDEN", text, s);
            QVERIFY(c.ok);
            QCOMPARE(c.text, QString("SET"));
        }
    }

    void refusedEntryAsksRetryOrCancel() {
        test::ScriptedPrompter prompter;
        const IntlSettings s = usSlash(1);
        int beeps = 0;
        auto beep = [&beeps] { ++beeps; };

        prompter.messageAnswers = {platform::IdRetry, platform::IdCancel};
        QString text = "24:00";
        QCOMPARE(validateValueEntry("TIME", text, s, beep), EntryOutcome::Retry);
        QCOMPARE(text, QString("24:00")); // the entry stays for correcting
        QCOMPARE(validateValueEntry("TIME", text, s, beep), EntryOutcome::Cancel);
        QCOMPARE(beeps, 2);
        QCOMPARE(prompter.messages.size(), 2);
        QCOMPARE(prompter.messages[0].text, QString("Invalid time specified."));
        QCOMPARE(prompter.messages[0].title, QString("Query fill error"));
        QCOMPARE(prompter.messages[0].style, platform::MbRetryCancel | platform::MbQuestion);

        prompter.clear();
        text = "1234";
        QCOMPARE(validateValueEntry("SIZE", text, s, beep), EntryOutcome::Accepted);
        QCOMPARE(text, QString("1,234"));
        QVERIFY(prompter.messages.isEmpty());
        QCOMPARE(beeps, 2);
    }
};

QTEST_MAIN(TestValueValidation)
#include "test_value_validation.moc"
