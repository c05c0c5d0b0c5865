#pragma once
// The query dataset: rows of a Select read into memory; a posted or deleted
// row is written back to the table of the Select by its key fields. Failures
// of the statement or a row no longer found raise EDatabaseError.
#include <QString>
#include <vector>

#include "platform/data/ADODB.h"
#include "platform/data/DB.h"

namespace platform::data {

class TCustomADODataSet : public TDataSet, public TADOCommandSettings {
    Q_OBJECT
public:
    explicit TCustomADODataSet(QObject* AOwner = nullptr);
    ~TCustomADODataSet() override;

    // Keep FieldDefs given before opening instead of taking the result's.
    bool StoreDefs() const { return FStoreDefs; }
    void SetStoreDefs(bool Value) { FStoreDefs = Value; }

    // Runs the command again and goes to the first row.
    void Requery();
    // Re-reads the current row from the server.
    void RefreshRecord();
    // Takes the current row's values from Rows, read by a command that selects that row, matched on KeyNames
    // (every column but blobs when empty); raises when no row of Rows matches.
    void RefreshRecordFrom(const TDataPacket& Rows, const QStringList& KeyNames);
    // The rows of the command as a packet (the dataset stays as it is).
    TDataPacket FetchPacket();
    int ExecSQL();
    int RowsAffected() const { return FRowsAffected; }
    // The table the rows come from: the first one named after From.
    QString TableName() const;
    // FieldDefs become the command's columns as the server describes them, without reading rows.
    void UpdateFieldDefs();

protected:
    void InternalOpen() override;
    void InternalRefresh() override;
    TRecordData* InternalPost(TRecordData* Existing, std::vector<QVariant>& Values, int InsertAt) override;
    void InternalDelete(TRecordData* Record) override;
    void CommandChanging() override;
    QString CommandName() const override { return Name(); }

private:
    void WriteRow(TUpdateKind Kind, const std::vector<QVariant>& NewValues, const std::vector<QVariant>& OldValues);
    bool FStoreDefs = false;
    int FRowsAffected = -1;
};

class TADOQuery : public TCustomADODataSet {
    Q_OBJECT
public:
    using TCustomADODataSet::TCustomADODataSet;
    QString SQL() const { return CommandText(); }
    void SetSQL(const QString& Value) { SetCommandText(Value); }
};

class TADODataSet : public TCustomADODataSet {
    Q_OBJECT
public:
    using TCustomADODataSet::TCustomADODataSet;
};

}  // namespace platform::data
