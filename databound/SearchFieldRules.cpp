#include "databound/SearchFieldRules.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QTime>

#include "dataaccess/VexFieldValue.h"
#include "dataaccess/VexLookup.h"
#include "dataaccess/VexSearch.h"
#include "databound/CamposDivisao.h"
#include "databound/VexDivisao.h"
#include "platform/data/DB.h"

namespace databound {

using platform::data::TField;

namespace {

constexpr const char* kSearchNamePrefix = "rlc";

QString Quoted(const QString& Text) { return "'" + QString(Text).replace('\'', "''") + "'"; }

bool IsPlainString(const TField& Field) {
    const platform::data::TFieldType Type = Field.DataType();
    return Type == platform::data::ftString || Type == platform::data::ftFixedChar ||
           Type == platform::data::ftWideString;
}

// The value of the division's field of that name; Unassigned when there is no such field.
QVariant TokenValue(const TVexDBDivisao& Division, const QString& Name) {
    platform::data::TDataSet* DataSet = Division.GetDataSet();
    const TField* Field = DataSet ? DataSet->FindField(Name) : nullptr;
    return Field ? Field->Value() : QVariant();
}

QString ExpandWhere(const TVexDBDivisao& Division, const TConfigCampo& Config, const QString& Where) {
    static const QRegularExpression kToken(":(\\w+)");
    QString Result;
    qsizetype Last = 0;
    for (const QRegularExpressionMatch& Match : kToken.globalMatch(Where)) {
        QVariant Value = TokenValue(Division, Match.captured(1));
        if (Division.OnGetValoresMasterFilter)
            Division.OnGetValoresMasterFilter(&Division, Config, Match.captured(1), Value);
        Result += Where.mid(Last, Match.capturedStart() - Last) + ConditionLiteral(Value);
        Last = Match.capturedEnd();
    }
    return Result + Where.mid(Last);
}

const TConfigCampo* SearchItemOf(const TVexDBDivisao& Division, const TField& Field) {
    const TConfigCampo* Item = Division.Campos().Config().FindByField(&Field);
    if (Item && Item->Is(tfJoin)) Item = Division.Campos().Config().FindByField(Item->JoinField().SearchField());
    return Item;
}

}  // namespace

QString ConditionLiteral(const QVariant& Value) {
    if (!Value.isValid()) return {};
    if (Value.isNull()) return "Null";
    switch (Value.typeId()) {
        case QMetaType::Bool: return Value.toBool() ? "1" : "0";
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::ULongLong: return QString::number(Value.toLongLong());
        case QMetaType::Float:
        case QMetaType::Double: return QString::number(Value.toDouble(), 'g', 15);
        case QMetaType::QDate: return Quoted(Value.toDate().toString("yyyy-MM-dd"));
        case QMetaType::QTime: return Quoted(Value.toTime().toString("HH:mm:ss.zzz"));
        case QMetaType::QDateTime: return Quoted(Value.toDateTime().toString("yyyy-MM-ddTHH:mm:ss.zzz"));
        default: return Quoted(Value.toString());
    }
}

QString MasterFilterCondition(const TVexDBDivisao& Division, const TConfigCampo& Config) {
    const TMasterFilter& Filter = Config.SearchField().MasterFilter();
    QString First;
    if (Filter.Field() && !Filter.Field()->IsNull())
        First = QString("[%1] = %2").arg(Filter.FieldName(), ConditionLiteral(Filter.Field()->Value()));
    const QString Where = Filter.Where().trimmed();
    const QString Second = Where.isEmpty() ? QString() : ExpandWhere(Division, Config, Where);
    if (First.isEmpty()) return Second.isEmpty() ? QString() : "(" + Second + ")";
    if (Second.isEmpty()) return "(" + First + ")";
    return "(" + First + ") and (" + Second + ")";
}

bool SearchByKey(const TVexDBDivisao& Division, TField& Field) {
    const TConfigCampo* Item = SearchItemOf(Division, Field);
    if (!Item || !Item->Is(tfSearch) || !Item->Field()) return false;
    const TSearchField& Search = Item->SearchField();
    if (Search.Divisao().isEmpty() || Search.FieldName().isEmpty()) return false;
    const QString Text = Item->Field()->AsString();
    QStringList ResultList{Text.isEmpty() ? Search.FieldName() : Search.FieldName() + "=" + Text};
    QStringList FilterList;
    const QString Condition = MasterFilterCondition(Division, *Item);
    if (!Condition.isEmpty()) FilterList << Search.Divisao() + "=" + Condition;
    if (!dataaccess::OpenSearch(kSearchNamePrefix + Search.Divisao(), ResultList, FilterList, Search.Divisao()))
        return false;
    for (const QString& Line : ResultList)
        if (Line.section('=', 0, 0).compare(Search.FieldName(), Qt::CaseInsensitive) == 0)
            dataaccess::SetFieldValue(Item->Field(), Line.section('=', 1));
    return true;
}

void FillLookups(const TVexDBDivisao& Division, TField& Field) {
    const TConfigCampos& Config = Division.Campos().Config();
    const TConfigCampo* Changed = Config.FindByField(&Field);
    if (!Changed) return;
    QStringList Pairs;
    for (int I = 0; I < Config.Count(); ++I) {
        const TConfigCampo* Item = Config.Items(I);
        if (Item->Is(tfJoin) && Item->Field() && Item->JoinField().SearchField() == &Field)
            Pairs << Item->Field()->FieldName() + "=" + Item->JoinField().ResultField();
    }
    Pairs << Changed->SearchField().Lookups;
    const TSearchField& Search = Changed->SearchField();
    dataaccess::CopyLookupFields({Field.AsString(), Field.DataSet(), IsPlainString(Field)}, Search.Tabela(),
                                 Search.FieldName(), nullptr, Pairs);
}

}  // namespace databound
