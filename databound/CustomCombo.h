#pragma once
// The lookup search combo: a small borderless window opened under a reference
// field that lists the rows of the referenced screen's table, filters them as
// the user types and writes the chosen row's key into the field. When the
// field has no usable search configuration the combo is not shown and the
// caller handles the key itself; database errors while opening propagate.
#include <QChar>
#include <Qt>

class QWidget;

namespace platform::data {
class TField;
}

namespace databound {

class TVexDBDivisao;

// Opens the combo for Field under Control (a grid opens it under its current
// cell); Control holding Ctrl inverts the stored open mode. True when shown.
bool ShowSearchCombo(TVexDBDivisao& Division, QWidget& Control, platform::data::TField& Field,
                     bool SendEnterOnApply, Qt::KeyboardModifiers Shift);

// Whether a keystroke on a read-only reference field starts a search (letters,
// accented letters, digits and signs; never the blank).
bool IsSearchChar(QChar Ch);

}  // namespace databound
