#include "dataaccess/VexGlobalVars.h"

#include <QScopeGuard>

#include "platform/data/ADODB.h"
#include "platform/data/DBClient.h"
#include "platform/data/SessionVariables.h"

namespace dataaccess {

using namespace platform::data;

namespace {
constexpr int kNameSize = 50;
}

TGlobalVarStore::TGlobalVarStore(QObject* AOwner) : QObject(AOwner), FDataSet(std::make_unique<TClientDataSet>()) {
    FDataSet->SetName("cdsGlobalVar");
    FDataSet->FieldDefs().Add("Variavel", ftString, kNameSize, true);
    FDataSet->FieldDefs().Add("Valor", ftVariant);
    FDataSet->BeforePost = [this](TDataSet*) {
        if (!FLoading) WriteCurrentRow();
    };
}

TGlobalVarStore::~TGlobalVarStore() = default;

void TGlobalVarStore::SetConnection(TADOConnection* Value) {
    if (Value == FConnection) return;
    Close();
    FConnection = Value;
}

void TGlobalVarStore::Open() {
    if (FDataSet->Active()) return;
    if (!FConnection) DatabaseError("cdsGlobalVar: Missing Connection or ConnectionString");
    const TOperationResult Rows = CreateSessionVariables(*FConnection);
    FDataSet->CreateDataSet();
    // The rows read are already in the table: loading them writes nothing.
    FLoading = true;
    const auto Loaded = qScopeGuard([this] { FLoading = false; });
    for (const QVariantList& Row : Rows.Rows) FDataSet->AppendRecord(Row);
    FDataSet->MergeChangeLog();
    FDataSet->First();
}

void TGlobalVarStore::Close() { FDataSet->Close(); }

void TGlobalVarStore::WriteCurrentRow() {
    if (!FConnection) DatabaseError("cdsGlobalVar: Missing Connection or ConnectionString");
    SetSessionVariable(*FConnection, FDataSet->FieldByName("Variavel")->AsString(),
                       FDataSet->FieldByName("Valor")->Value());
}

}  // namespace dataaccess
