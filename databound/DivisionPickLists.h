#pragma once
// The pick lists a division's field configuration gives its grid: each
// configured field with values of its own puts them into the grid column that
// shows it, and the display texts into the column of the framework's grid.
// Without a grid, or for a field no column shows, nothing happens.
namespace databound {

class TVexDBDivisao;

void ApplyPickLists(const TVexDBDivisao& Divisao);

}  // namespace databound
