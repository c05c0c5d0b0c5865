#include "PermissionTesting.h"

#include "dataaccess/PermissionOperations.h"
#include "dataaccess/VexSchema.h"
#include "platform/data/ADODB.h"

namespace dataaccess::testing {

using namespace platform::data;

namespace {

QVariant IdOrNull(int Id) { return Id == 0 ? Null() : QVariant(Id); }

void Insert(TADOConnection& Connection, const QString& Sql, const QStringList& Names, const QVariantList& Values) {
    TParameters Params;
    for (int I = 0; I < Names.size(); ++I) Params.CreateParameter(Names[I], ftUnknown, Values[I]);
    Connection.Execute(Sql, &Params);
}

// Forwards every run to a fresh original and counts it.
class TCountingOperation : public TNamedOperation {
public:
    TCountingOperation(std::unique_ptr<TNamedOperation> Inner, std::shared_ptr<int> Runs)
        : FInner(std::move(Inner)), FRuns(std::move(Runs)) {}
    QString Name() const override { return FInner->Name(); }
    QString Batch() const override { return FInner->Batch(); }
    std::vector<TOperationParam> Params() const override { return FInner->Params(); }

protected:
    TOperationResult RunBatch(TADOConnection& Connection, const TParameters& Params) const override {
        return Counted(Connection, Params);
    }
    TOperationResult RunNative(TADOConnection& Connection, const TParameters& Params) const override {
        return Counted(Connection, Params);
    }

private:
    TOperationResult Counted(TADOConnection& Connection, const TParameters& Params) const {
        ++*FRuns;
        return FInner->Run(Connection, Params);
    }
    std::unique_ptr<TNamedOperation> FInner;
    std::shared_ptr<int> FRuns;
};

std::unique_ptr<TNamedOperation> FreshOperation(const QString& Name) {
    for (auto& Operation : PermissionOperations())
        if (Operation->Name() == Name) return std::move(Operation);
    return nullptr;
}

}  // namespace

void PermissionTest::SetUp() {
    EngineTest::SetUp();
    if (IsSkipped()) return;
    CreateSchema(*Conn);
    RegisterPermissionOperations();
    Host = std::make_unique<TTestHost>(Conn.get());
}

void PermissionTest::TearDown() {
    Host.reset();
    EngineTest::TearDown();
}

void PermissionTest::AddUser(int Id, const QString& Name) {
    Insert(*Conn, "Insert Into sys_Usuario (IdUsuario, Nome) Values (:Id, :Nome)", {"Id", "Nome"}, {Id, Name});
}

void PermissionTest::AddRole(int Id, const QString& Name) {
    Insert(*Conn, "Insert Into sys_Papel (IdPapel, Nome) Values (:Id, :Nome)", {"Id", "Nome"}, {Id, Name});
}

void PermissionTest::AddMember(int Superior, int IdUsuario, int IdPapel) {
    const int Id = Conn->SelectRow("Select Count(*) From sys_Papel_Membro").value(0).toInt() + 1;
    Insert(*Conn,
           "Insert Into sys_Papel_Membro (IdPapel_Membro, IdPapel_Superior, IdUsuario, IdPapel) "
           "Values (:Id, :Superior, :IdUsuario, :IdPapel)",
           {"Id", "Superior", "IdUsuario", "IdPapel"}, {Id, Superior, IdOrNull(IdUsuario), IdOrNull(IdPapel)});
}

void PermissionTest::AddTable(int Id, const QString& Name) {
    Insert(*Conn, "Insert Into sys_Tabela (IdTabela, Nome) Values (:Id, :Nome)", {"Id", "Nome"}, {Id, Name});
}

void PermissionTest::Grant(int IdTabela, int IdPapel, std::array<int, kPermissionActionCount> Levels) {
    Insert(*Conn,
           "Insert Into sys_Permissao_Tabela (IdTabela, IdPapel, Ao_Visualizar, Ao_Inserir, Ao_Atualizar, "
           "Ao_Excluir, Ao_Imprimir) Values (:IdTabela, :IdPapel, :V, :I, :A, :E, :P)",
           {"IdTabela", "IdPapel", "V", "I", "A", "E", "P"},
           {IdTabela, IdPapel, Levels[0], Levels[1], Levels[2], Levels[3], Levels[4]});
}

void PermissionTest::AddPassword(TADOConnection& Connection, int Id, const QString& Name, const QString& Senha,
                                 int Tipo) {
    Insert(Connection,
           "Insert Into sys_Senha_Controle (IdSenha_Controle, Nome, Senha, Tipo) Values (:Id, :Nome, :Senha, :Tipo)",
           {"Id", "Nome", "Senha", "Tipo"}, {Id, Name, Senha, Tipo});
}

QStringList PermissionTest::LogRows(TADOConnection& Connection) {
    TOperationResult Rows = ExecuteStatement(
        Connection, "Select Descricao, Referencia, Motivo, IdUsuario From sys_Log Order By Descricao", nullptr);
    QStringList Out;
    for (const QVariantList& Row : Rows.Rows) {
        QStringList Values;
        for (const QVariant& V : Row) Values << (VarIsClear(V) ? QString("<null>") : V.toString());
        Out << Values.join('|');
    }
    return Out;
}

QString PermissionTest::StoredPassword(int Id) {
    TParameters Params;
    Params.CreateParameter("Id", ftInteger, Id);
    const QVariantList Row = Conn->SelectRow("Select Senha From sys_Senha_Controle Where IdSenha_Controle = :Id", &Params);
    return Row.isEmpty() ? QString("<deleted>") : Row[0].toString();
}

bool TRecordingTable::MonitorValidate(int Kind, TPermissionAction, QString& Operation) {
    Asked << QString("monitor %1").arg(Kind);
    if (Kind != DemandingMonitor) return false;
    Operation = SuppliedOperation;
    return true;
}

bool TRecordingTable::RequiresControlPassword(TPermissionAction, QString& Operation) {
    Asked << "table";
    if (TableRequires) Operation = SuppliedOperation;
    return TableRequires;
}

void TRecordingTable::GetOperationDescription(QString& Text) {
    if (Text.isEmpty()) GetCaption(Text);
    Text = PermissionActionName(LastAction) + " - " + Text;
}

TOperationCounter::TOperationCounter(const QString& Name) : FName(Name), FRuns(std::make_shared<int>(0)) {
    RegisterOperation(std::make_unique<TCountingOperation>(FreshOperation(Name), FRuns));
}

TOperationCounter::~TOperationCounter() { RegisterOperation(FreshOperation(FName)); }

}  // namespace dataaccess::testing
