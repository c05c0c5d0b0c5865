#include "databound/DivisionPickLists.h"

#include "databound/VexDBGrid.h"
#include "databound/VexDivisao.h"
#include "platform/data/Field.h"
#include "platform/ui/DBGridColumns.h"

namespace databound {

void ApplyPickLists(const TVexDBDivisao& Divisao) {
    auto* Grid = qobject_cast<platform::ui::TCustomDBGrid*>(Divisao.Grid());
    if (!Grid) return;
    const TConfigCampos& Config = Divisao.Campos().Config();
    for (int I = 0; I < Config.Count(); ++I) {
        const TConfigCampo& Item = *Config.Items(I);
        if (!Item.Field() || Item.Valor().Items.isEmpty()) continue;
        const int Index = Grid->Columns().IndexOfField(Item.Field()->FieldName());
        if (Index < 0) continue;
        platform::ui::TColumn* Column = Grid->Columns()[Index];
        Column->SetPickList(Item.Valor().Items);
        if (auto* Own = dynamic_cast<TVexDBGridColumn*>(Column); Own && !Item.Valor().ItemsEx.isEmpty())
            Own->SetPickListEx(Item.Valor().ItemsEx);
    }
}

}  // namespace databound
