#include "scan/record_writer.h"

#include "work/file_fields.h"
#include "work/work_schema.h"

#include <algorithm>

namespace zek::scan {

using db::EngineError;
using work::FileField;

namespace {

// Records written with one insert statement: most of a one-record insert's cost is the statement's
// own. Beyond a few tens the gain levels off.
constexpr int RecordsPerInsert = 32;

} // namespace

RecordWriter::RecordWriter(ScanState& scan, db::Database& database, ScanDisplay& display, ScanPacing pacing)
    : m_scan(scan), m_database(database), m_sizeChecks(database),
      m_appender(database, work::tableName(work::WorkTable::Filetype), work::fileFieldNames(),
                 RecordsPerInsert),
      m_display(display), m_pacing(pacing) {
    m_clock.start();
}

void RecordWriter::commitNow() {
    if (m_transaction) {
        m_appender.flush();
        m_transaction->commit();
        m_transaction.reset();
    }
    m_transaction.emplace(m_database);
    m_lastCommit = m_clock.elapsed();
    m_uncommitted = 0;
}

void RecordWriter::commitLast() {
    m_appender.flush();
    m_transaction->commit();
    m_transaction.reset();
}

void RecordWriter::commitAfterFailure() {
    if (!m_transaction)
        return;
    // The records gathered since the last group was written go in too, when they still can.
    try {
        m_appender.flush();
    } catch (const EngineError&) {
    }
    try {
        m_transaction->commit();
    } catch (const EngineError&) {
    }
    m_transaction.reset();
}

bool RecordWriter::write(const RecordedFolder& f, std::string_view longName, std::string_view shortForm,
                         const platform::EntryFacts& e) {
    constexpr auto at = work::position;
    db::RecordAppender& a = m_appender;
    const std::size_t dot = shortForm.find('.');
    const std::string_view name = shortForm.substr(0, dot);
    const std::string_view extension =
        dot == std::string_view::npos ? shortForm.substr(shortForm.size()) : shortForm.substr(dot + 1);
    try {
        a.setText(at(FileField::Path), f.shortPath(), f.shortLength);
        a.setText(at(FileField::LongPath), f.longPath(), f.longLength);
        a.setInteger(at(FileField::PathLevel), f.folder.level);
        a.setInteger(at(FileField::PathNumber), f.index);
        a.setText(at(FileField::Name), name);
        a.setText(at(FileField::Extension), extension);
        a.setText(at(FileField::LongName), longName);
        a.setInteger(at(FileField::Size), e.size);
        a.setInteger(at(FileField::Date), e.lastWrite.date);
        a.setInteger(at(FileField::Time), e.lastWrite.time);
        a.setInteger(at(FileField::CreationDate), e.creation.date);
        a.setInteger(at(FileField::CreationTime), e.creation.time);
        a.setInteger(at(FileField::AccessDate), e.lastAccess.date);
        a.setInteger(at(FileField::AccessTime), e.lastAccess.time);
        a.setBoolean(at(FileField::ReadOnly), e.readOnly);
        a.setBoolean(at(FileField::Hidden), e.hidden);
        a.setBoolean(at(FileField::System), e.system);
        a.setBoolean(at(FileField::Archive), e.archive);
        a.setBoolean(at(FileField::Compressed), e.compressed);
        a.setBoolean(at(FileField::Temporary), e.temporary);
        a.setBoolean(at(FileField::Directory), e.directory);
        a.append();
        ++m_uncommitted;
        return true;
    } catch (const EngineError& error) {
        a.clear();
        if (error.number() != db::ErrFieldTooSmall)
            throw;
        ++m_scan.counters.entriesSkipped;
        m_display.showProblem(QStringLiteral("Entry %1%2 not recorded: Error # %3 : %4")
                                  .arg(f.folder.longPath, fromUtf8(longName))
                                  .arg(error.number())
                                  .arg(error.description()));
        return false;
    }
}

QStringView EntryNames::shownShortForm(std::string_view shortForm) {
    const bool ascii = std::all_of(shortForm.begin(), shortForm.end(),
                                   [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
    if (!ascii)
        return m_shortShown = fromUtf8(shortForm);
    m_shortShown.resize(qsizetype(shortForm.size()));
    std::copy(shortForm.begin(), shortForm.end(), m_shortShown.begin());
    return m_shortShown;
}

std::string_view EntryNames::longName(std::size_t i) {
    const QByteArrayView raw = m_names.raw(i);
    const std::string_view bytes(raw.data(), std::size_t(raw.size()));
    if (m_names.isAscii(i) || db::utf8TextLength(bytes) >= 0)
        return bytes;
    m_longText = m_names.shown(i).toString().toStdString();
    return m_longText;
}

std::string_view EntryNames::shortForm(std::size_t i) {
    const platform::ShortAlternate& alternate = m_names.alternate(i);
    if (!alternate.isEmpty())
        return std::string_view(alternate.text, alternate.length);
    if (m_names.isAscii(i)) {
        const QByteArrayView raw = m_names.raw(i);
        m_shortText.assign(raw.data(), std::size_t(raw.size()));
        for (char& ch : m_shortText)
            ch = (ch >= 'a' && ch <= 'z') ? char(ch - 'a' + 'A') : ch;
        return m_shortText;
    }
    m_shortText = m_names.shown(i).toString().toUpper().toStdString();
    return m_shortText;
}

} // namespace zek::scan
