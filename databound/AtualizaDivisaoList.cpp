#include "databound/AtualizaDivisaoList.h"

#include "databound/VexDivisao.h"

namespace databound {

void TAtualizaDivisaoList::Add(TDivisao* Divisao) {
    if (Divisao && IndexOf(Divisao) < 0) FItems.append(Divisao);
}

void TAtualizaDivisaoList::Remove(TDivisao* Divisao) { FItems.removeAll(Divisao); }

int TAtualizaDivisaoList::IndexOf(const TDivisao* Divisao) const {
    return static_cast<int>(FItems.indexOf(const_cast<TDivisao*>(Divisao)));
}

void TAtualizaDivisaoList::AddRefreshSettings(const TRefreshSettings& Settings) {
    const QList<TDivisao*> Listed = FItems;
    for (TDivisao* Divisao : Listed)
        if (IndexOf(Divisao) >= 0) Divisao->AddRefreshSettings(&Settings);
}

TAtualizaDivisaoList& AtualizaDivisaoList() {
    static TAtualizaDivisaoList List;
    return List;
}

}  // namespace databound
