#pragma once
// Wires the library's grid to the windows that live beside it: the column
// dialog and the full grid of the title menu, and the list of a message
// batch, which then shows its messages on the library's grid. The host calls
// this once at start; until then the title menu leaves those entries out and
// message lists show on the platform's read-only grid.
namespace databound {

void RegisterGridDialogs();

}  // namespace databound
