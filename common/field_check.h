// The two-step check of the whole-number entry fields of the small dialogs
// (recording rate, chart settings): first whether the text is a number at
// all, then whether it lies in the field's range. Each dialog has its own
// texts, so the texts come from the caller. Both return 0 when the field
// passes and -1 when it is rejected, after telling the operator.
#pragma once

#include <QString>

class QLineEdit;

namespace rq30 {

// The range text "Je nutné zadávat pouze čísla v rozsahu <low> až <high>",
// ending in a line feed, as the recording-rate dialog shows it.
QString RangeMessage(long low, long high);

// A text that is not a whole number gets a warning box with `message` under
// the caption "CHYBA"; the field's text then becomes `resetText` and the
// field takes the focus.
int CheckInteger(QLineEdit* field, const QString& message, const QString& resetText);

// A number outside low..high gets an error box with `message` under the
// caption "EDIT". A text that is not a number at all fails the same way.
// The focus is left to the caller, which moves it differently on Enter and
// on OK.
int CheckRange(QLineEdit* field, long low, long high, const QString& message);

}  // namespace rq30
