#pragma once
// The user filters of a division: per field, a set of values with comparison
// operators, grouped and optionally negated. Each builds a condition text that
// names its values as parameters ("<division>_f<n>_<field><v>_Value<i>"); the
// values themselves never enter the text. A filter without a field contributes
// nothing. Every change tells the owning division.
#include <QDateTime>
#include <QPointer>
#include <QString>
#include <QTime>
#include <QVariant>
#include <memory>

#include "dataaccess/VexPeriodo.h"
#include "databound/ConditionOwner.h"
#include "platform/data/Field.h"
#include "platform/ui/Classes.h"

namespace databound {

enum TTipoLogica { tlAnd, tlOr };
enum TFiltroOperator {
    foEquals,
    foLessThan,
    foLessThanOrEqualTo,
    foGreaterThan,
    foGreaterThanOrEqualTo,
    foLike,
    foBetween,
    foIsNull
};
enum TEstiloFiltro { efCheck, efRadio, efTexto, efCombo, efPeriodo };

QString LogicaText(TTipoLogica Logica);
QString OperatorText(TFiltroOperator Operator);

class TFiltroDivisao;

class TFiltroValue : public platform::ui::TCollectionItem {
public:
    explicit TFiltroValue(platform::ui::TCollection* Collection);
    ~TFiltroValue() override;

    bool Active() const { return FActive; }
    void SetActive(bool Value);
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    TFiltroOperator Operator() const { return FOperator; }
    void SetOperator(TFiltroOperator Value);
    QVariant Value() const { return FValue; }
    void SetValue(const QVariant& Value);
    QVariant Value2() const { return FValue2; }
    void SetValue2(const QVariant& Value);
    dataaccess::TCalcDate& DataInicial() { return *FDataInicial; }
    dataaccess::TCalcDate& DataFinal() { return *FDataFinal; }
    int Tag() const { return FTag; }
    void SetTag(int Value) { FTag = Value; }
    bool PeriodoEspecifico() const { return FPeriodoEspecifico; }
    void SetPeriodoEspecifico(bool Value);
    QString Identificacao() const { return FIdentificacao; }
    void SetIdentificacao(const QString& Value);

    TFiltroDivisao& Filtro() const;
    // The parameter names of the two operands.
    QString Name() const { return ParamName(1); }
    QString Name2() const { return ParamName(2); }
    // Column, operator and parameters; with WithParams false the values as text instead. Empty without a field.
    QString BuildCondition(bool WithParams) const;
    // The condition without parameters and, but for the last value, the filter's joining word.
    QString DisplayName() const;
    // Operand 1 or 2 as bound: a provider's value, a computed period date, or the stored value.
    QVariant ReadValue(int Operand) const;

private:
    QString ParamName(int Operand) const;

    bool FActive = true;
    QString FCaption;
    TFiltroOperator FOperator = foEquals;
    QVariant FValue, FValue2;
    std::unique_ptr<dataaccess::TCalcDate> FDataInicial, FDataFinal;
    int FTag = 0;
    bool FPeriodoEspecifico = false;
    QString FIdentificacao;
};

// The values of one filter; a change of a value tells the filter.
class TFiltroValues : public platform::ui::TOwnedCollection<TFiltroValue> {
public:
    explicit TFiltroValues(TFiltroDivisao& Owner);
    TFiltroDivisao& Owner() const { return FOwner; }

private:
    TFiltroDivisao& FOwner;
};

class TFiltrosDivisao;

class TFiltroDivisao : public platform::ui::TCollectionItem {
public:
    explicit TFiltroDivisao(platform::ui::TCollection* Collection);

    platform::data::TField* Field() const { return FField; }
    void SetField(platform::data::TField* Value);
    TTipoLogica Logica() const { return FLogica; }
    void SetLogica(TTipoLogica Value);
    TTipoLogica LogicaValues() const { return FLogicaValues; }
    void SetLogicaValues(TTipoLogica Value);
    TFiltroValues& Values() { return FValues; }
    const TFiltroValues& Values() const { return FValues; }
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value);
    bool Active() const { return FActive; }
    void SetActive(bool Value);
    TEstiloFiltro Estilo() const { return FEstilo; }
    void SetEstilo(TEstiloFiltro Value);
    bool Negate() const { return FNegate; }
    void SetNegate(bool Value);
    // Times of day added to the start and end dates of period values.
    QTime HoraInicial() const { return FHoraInicial; }
    void SetHoraInicial(const QTime& Value);
    QTime HoraFinal() const { return FHoraFinal; }
    void SetHoraFinal(const QTime& Value);

    TFiltrosDivisao& Filtros() const;
    // The field's name; empty without a field.
    QString DisplayName() const;
    // "f<position>_<field name>".
    QString ShortName() const;
    // The active values joined by LogicaValues; "not (...)" of exactly that when negated.
    QString BuildCondition() const;

private:
    QPointer<platform::data::TField> FField;  // cleared when the field goes away
    TTipoLogica FLogica = tlAnd;
    TTipoLogica FLogicaValues = tlAnd;
    TFiltroValues FValues;
    int FGroupIndex = 0;
    bool FActive = true;
    TEstiloFiltro FEstilo = efTexto;
    bool FNegate = false;
    QTime FHoraInicial = QTime(0, 0, 0);
    QTime FHoraFinal = QTime(23, 59, 59);
};

class TFiltrosDivisao : public platform::ui::TOwnedCollection<TFiltroDivisao> {
public:
    explicit TFiltrosDivisao(TConditionOwner* Owner);
    TConditionOwner* Owner() const { return FOwner; }
    // The groups in ascending GroupIndex, each filter in parentheses; empty when no filter yields a condition.
    QString BuildCondition() const;

private:
    TConditionOwner* FOwner;
};

}  // namespace databound
