#include "databound/DivisionFieldRules.h"

#include "controls/VexMessage.h"
#include "dataaccess/VexFieldValue.h"
#include "dataaccess/VexHost.h"
#include "dataaccess/VexLookup.h"
#include "dataaccess/VexSession.h"
#include "databound/CamposDivisao.h"
#include "databound/Especializacao.h"
#include "databound/Numeracao.h"
#include "databound/VexDivisao.h"
#include "platform/data/ADODB.h"
#include "platform/data/DB.h"
#include "platform/data/DBClient.h"
#include "platform/os/Exceptions.h"

namespace databound {

using namespace platform::data;

namespace {

constexpr const char* kMasterParamPrefix = "Master";

bool Missing(const TField& Field) {
    return IsStringType(Field.DataType()) && !Field.IsBlob() ? Field.AsString().isEmpty() : Field.IsNull();
}

// The time of day on the day time values are counted from.
QDateTime TimePart(const QDateTime& Value) { return QDateTime(QDate(1899, 12, 30), Value.time()); }

}  // namespace

void TDivisionFieldRules::NewRecord(TDataSet& DataSet) {
    (void)DataSet;
    ApplyDefaults(true);
}

void TDivisionFieldRules::BeforePost(TDataSet& DataSet) {
    CheckRequired();
    if (DataSet.State() == dsEdit) ApplyDefaults(false);
}

void TDivisionFieldRules::BeforeUpdate(TClientDataSet& Delta, TUpdateKind Kind, bool& Applied) {
    WriteSpecializations(FDivision, true, Applied, Kind, Delta);
}

void TDivisionFieldRules::AfterUpdate(TClientDataSet& Delta, TUpdateKind Kind) {
    bool Applied = false;
    WriteSpecializations(FDivision, false, Applied, Kind, Delta);
}

TSearchTarget TDivisionFieldRules::SearchTarget(const TField& Field) const {
    const TConfigCampos& Config = FDivision.Campos().Config();
    const TConfigCampo* Item = Config.FindByField(&Field);
    if (!Item || !Item->Is(tfJoin)) return {};
    const TConfigCampo* Search = Config.FindByField(Item->JoinField().SearchField());
    if (!Search || !Search->Is(tfSearch)) return {};
    return {Search->SearchField().Tabela(), Search->SearchField().FieldName()};
}

QStringList TDivisionFieldRules::KeyFields() const {
    const TConfigCampos& Config = FDivision.Campos().Config();
    QStringList Names;
    for (int I = 0; I < Config.Count(); ++I)
        if (Config.Items(I)->PrimaryKey() && Config.Items(I)->Field()) Names << Config.Items(I)->Field()->FieldName();
    return Names;
}

QString TDivisionFieldRules::MasterIncrementCondition(TParameters& Params) const {
    const auto* Master = qobject_cast<const TVexDBDivisao*>(FDivision.Master());
    const TDataSet* MasterData = Master ? Master->GetDataSet() : nullptr;
    if (!MasterData) return {};
    const QStringList MasterNames = FDivision.MasterFieldNames();
    const QStringList DetailNames = FDivision.DetailFieldNames();
    QStringList Conditions;
    for (int I = 0; I < MasterNames.size(); ++I) {
        const TField* Value = MasterData->FindField(MasterNames[I]);
        const QString Column = I < DetailNames.size() ? DetailNames[I] : MasterNames[I];
        const QString Name = kMasterParamPrefix + QString::number(I + 1);
        Params.CreateParameter(Name, Value ? Value->DataType() : ftString, Value ? Value->Value() : Null());
        Conditions << QString("%1 = :%2").arg(Column, Name);
    }
    return Conditions.join(" and ");
}

void TDivisionFieldRules::ApplyDefaults(bool NewRecord) {
    if (FDivision.SuspendDefaultValues) return;
    const TConfigCampos& Config = FDivision.Campos().Config();
    for (int I = 0; I < Config.Count(); ++I) {
        const TConfigCampo& Item = *Config.Items(I);
        TField* Field = Item.Field();
        const TValor& Valor = Item.Valor();
        if (!Field || Valor.Modificacao() == NewRecord) continue;
        const TValorIncremento& Incremento = Valor.Incremento();
        switch (Valor.Tipo()) {
            case vtValor:
                if (!VarIsClear(Valor.Valor())) dataaccess::SetFieldValue(Field, Valor.Valor());
                break;
            case vtIncremento:
                dataaccess::SetFieldValue(Field, NextIncrement(Incremento.Tabela, Incremento.FieldName, false));
                break;
            case vtIncrementoMax: {
                TParameters Params;
                const QString Where = Incremento.MasterFilter ? MasterIncrementCondition(Params) : QString();
                dataaccess::SetFieldValue(
                    Field, NextIncrement(Incremento.Tabela, Incremento.FieldName, true, nullptr, Where, &Params));
                break;
            }
            case vtData: dataaccess::SetFieldValue(Field, QDateTime(dataaccess::ServerNow().date(), QTime(0, 0))); break;
            case vtDateTime: dataaccess::SetFieldValue(Field, dataaccess::ServerNow()); break;
            case vtTime: dataaccess::SetFieldValue(Field, TimePart(dataaccess::ServerNow())); break;
            case vtUltimo:
                if (Item.Is(tfJoin)) {
                    const TConfigCampo* Search = Config.FindByField(Item.JoinField().SearchField());
                    if (!Search) break;
                    const QVariantList Row = dataaccess::SessionConnection().SelectRow(
                        QString("Select Top 1 %1 From %2 Order By %3 Desc")
                            .arg(Item.JoinField().ResultField(), Search->SearchField().Tabela(),
                                 Search->SearchField().FieldName()));
                    if (!Row.isEmpty()) dataaccess::SetFieldValue(Field, Row.front());
                } else {
                    dataaccess::SetFieldValue(Field, dataaccess::LastValue(FDivision.Campos().Tabela(),
                                                                           KeyFields().join(", "), Field->FieldName(),
                                                                           QString(), Valor.Valor()));
                }
                break;
            case vtUser: dataaccess::SetFieldValue(Field, dataaccess::CurrentUserId()); break;
        }
    }
}

bool TDivisionFieldRules::WarnThroughJoinFields(const TField& Missing, QList<const TField*>& Seen) {
    if (Seen.contains(&Missing)) return false;
    Seen << &Missing;
    const TConfigCampos& Config = FDivision.Campos().Config();
    for (int I = 0; I < Config.Count(); ++I) {
        const TConfigCampo& Item = *Config.Items(I);
        if (!Item.Field() || Item.JoinField().SearchField() != &Missing) continue;
        if (Item.Is(tfSearch) && WarnThroughJoinFields(*Item.Field(), Seen)) return true;
        if (Item.AutoSearch()) {
            dataaccess::SessionMessages().AddMessage(QString(kRequiredFieldWarning).arg(Item.Field()->DisplayLabel()),
                                                     QString(), controls::dkWarning,
                                                     controls::ButtonSet({controls::dbOK}), 0, -1);
            return true;
        }
    }
    return false;
}

void TDivisionFieldRules::CheckRequired() {
    if (FDivision.SuspendRequiredCheck) return;
    controls::TMessageQueue& Messages = dataaccess::SessionMessages();
    Messages.BeginMessages();
    const TConfigCampos& Config = FDivision.Campos().Config();
    int Count = 0;
    try {
        for (int I = 0; I < Config.Count(); ++I) {
            const TConfigCampo& Item = *Config.Items(I);
            if (!Item.Field() || !Item.Valor().Obrigatorio() || !Missing(*Item.Field())) continue;
            ++Count;
            QList<const TField*> Seen;
            if (!WarnThroughJoinFields(*Item.Field(), Seen))
                Messages.AddMessage(QString(kRequiredFieldWarning).arg(Item.Field()->DisplayLabel()), QString(),
                                    controls::dkWarning, controls::ButtonSet({controls::dbOK}), 0, -1);
        }
    } catch (...) {
        Messages.EndMessages(true);
        throw;
    }
    Messages.EndMessages(true);
    if (Count > 0) throw platform::os::EAbort();
}

}  // namespace databound
