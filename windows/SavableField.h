#pragma once

#include <QString>

class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace passgen {

// Keeps out of a set's field the characters that the settings files' code
// page has no byte for, which a save would turn into "?": the set would
// change without a word, and each "?" be drawn as another symbol. They are
// refused as they come, typed, pasted, dropped or from an input method, and
// the rest of the edit is kept. A note then says which characters were
// refused and why, as a tooltip at the field and as the field's accessible
// description, announced to screen readers, until the next edit.
void refuseUnsavable(QLineEdit& field);
void refuseUnsavable(QPlainTextEdit& field);

// The note for refused, the characters as unsavable() gives them.
QString refusedNote(const QString& refused);

} // namespace passgen
