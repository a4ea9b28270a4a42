// Any key sequence typed into the value box of any condition field, then the box left: the key
// filter, the mask, the check on leaving and the row's encoding answer, never crash, and an
// accepted value is one the box takes again unchanged.
#include "fuzz_support.h"
#include "query/row_encoding.h"
#include "query/row_model.h"
#include "query/value_validation.h"

using namespace zek;

namespace {

platform::IntlSettings intlVariant(uint8_t choice) {
    platform::IntlSettings intl;
    if (choice & 1) {
        intl.sDecimal = QStringLiteral(",");
        intl.sThousand = QStringLiteral(".");
        intl.sShortDate = QStringLiteral("dd.MM.yyyy");
        intl.sDate = QStringLiteral(".");
        intl.iTime = 1;
        intl.iTLzero = 1;
    }
    if (choice & 2) {
        intl.sThousand = QStringLiteral(" ");
        intl.sShortDate = QStringLiteral("yy/M/d");
        intl.s1159 = QStringLiteral("vorm.");
        intl.s2359 = QString();
    }
    if (choice & 4)
        intl.iLzero = 1;
    return intl;
}

} // namespace

int zek::fuzz::valueEntryInput(const uint8_t* data, size_t size) {
    if (size < 3)
        return 0;
    const QStringList& fields = conditionFieldList();
    GridRowState row;
    row.fieldIndex = data[0] % fields.size();
    const QString field = row.field();
    const platform::IntlSettings intl = intlVariant(data[1]);
    const QString unit = sizeUnits().value(data[2] % sizeUnits().size());
    setupRowForField(row, intl);

    // Two bytes per key code, as a key press carries a 16-bit character.
    QString typed;
    for (size_t i = 3; i + 1 < size; i += 2) {
        const int key = data[i] | (data[i + 1] << 8);
        const int entered = filterValueKey(field, key, unit, intl);
        if (entered == BackspaceKey)
            typed.chop(1);
        else if (entered != 0 && typed.size() < row.maxLength)
            typed.append(QChar(char16_t(entered)));
    }
    const QString boxText = row.mask.isEmpty() ? typed : maskedText(row.mask, typed);
    const ValueCheck check = checkValueEntry(field, boxText, intl);
    if (!check.ok && check.message.isEmpty())
        fuzz::fail("a refusal without a message", field + u':' + boxText);
    if (check.ok) {
        // What the box shows after an accepted entry is accepted again as it stands.
        const ValueCheck again = checkValueEntry(field, check.text, intl);
        if (!again.ok || again.text != check.text)
            fuzz::fail("an accepted value is not accepted again", field + u':' + boxText +
                                                                      QStringLiteral(" -> ") + check.text +
                                                                      QStringLiteral(" -> ") + again.text);
    }
    QString text = boxText;
    (void)validateValueEntry(field, text, intl);

    GridRowInput input;
    input.fieldIndex = row.fieldIndex;
    input.field = field;
    input.evaluationIndex = 0;
    input.evaluationText = row.evaluations.value(0);
    input.valueText = check.ok ? check.text : boxText;
    input.valueChoiceVisible = row.valueChoiceVisible;
    input.valueChoiceIndex = data[2] % 3;
    input.valueChoiceText = unit;
    (void)encodeGridRow(input, intl);
    (void)stripGroupSeparators(boxText, intl);
    (void)insertGroupSeparators(boxText, intl);
    (void)isValidDosPath(boxText);
    (void)readDateEntry(boxText, intl);
    return 0;
}

ZEK_FUZZ_ENTRY(zek::fuzz::valueEntryInput)
