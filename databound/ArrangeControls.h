#pragma once
// A design aid of divisions: orders the controls of a container by rows (top,
// then left) into tab order and anchors them so that the last control of each
// row stretches to the right and the bottom row to the bottom. Page controls
// are not arranged themselves; their pages are. Containers inside are arranged
// the same way.
class QWidget;

namespace databound {

void ArrangeControls(QWidget* Container);

}  // namespace databound
