// The control values of one condition row as the Conditions & Sorting window holds them. The window
// fills one per row and the row encoding turns it into the stored QueryLine.
#pragma once

#include <QString>

namespace zek {

struct GridRowInput {
    bool marked = false; // the choice button shows its number in white
    QString bracketL;
    int fieldIndex = 0;
    QString field;
    int evaluationIndex = 0;
    QString evaluationText;
    QString valueText; // the masked edit's text: literals, "_" for unfilled digit places, typed text
    bool valueChoiceVisible = false;
    int valueChoiceIndex = -1;
    QString valueChoiceText;
    QString bracketR;
    int connectionIndex = 0;
    QString connection;
};

} // namespace zek
