#include "platform/data/ADODataSet.h"

#include <QSqlQuery>

#include "platform/data/SqlResolver.h"
#include "platform/data/SqlTokens.h"

namespace platform::data {

TCustomADODataSet::TCustomADODataSet(QObject* AOwner) : TDataSet(AOwner) {}

TCustomADODataSet::~TCustomADODataSet() = default;

// A new text or connection ends the rows of the old one.
void TCustomADODataSet::CommandChanging() { Close(); }

namespace {

// A column without a declared type takes the type all its values share: integers
// read as floats when any value has a fraction, never rounded to the first row's type.
void NarrowColumn(TDataPacket& Packet, int Slot) {
    bool Integers = true, Numbers = true, Texts = true, Any = false;
    int Length = 0;
    for (const TDataPacket::TRow& Row : Packet.Rows) {
        const QVariant& V = Row.Values[Slot];
        if (VarIsClear(V)) continue;
        Any = true;
        const int Id = V.typeId();
        const bool Integral = Id == QMetaType::LongLong || Id == QMetaType::Int;
        Integers = Integers && Integral;
        Numbers = Numbers && (Integral || Id == QMetaType::Double);
        Texts = Texts && Id == QMetaType::QString;
        if (Id == QMetaType::QString) Length = std::max(Length, static_cast<int>(V.toString().size()));
    }
    if (!Any) return;
    TFieldDef& Def = Packet.FieldDefs[Slot];
    Def.DataType = Integers ? ftLargeint : Numbers ? ftFloat : Texts ? ftString : ftVariant;
    if (Def.DataType == ftString) Def.Size = std::max(Length, 1);
    if (Def.DataType == ftVariant) return;
    for (TDataPacket::TRow& Row : Packet.Rows)
        if (!VarIsClear(Row.Values[Slot])) Row.Values[Slot] = ConvertValue(Row.Values[Slot], Def.DataType);
}

}  // namespace

TDataPacket TCustomADODataSet::FetchPacket() {
    TADOConnection& C = CheckConnection();
    QSqlQuery Fresh;
    QSqlQuery& Q = Prepared() ? C.RunCached(CommandText(), &FParameters, CommandTimeout())
                              : (Fresh = C.Run(CommandText(), &FParameters, CommandTimeout()));
    if (!Q.isSelect()) DatabaseError(QString("%1: CommandText does not return a result set").arg(Name()));
    TDataPacket Packet;
    const TFieldDefs Result = C.ColumnDefs(Q, CommandText());
    Packet.FieldDefs = FStoreDefs && FieldDefs().Count() > 0 ? FieldDefs() : Result;
    struct TColumn {
        int Slot;
        TFieldType Type;
        int VariantType;
    };
    std::vector<TColumn> Columns;
    for (const TFieldDef& Def : Result) {
        const int Slot = Packet.FieldDefs.IndexOf(Def.Name);
        const TFieldType Type = Slot < 0 ? ftUnknown : Packet.FieldDefs[Slot].DataType;
        Columns.push_back(TColumn{Slot, Type, VariantTypeOf(Type)});
    }
    const size_t Slots = Packet.FieldDefs.Count();
    // Servers that hand the whole result over at once know its size: the rows are then never moved.
    if (const int Size = Q.size(); Size > 0) Packet.Rows.reserve(static_cast<size_t>(Size));
    const QVariant Empty = Null();
    while (Q.next()) {
        TDataPacket::TRow Row;
        Row.Values.assign(Slots, Empty);
        for (size_t I = 0; I < Columns.size(); ++I) {
            if (Columns[I].Slot < 0) continue;
            QVariant V = Q.value(static_cast<int>(I));
            if (V.isNull()) continue;
            if (V.typeId() == Columns[I].VariantType) Row.Values[Columns[I].Slot] = std::move(V);
            else Row.Values[Columns[I].Slot] = ConvertValue(V, Columns[I].Type);
        }
        Packet.Rows.push_back(std::move(Row));
    }
    Q.finish();
    for (const TColumn& Column : Columns)
        if (Column.Slot >= 0 && Column.Type == ftVariant) NarrowColumn(Packet, Column.Slot);
    if (!FStoreDefs || FieldDefs().Count() == 0) C.NamesAsDefined(Packet.FieldDefs, CommandText());
    return Packet;
}

void TCustomADODataSet::InternalOpen() {
    TDataPacket Packet = FetchPacket();
    if (!(FStoreDefs && FieldDefs().Count() > 0)) FieldDefs() = Packet.FieldDefs;
    Records().reserve(Packet.Rows.size());
    for (TDataPacket::TRow& Row : Packet.Rows) AddRecord(std::move(Row.Values));
}

void TCustomADODataSet::InternalRefresh() {
    TDataPacket Packet = FetchPacket();
    ClearRecords();
    for (TDataPacket::TRow& Row : Packet.Rows) AddRecord(std::move(Row.Values));
}

void TCustomADODataSet::Requery() {
    CheckBrowseMode();
    InternalRefresh();
    ResetView();
    DataEvent(deDataSetChange);
}

void TCustomADODataSet::RefreshRecord() {
    CheckBrowseMode();
    QStringList Keys;
    for (TField* F : FieldList())
        if (F->ProviderFlags() & pfInKey) Keys << F->FieldName();
    RefreshRecordFrom(FetchPacket(), Keys);
}

void TCustomADODataSet::RefreshRecordFrom(const TDataPacket& Rows, const QStringList& KeyNames) {
    CheckBrowseMode();
    if (!RefreshCurrentFrom(Rows, KeyNames))
        DatabaseError(QString("%1: Record not found or changed by another user").arg(Name()));
}

int TCustomADODataSet::ExecSQL() {
    FRowsAffected = ExecuteCommand();
    return FRowsAffected;
}

QString TCustomADODataSet::TableName() const { return TableNameFromSql(CommandText()); }

void TCustomADODataSet::UpdateFieldDefs() {
    FieldDefs() = CheckConnection().CommandFieldDefs(CommandText(), &FParameters);
}

void TCustomADODataSet::WriteRow(TUpdateKind Kind, const std::vector<QVariant>& NewValues,
                                 const std::vector<QVariant>& OldValues) {
    std::vector<TResolveField> Fields;
    bool HasKey = false;
    for (TField* F : FieldList()) {
        if (F->FieldKind() != fkData) continue;
        Fields.push_back(ResolveFieldOf(*F));
        HasKey = HasKey || (F->ProviderFlags() & pfInKey);
    }
    TSqlResolver Resolver(CheckConnection(), TableName(), HasKey ? upWhereKeyOnly : upWhereAll, std::move(Fields));
    Resolver.Apply(Kind, NewValues, OldValues);
}

TRecordData* TCustomADODataSet::InternalPost(TRecordData* Existing, std::vector<QVariant>& Values, int InsertAt) {
    if (Existing) WriteRow(ukModify, Values, Existing->Values);
    else WriteRow(ukInsert, Values, Values);
    return TDataSet::InternalPost(Existing, Values, InsertAt);
}

void TCustomADODataSet::InternalDelete(TRecordData* Record) {
    WriteRow(ukDelete, Record->Values, Record->Values);
    TDataSet::InternalDelete(Record);
}

}  // namespace platform::data
