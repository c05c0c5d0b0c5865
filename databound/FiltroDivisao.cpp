#include "databound/FiltroDivisao.h"

#include <map>

#include "databound/ValoresPossiveis.h"
#include "platform/data/DataTypes.h"
#include "platform/data/Field.h"

namespace databound {

namespace {

const char* const kWords[] = {"and", "or", "=", "<", "<=", ">", ">=", "Like", "Between", "Is Null"};

// A filter's condition within its group and the word that joins it to the entry before.
struct TEntry {
    QString Text;
    TTipoLogica Logica;
};

}  // namespace

QString LogicaText(TTipoLogica Logica) { return kWords[Logica]; }
QString OperatorText(TFiltroOperator Operator) { return kWords[Operator + 2]; }

TFiltroValue::TFiltroValue(platform::ui::TCollection* Collection)
    : TCollectionItem(Collection),
      FDataInicial(std::make_unique<dataaccess::TCalcDate>()),
      FDataFinal(std::make_unique<dataaccess::TCalcDate>()) {
    FDataInicial->OnCalcsChanged = [this] { Changed(); };
    FDataFinal->OnCalcsChanged = [this] { Changed(); };
}

TFiltroValue::~TFiltroValue() = default;

void TFiltroValue::SetActive(bool Value) { SetAndNotify(*this, FActive, Value); }
void TFiltroValue::SetCaption(const QString& Value) { SetAndNotify(*this, FCaption, Value); }
void TFiltroValue::SetOperator(TFiltroOperator Value) { SetAndNotify(*this, FOperator, Value); }
void TFiltroValue::SetValue(const QVariant& Value) { SetAndNotify(*this, FValue, Value); }
void TFiltroValue::SetValue2(const QVariant& Value) { SetAndNotify(*this, FValue2, Value); }
void TFiltroValue::SetPeriodoEspecifico(bool Value) { SetAndNotify(*this, FPeriodoEspecifico, Value); }
void TFiltroValue::SetIdentificacao(const QString& Value) { SetAndNotify(*this, FIdentificacao, Value); }

TFiltroDivisao& TFiltroValue::Filtro() const { return static_cast<TFiltroValues*>(Collection())->Owner(); }

QString TFiltroValue::ParamName(int Operand) const {
    const TFiltroDivisao& F = Filtro();
    const TConditionOwner* Owner = F.Filtros().Owner();
    return QString("%1_%2%3_Value%4").arg(Owner ? Owner->Nome() : QString(), F.ShortName()).arg(Index() + 1).arg(Operand);
}

QString TFiltroValue::BuildCondition(bool WithParams) const {
    const platform::data::TField* Field = Filtro().Field();
    if (!Field) return {};
    const QString Op = OperatorText(FOperator);
    QString Result;
    switch (FOperator) {
        case foBetween:
            Result = WithParams ? QString("%1 :%2 and :%3").arg(Op, Name(), Name2())
                                : QString("%1 %2 and %3").arg(Op, FValue.toString(), FValue2.toString());
            break;
        case foIsNull:
            Result = platform::data::IsStringType(Field->DataType()) || Field->DataType() == platform::data::ftMemo
                         ? QString("%1 or %2 Like ''").arg(Op, Field->Origin())
                         : Op;
            break;
        default:
            Result = WithParams ? QString("%1 :%2").arg(Op, Name()) : QString("%1 %2").arg(Op, FValue.toString());
    }
    return Result.isEmpty() ? Result : QString("%1 %2").arg(Field->Origin(), Result);
}

QString TFiltroValue::DisplayName() const {
    QString Result = BuildCondition(false);
    if (Index() < Collection()->Count() - 1) Result += " " + LogicaText(Filtro().LogicaValues());
    return Result;
}

QVariant TFiltroValue::ReadValue(int Operand) const {
    const TFiltroDivisao& F = Filtro();
    if (!FIdentificacao.isEmpty() && F.Field()) {
        QVariant V1, V2;
        if (GetValorPossivel(F.Filtros().Owner(), *F.Field(), FIdentificacao, V1, V2)) return Operand == 1 ? V1 : V2;
    }
    if (F.Estilo() == efPeriodo && !FPeriodoEspecifico)
        return Operand == 1 ? QDateTime(FDataInicial->Value(), F.HoraInicial())
                            : QDateTime(FDataFinal->Value(), F.HoraFinal());
    return Operand == 1 ? FValue : FValue2;
}

TFiltroValues::TFiltroValues(TFiltroDivisao& Owner) : FOwner(Owner) {
    OnUpdate = [this](platform::ui::TCollection*, platform::ui::TCollectionItem*) { FOwner.Changed(); };
}

TFiltroDivisao::TFiltroDivisao(platform::ui::TCollection* Collection) : TCollectionItem(Collection), FValues(*this) {}

void TFiltroDivisao::SetField(platform::data::TField* Value) {
    if (FField == Value) return;
    FField = Value;
    Changed();
}
void TFiltroDivisao::SetLogica(TTipoLogica Value) { SetAndNotify(*this, FLogica, Value); }
void TFiltroDivisao::SetLogicaValues(TTipoLogica Value) { SetAndNotify(*this, FLogicaValues, Value); }
void TFiltroDivisao::SetGroupIndex(int Value) { SetAndNotify(*this, FGroupIndex, Value); }
void TFiltroDivisao::SetActive(bool Value) { SetAndNotify(*this, FActive, Value); }
void TFiltroDivisao::SetEstilo(TEstiloFiltro Value) { SetAndNotify(*this, FEstilo, Value); }
void TFiltroDivisao::SetNegate(bool Value) { SetAndNotify(*this, FNegate, Value); }
void TFiltroDivisao::SetHoraInicial(const QTime& Value) { SetAndNotify(*this, FHoraInicial, Value); }
void TFiltroDivisao::SetHoraFinal(const QTime& Value) { SetAndNotify(*this, FHoraFinal, Value); }

TFiltrosDivisao& TFiltroDivisao::Filtros() const { return *static_cast<TFiltrosDivisao*>(Collection()); }

QString TFiltroDivisao::DisplayName() const { return FField ? FField->FieldName() : QString(); }

QString TFiltroDivisao::ShortName() const { return QString("f%1_%2").arg(Index() + 1).arg(DisplayName()); }

QString TFiltroDivisao::BuildCondition() const {
    int ActiveCount = 0;
    for (int I = 0; I < FValues.Count(); ++I) ActiveCount += FValues.Items(I)->Active() ? 1 : 0;
    // The values keep their own joining word; a negation covers the whole of it.
    const QString Join = LogicaText(FLogicaValues);
    QString Result;
    for (int I = 0; I < FValues.Count(); ++I) {
        const TFiltroValue* V = FValues.Items(I);
        if (!V->Active()) continue;
        const QString Condition = V->BuildCondition(true);
        if (Condition.isEmpty()) continue;
        if (!Result.isEmpty()) Result += QString(" %1 ").arg(Join);
        Result += ActiveCount == 1 ? Condition : QString("(%1)").arg(Condition);
    }
    if (!Result.isEmpty() && FNegate) Result = QString("not (%1)").arg(Result);
    return Result;
}

TFiltrosDivisao::TFiltrosDivisao(TConditionOwner* Owner) : FOwner(Owner) {
    OnUpdate = [this](platform::ui::TCollection*, platform::ui::TCollectionItem*) {
        if (FOwner) FOwner->SetParamsChanged();
    };
}

QString TFiltrosDivisao::BuildCondition() const {
    std::map<int, std::vector<TEntry>> Groups;
    for (int I = 0; I < Count(); ++I) {
        const TFiltroDivisao* F = Items(I);
        if (!F->Active()) continue;
        const QString Condition = F->BuildCondition();
        if (!Condition.isEmpty()) Groups[F->GroupIndex()].push_back({QString("(%1)").arg(Condition), F->Logica()});
    }
    QString Result;
    TTipoLogica Previous = tlAnd;
    for (const auto& [Index, Entries] : Groups) {
        (void)Index;
        QString Group;
        for (const TEntry& E : Entries)
            Group = Group.isEmpty() ? E.Text : QString("%1 %2 ").arg(Group, LogicaText(E.Logica)) + E.Text;
        if (Entries.size() > 1) Group = QString("(%1)").arg(Group);
        Result = Result.isEmpty() ? Group : QString("%1 %2 ").arg(Result, LogicaText(Previous)) + Group;
        Previous = Entries.back().Logica;
    }
    return Result;
}

}  // namespace databound
