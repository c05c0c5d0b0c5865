#include "databound/DataSetParametros.h"

#include <map>
#include <vector>

#include "platform/data/Field.h"

namespace databound {

void TDataSetParametro::SetField(platform::data::TField* Value) {
    if (FField == Value) return;
    FField = Value;
    Changed();
}
void TDataSetParametro::SetNome(const QString& Value) { SetAndNotify(*this, FNome, Value); }
void TDataSetParametro::SetSinal(const QString& Value) { SetAndNotify(*this, FSinal, Value); }
void TDataSetParametro::SetGroupIndex(int Value) { SetAndNotify(*this, FGroupIndex, Value); }
void TDataSetParametro::SetLogica(TTipoLogica Value) { SetAndNotify(*this, FLogica, Value); }
void TDataSetParametro::SetValor(const QVariant& Value) { SetAndNotify(*this, FValor, Value); }

bool TDataSetParametro::Valid() const { return FField && !FNome.trimmed().isEmpty() && !FSinal.trimmed().isEmpty(); }

TDataSetParametros& TDataSetParametro::Parametros() const { return *static_cast<TDataSetParametros*>(Collection()); }

QString TDataSetParametro::ParamName() const {
    const TConditionOwner* Owner = Parametros().Owner();
    return QString("%1_%2").arg(Owner ? Owner->Nome() : QString(), FNome);
}

QString TDataSetParametro::DisplayName() const {
    if (!Valid()) return {};
    const QString Join = Index() < Collection()->Count() - 1 ? " " + LogicaText(FLogica) : QString();
    return QString("%1 (%2 %3 :%4)%5").arg(FGroupIndex).arg(FField->FieldName(), FSinal, FNome, Join);
}

TDataSetParametros::TDataSetParametros(TConditionOwner* Owner) : FOwner(Owner) {
    OnUpdate = [this](platform::ui::TCollection*, platform::ui::TCollectionItem*) {
        if (FOwner) FOwner->SetParamsChanged();
    };
}

QString TDataSetParametros::BuildCondition() const {
    std::map<int, std::vector<const TDataSetParametro*>> Groups;
    for (int I = 0; I < Count(); ++I)
        if (Items(I)->Valid()) Groups[Items(I)->GroupIndex()].push_back(Items(I));
    QString Result;
    for (const auto& [Index, Entries] : Groups) {
        (void)Index;
        QStringList Parts;
        for (std::size_t I = 0; I < Entries.size(); ++I) {
            const TDataSetParametro* P = Entries[I];
            QString Entry = QString("(%1 %2 :%3)").arg(P->Field()->Origin(), P->Sinal(), P->ParamName());
            if (I + 1 < Entries.size()) Entry += " " + LogicaText(P->Logica());
            Parts << Entry;
        }
        const QString Group = Entries.size() > 1 ? QString("(%1)").arg(Parts.join(' ')) : Parts.join(' ');
        if (!Result.isEmpty()) Result += " and";
        Result += " " + Group;
    }
    return Result;
}

TDataSetParametro* TDataSetParametros::FindByParamName(const QString& Name, bool Prefixed) const {
    for (int I = 0; I < Count(); ++I) {
        TDataSetParametro* P = Items(I);
        if ((Prefixed ? P->ParamName() : P->Nome()).compare(Name, Qt::CaseInsensitive) == 0) return P;
    }
    return nullptr;
}

}  // namespace databound
