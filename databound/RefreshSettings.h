#pragma once
// The refresh requests a division keeps until it can act on them: a changed
// table and the key values of the changed row, or no values when the whole
// table changed. A whole-table request makes every other request redundant
// until the list is processed; identical requests are kept once.
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace databound {

struct TRefreshField {
    QString Campo;
    QVariant Valor;
};

struct TRefreshSettings {
    QString Tabela;
    QList<TRefreshField> Fields;
};

class TRefreshSettingsList {
public:
    // Keeps a request for one of Tables (ignoring case) unless it is redundant; true when it was kept.
    bool Add(const TRefreshSettings& Request, const QStringList& Tables);
    const QList<TRefreshSettings>& Items() const { return FItems; }
    int Count() const { return static_cast<int>(FItems.size()); }
    void Clear() { FItems.clear(); }

private:
    bool Redundant(const TRefreshSettings& Request) const;

    QList<TRefreshSettings> FItems;
};

}  // namespace databound
