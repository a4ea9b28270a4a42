// Any zek.ini: every read answers, and a value written reads back as written.
#include "fuzz_support.h"
#include "platform/intl.h"
#include "platform/profile.h"

#include <QFile>

using namespace zek;
using namespace zek::platform;

int zek::fuzz::profileInput(const uint8_t* data, size_t size) {
    const QString ini = fuzz::scratchDir() + QStringLiteral("/zek.ini");
    const QByteArray bytes = fuzz::bytesOf(data, size);
    {
        QFile out(ini);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size())
            fuzz::fail("cannot write the input", ini);
    }
    // Names taken from the file itself reach the sections and keys it really has.
    const QList<QByteArray> lines = bytes.split('\n');
    QString section = QStringLiteral("ZEK");
    QString key = QStringLiteral("WorkDir");
    for (const QByteArray& line : lines) {
        const QString text = QString::fromUtf8(line).trimmed();
        if (text.startsWith(u'[') && text.contains(u']'))
            section = text.mid(1, text.indexOf(u']') - 1);
        else if (text.contains(u'='))
            key = text.left(text.indexOf(u'=')).trimmed();
    }
    (void)getPrivateProfileString(section, key, QStringLiteral("none"), ini);
    (void)getPrivateProfileString(section, key, QString(), ini, 1 + int(size % 7));
    (void)getPrivateProfileInt(section, key, -1, ini);
    (void)readIntlSettings(ini);

    // What a write accepts, a read returns unchanged (up to the buffer), and the file stays readable.
    const QString value = QString::fromUtf8(bytes.left(40));
    HostError error;
    if (writePrivateProfileString(section, key, value, ini, &error)) {
        const std::optional<QString> back = findPrivateProfileString(section, key, ini, 4096);
        if (!back || *back != value)
            fuzz::fail("a written value reads back changed",
                       section + u'/' + key + QStringLiteral(": [") + value + QStringLiteral("] -> [") +
                           back.value_or(QStringLiteral("<missing>")) + u']');
    }
    return 0;
}

ZEK_FUZZ_ENTRY(zek::fuzz::profileInput)
