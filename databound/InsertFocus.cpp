#include "databound/InsertFocus.h"

#include "controls/VexFocus.h"
#include "platform/ui/DBGridColumns.h"
#include "platform/ui/DBGrids.h"

namespace databound {

namespace {

void SelectFirstVisibleColumn(platform::ui::TCustomDBGrid& Grid) {
    const platform::ui::TDBGridColumns& Columns = Grid.Columns();
    for (int I = 0; I < Columns.Count(); ++I) {
        if (!Columns[I]->Visible()) continue;
        Grid.SetSelectedIndex(I);
        return;
    }
}

}  // namespace

void FocusAfterInsert(QWidget* Control) {
    QWidget* Focused = controls::FocusFirstControl(Control);
    if (auto* Grid = qobject_cast<platform::ui::TCustomDBGrid*>(Focused)) SelectFirstVisibleColumn(*Grid);
}

}  // namespace databound
