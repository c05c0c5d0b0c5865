#pragma once
// Where the focus goes after a division inserts a record: the pages that hold
// the configured control come to the front and the focus is requested for it
// through the main form. A grid starts the new row at its first visible
// column, since its link names no single field. No control: nothing happens.
class QWidget;

namespace databound {

void FocusAfterInsert(QWidget* Control);

}  // namespace databound
