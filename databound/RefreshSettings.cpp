#include "databound/RefreshSettings.h"

#include <algorithm>

namespace databound {

namespace {

// Field names compare exactly, values pair by pair in order.
bool SameFields(const TRefreshSettings& A, const TRefreshSettings& B) {
    if (A.Fields.size() != B.Fields.size()) return false;
    for (int I = 0; I < A.Fields.size(); ++I)
        if (A.Fields[I].Campo != B.Fields[I].Campo || A.Fields[I].Valor != B.Fields[I].Valor) return false;
    return true;
}

}  // namespace

bool TRefreshSettingsList::Redundant(const TRefreshSettings& Request) const {
    return std::any_of(FItems.begin(), FItems.end(),
                       [&](const TRefreshSettings& Item) { return Item.Fields.isEmpty() || SameFields(Item, Request); });
}

bool TRefreshSettingsList::Add(const TRefreshSettings& Request, const QStringList& Tables) {
    if (!Tables.contains(Request.Tabela, Qt::CaseInsensitive) || Redundant(Request)) return false;
    if (Request.Fields.isEmpty()) FItems.clear();
    FItems.append(Request);
    return true;
}

}  // namespace databound
