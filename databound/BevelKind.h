#pragma once
// How the data-bound controls frame themselves: bkFlat draws a one-pixel flat
// frame in place of the sunken border. Controls without a setting of their own
// get the flat frame drawn over their edge.
class QWidget;

namespace databound {

enum TBevelKind { bkNone, bkFlat };

// bkNone for a control that was never given one.
TBevelKind GetBevelKind(const QWidget* Control);
void SetBevelKind(QWidget* Control, TBevelKind Value);
// Takes away the control's own sunken border (edits, memos, lists); other controls keep theirs.
void RemoveBorder(QWidget* Control);

}  // namespace databound
