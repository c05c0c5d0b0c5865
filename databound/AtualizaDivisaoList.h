#pragma once
// The registry of every division alive in the process. A division registers
// itself when it is created and leaves when it is freed, so the list never
// holds a freed one. The application tells the divisions about a changed
// table through it: each accepts the request or ignores it by its own rules.
#include <QList>

#include "databound/RefreshSettings.h"

namespace databound {

class TDivisao;

class TAtualizaDivisaoList {
public:
    TAtualizaDivisaoList() = default;
    TAtualizaDivisaoList(const TAtualizaDivisaoList&) = delete;
    TAtualizaDivisaoList& operator=(const TAtualizaDivisaoList&) = delete;

    // A division already listed is not listed twice.
    void Add(TDivisao* Divisao);
    void Remove(TDivisao* Divisao);
    int IndexOf(const TDivisao* Divisao) const;  // -1 when absent
    int Count() const { return static_cast<int>(FItems.size()); }
    TDivisao* Items(int Index) const { return FItems.at(Index); }

    // Hands the request to every listed division, in the order they were created; a division freed by an
    // earlier one's handling is skipped.
    void AddRefreshSettings(const TRefreshSettings& Settings);

private:
    QList<TDivisao*> FItems;
};

// The process-wide list.
TAtualizaDivisaoList& AtualizaDivisaoList();

}  // namespace databound
