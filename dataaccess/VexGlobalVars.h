#pragma once
// The session's global-variable store: a dataset of (Variavel, Valor) over
// the session table #Global_Var of its connection. Opening creates the table
// only when it is missing, so a store opened again keeps the session's
// values. A posted row is written to the table first; when that write fails
// the post fails and the row stays in edit.
#include <QObject>
#include <memory>

namespace platform::data {
class TADOConnection;
class TClientDataSet;
}  // namespace platform::data

namespace dataaccess {

class TGlobalVarStore : public QObject {
    Q_OBJECT
public:
    explicit TGlobalVarStore(QObject* AOwner = nullptr);
    ~TGlobalVarStore() override;

    platform::data::TADOConnection* Connection() const { return FConnection; }
    // A new connection closes the dataset.
    void SetConnection(platform::data::TADOConnection* Value);
    // Reads the session table, creating it when missing; EDatabaseError without a connection.
    void Open();
    void Close();
    platform::data::TClientDataSet& DataSet() { return *FDataSet; }

private:
    void WriteCurrentRow();

    platform::data::TADOConnection* FConnection = nullptr;
    bool FLoading = false;
    std::unique_ptr<platform::data::TClientDataSet> FDataSet;
};

}  // namespace dataaccess
