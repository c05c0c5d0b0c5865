#include "dataaccess/PermissionOperations.h"

#include <QRandomGenerator>
#include <QScopeGuard>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "platform/data/ADODB.h"

namespace dataaccess {

using namespace platform::data;

namespace {

// Column order of the permission rows; the levels are kept by action (view, insert, update, delete, print).
const char* const kLevelColumns[] = {"Ao_Visualizar", "Ao_Inserir", "Ao_Atualizar", "Ao_Excluir", "Ao_Imprimir"};
constexpr int kRenewedKind = 2;
constexpr int kSingleUseKind = 3;
constexpr int kAdministratorKind = 1;
constexpr int kNewDigitsLength = 10;  // the longest password the table holds

// The roles a user (or a role) inherits, followed to the end; Union drops roles already found, so cycles end.
const char* const kNativeUserRoles =
    "With Recursive Papeis (IdPapel) As (\n"
    "  Select IdPapel_Superior From sys_Papel_Membro Where :IdUsuario <> 0 And IdUsuario = :IdUsuario\n"
    "  Union Select IdPapel From sys_Papel Where :IdUsuario = 0 And IdPapel = :IdPapel And :Proprio = 1\n"
    "  Union Select IdPapel_Superior From sys_Papel_Membro\n"
    "    Where :IdUsuario = 0 And :IdPapel <> 0 And :Superiores = 1 And IdPapel = :IdPapel\n"
    "  Union Select Mbr.IdPapel_Superior From sys_Papel_Membro Mbr\n"
    "    Inner Join Papeis Sup On Mbr.IdPapel = Sup.IdPapel Where :Recursivo = 1\n"
    ")\n";

// The first value of the first row; Unassigned when there is none.
QVariant FirstValue(const TOperationResult& Result) {
    return Result.Rows.empty() || Result.Rows.front().isEmpty() ? QVariant() : Result.Rows.front().front();
}

// The one-row answer of the batches that end in "Select ... As Result".
TOperationResult BitResult(bool Value) {
    TOperationResult Result;
    Result.Columns << "Result";
    Result.Rows.push_back({Value});
    return Result;
}

QVariant ToNull(const QString& Text) { return Text.isEmpty() ? Null() : QVariant(Text); }

// The id of the first row whose Nome equals Name ignoring case; 0 when none does or the name is empty.
int IdByName(TADOConnection& Connection, const QString& Table, const QString& Key, const QString& Name) {
    if (Name.isEmpty()) return 0;
    TParameters Params;
    Params.CreateParameter("Nome", ftString, Name);
    const QString Sql = QString("Select %1 From %2 Where Upper(Nome) = Upper(:Nome) Order By %1").arg(Key, Table);
    return Connection.SelectRow(Sql, &Params).value(0).toInt();
}

void RolesParams(TParameters& Params, int IdUsuario, int IdPapel, bool Own, bool Superiors, bool Recursive) {
    Params.CreateParameter("IdUsuario", ftInteger, IdUsuario);
    Params.CreateParameter("IdPapel", ftInteger, IdPapel);
    Params.CreateParameter("Proprio", ftInteger, Own ? 1 : 0);
    Params.CreateParameter("Superiores", ftInteger, Superiors ? 1 : 0);
    Params.CreateParameter("Recursivo", ftInteger, Recursive ? 1 : 0);
}

QStringList ItemsOf(const QString& Parameters) {
    QStringList Names;
    QXmlStreamReader Reader(Parameters);
    while (!Reader.atEnd()) {
        Reader.readNext();
        if (Reader.isStartElement() && Reader.name() == QLatin1String("Item")) Names << Reader.readElementText();
    }
    if (Reader.hasError()) DatabaseError(QString("Operation '%1': %2").arg(kPermissionOperation, Reader.errorString()));
    return Names;
}

class TRoleOperation : public TNamedOperation {
public:
    QString Name() const override { return kRoleOperation; }
    QString Batch() const override {
        return "Set NoCount On\r\n"
               "Declare @Usuario VarChar(25), @Papel VarChar(50), @Parent VarChar(50)\r\n"
               "Declare @IdUsuario SmallInt, @IdPapel SmallInt, @Added Int\r\n"
               "Select @Usuario = :Usuario, @Papel = :Papel, @Parent = :Parent, @IdUsuario = 0, @IdPapel = 0\r\n"
               "If @Usuario <> ''\r\n"
               "  Select Top 1 @IdUsuario = IdUsuario From sys_Usuario Where Nome = @Usuario Order By IdUsuario\r\n"
               "If @Papel <> ''\r\n"
               "  Select Top 1 @IdPapel = IdPapel From sys_Papel Where Nome = @Papel Order By IdPapel\r\n"
               "Declare @Papeis Table (IdPapel SmallInt Primary Key)\r\n"
               "If @IdUsuario <> 0\r\n"
               "  Insert Into @Papeis (IdPapel) Select Distinct IdPapel_Superior From sys_Papel_Membro\r\n"
               "  Where IdUsuario = @IdUsuario And IdPapel_Superior Is Not Null\r\n"
               "Else If @IdPapel <> 0\r\n"
               "  Insert Into @Papeis (IdPapel) Select Distinct IdPapel_Superior From sys_Papel_Membro\r\n"
               "  Where IdPapel = @IdPapel And IdPapel_Superior Is Not Null\r\n"
               "Set @Added = @@ROWCOUNT\r\n"
               "While @Added > 0\r\n"
               "Begin\r\n"
               "  Insert Into @Papeis (IdPapel) Select Distinct Mbr.IdPapel_Superior From sys_Papel_Membro Mbr\r\n"
               "  Where Mbr.IdPapel In (Select IdPapel From @Papeis)\r\n"
               "  And Mbr.IdPapel_Superior Not In (Select IdPapel From @Papeis)\r\n"
               "  Set @Added = @@ROWCOUNT\r\n"
               "End\r\n"
               "Select Cast(Case When Exists(Select 1 From sys_Papel Pap Inner Join @Papeis Sup\r\n"
               "  On Sup.IdPapel = Pap.IdPapel Where Pap.Nome = @Parent) Then 1 Else 0 End As Bit) As Result";
    }
    std::vector<TOperationParam> Params() const override {
        return {{"Usuario", ftString}, {"Papel", ftString}, {"Parent", ftString}};
    }

protected:
    TOperationResult RunNative(TADOConnection& Connection, const TParameters& Given) const override {
        const int IdUsuario = IdByName(Connection, "sys_Usuario", "IdUsuario", Given.ParamValues("Usuario").toString());
        const int IdPapel = IdByName(Connection, "sys_Papel", "IdPapel", Given.ParamValues("Papel").toString());
        TParameters Params;
        RolesParams(Params, IdUsuario, IdPapel, false, true, true);
        Params.CreateParameter("Parent", ftString, Given.ParamValues("Parent"));
        const QString Sql = QString(kNativeUserRoles) +
                            "Select Count(*) From sys_Papel Pap Inner Join Papeis Sup On Sup.IdPapel = Pap.IdPapel "
                            "Where Upper(Pap.Nome) = Upper(:Parent)";
        return BitResult(Connection.SelectRow(Sql, &Params).value(0).toInt() > 0);
    }
};

class TPermissionOperation : public TNamedOperation {
public:
    QString Name() const override { return kPermissionOperation; }
    QString Batch() const override {
        return "Set NoCount On\r\n"
               "Declare @IdUsuario SmallInt, @IdPapel SmallInt, @Recursivo Bit, @Parametros Xml, @Added Int\r\n"
               "Select @IdUsuario = :IdUsuario, @IdPapel = :IdPapel, @Recursivo = :Recursivo, "
               "@Parametros = :Parametros\r\n"
               "Declare @Papeis Table (IdPapel SmallInt Primary Key)\r\n"
               "Set @Added = 0\r\n"
               "If @IdUsuario <> 0\r\n"
               "Begin\r\n"
               "  Insert Into @Papeis (IdPapel) Select Distinct IdPapel_Superior From sys_Papel_Membro\r\n"
               "  Where IdUsuario = @IdUsuario And IdPapel_Superior Is Not Null\r\n"
               "  Set @Added = @@ROWCOUNT\r\n"
               "End\r\n"
               "Else If @IdPapel <> 0\r\n"
               "Begin\r\n"
               "  Insert Into @Papeis (IdPapel) Values (@IdPapel)\r\n"
               "  If @Recursivo = 1\r\n"
               "  Begin\r\n"
               "    Insert Into @Papeis (IdPapel) Select Distinct IdPapel_Superior From sys_Papel_Membro\r\n"
               "    Where IdPapel = @IdPapel And IdPapel_Superior Is Not Null And IdPapel_Superior <> @IdPapel\r\n"
               "    Set @Added = @@ROWCOUNT\r\n"
               "  End\r\n"
               "End\r\n"
               "While @Recursivo = 1 And @Added > 0\r\n"
               "Begin\r\n"
               "  Insert Into @Papeis (IdPapel) Select Distinct Mbr.IdPapel_Superior From sys_Papel_Membro Mbr\r\n"
               "  Where Mbr.IdPapel In (Select IdPapel From @Papeis)\r\n"
               "  And Mbr.IdPapel_Superior Not In (Select IdPapel From @Papeis)\r\n"
               "  Set @Added = @@ROWCOUNT\r\n"
               "End\r\n"
               "Select Tbl.Nome, Max(Prm.Ao_Visualizar) As Ao_Visualizar, Max(Prm.Ao_Inserir) As Ao_Inserir,\r\n"
               "  Max(Prm.Ao_Excluir) As Ao_Excluir, Max(Prm.Ao_Atualizar) As Ao_Atualizar,\r\n"
               "  Max(Prm.Ao_Imprimir) As Ao_Imprimir\r\n"
               "From sys_Tabela Tbl\r\n"
               "  Inner Join sys_Permissao_Tabela Prm On Prm.IdTabela = Tbl.IdTabela\r\n"
               "  Inner Join @Papeis Pap On Pap.IdPapel = Prm.IdPapel\r\n"
               "  Inner Join @Parametros.nodes('/Parametros/Tabelas/Item') Itm(Item)\r\n"
               "    On Tbl.Nome = Itm.Item.value('.', 'VarChar(50)')\r\n"
               "Group By Tbl.Nome\r\n"
               "Order By Tbl.Nome";
    }
    std::vector<TOperationParam> Params() const override {
        return {{"IdUsuario", ftInteger}, {"IdPapel", ftInteger}, {"Recursivo", ftInteger}, {"Parametros", ftMemo}};
    }

protected:
    // The table names travel as bound values, one marker each.
    TOperationResult RunNative(TADOConnection& Connection, const TParameters& Given) const override {
        const QStringList Tables = ItemsOf(Given.ParamValues("Parametros").toString());
        TOperationResult Result;
        Result.Columns << "Nome";
        for (const char* Column : {"Ao_Visualizar", "Ao_Inserir", "Ao_Excluir", "Ao_Atualizar", "Ao_Imprimir"})
            Result.Columns << Column;
        if (Tables.isEmpty()) return Result;
        const int IdUsuario = Given.ParamValues("IdUsuario").toInt();
        const int IdPapel = Given.ParamValues("IdPapel").toInt();
        const bool Recursive = Given.ParamValues("Recursivo").toInt() == 1;
        TParameters Params;
        RolesParams(Params, IdUsuario, IdPapel, IdPapel != 0, Recursive, Recursive);
        QStringList Markers;
        for (int I = 0; I < Tables.size(); ++I) {
            Params.CreateParameter(QString("Tabela%1").arg(I), ftString, Tables[I]);
            Markers << QString("Upper(:Tabela%1)").arg(I);
        }
        const QString Sql =
            QString(kNativeUserRoles) +
            "Select Tbl.Nome, Max(Prm.Ao_Visualizar), Max(Prm.Ao_Inserir), Max(Prm.Ao_Excluir), "
            "Max(Prm.Ao_Atualizar), Max(Prm.Ao_Imprimir) From sys_Tabela Tbl "
            "Inner Join sys_Permissao_Tabela Prm On Prm.IdTabela = Tbl.IdTabela "
            "Where Prm.IdPapel In (Select IdPapel From Papeis) And Upper(Tbl.Nome) In (" +
            Markers.join(", ") + ") Group By Tbl.Nome Order By Tbl.Nome";
        Result.Rows = ExecuteStatement(Connection, Sql, &Params).Rows;
        return Result;
    }
};

class TPickPasswordOperation : public TNamedOperation {
public:
    QString Name() const override { return kPickPasswordOperation; }
    QString Batch() const override {
        return "Set NoCount On\r\n"
               "Declare @Count Int, @Row Int, @IdSenha_Controle SmallInt, @Nome VarChar(25)\r\n"
               "Select @IdSenha_Controle = 0, @Nome = ''\r\n"
               "Declare Senhas Cursor Local Scroll Static For\r\n"
               "  Select IdSenha_Controle, Nome From sys_Senha_Controle Where Tipo <> 1\r\n"
               "Open Senhas\r\n"
               "Select @Count = Count(*) From sys_Senha_Controle Where Tipo <> 1\r\n"
               "If @Count > 0\r\n"
               "Begin\r\n"
               "  Set @Row = ROUND(((@Count - 1) * RAND() + 1), 0)\r\n"
               "  Fetch Absolute @Row From Senhas Into @IdSenha_Controle, @Nome\r\n"
               "End\r\n"
               "Close Senhas\r\n"
               "Deallocate Senhas\r\n"
               "Select @IdSenha_Controle As IdSenha_Controle, @Nome As Nome";
    }
    std::vector<TOperationParam> Params() const override { return {}; }

protected:
    TOperationResult RunNative(TADOConnection& Connection, const TParameters&) const override {
        TOperationResult Rows = ExecuteStatement(
            Connection, "Select IdSenha_Controle, Nome From sys_Senha_Controle Where Tipo <> 1 Order By IdSenha_Controle",
            nullptr);
        TOperationResult Result;
        Result.Columns << "IdSenha_Controle" << "Nome";
        if (Rows.Rows.empty()) {
            Result.Rows.push_back({0, QString()});
        } else {
            const auto Row = QRandomGenerator::global()->bounded(static_cast<quint32>(Rows.Rows.size()));
            Result.Rows.push_back(Rows.Rows[Row]);
        }
        return Result;
    }
};

class TValidatePasswordOperation : public TNamedOperation {
public:
    QString Name() const override { return kValidatePasswordOperation; }
    QString Batch() const override {
        return "Set NoCount On\r\n"
               "Declare @IdSenha_Controle SmallInt, @Senha VarChar(25), @IdUsuario SmallInt, @NovaSenha VarChar(10)\r\n"
               "Declare @Descricao VarChar(255), @Referencia VarChar(255), @Motivo VarChar(255)\r\n"
               "Declare @Id SmallInt, @Tipo Int, @Result Bit\r\n"
               "Select @IdSenha_Controle = :IdSenha_Controle, @Senha = :Senha, @IdUsuario = :IdUsuario,\r\n"
               "  @Descricao = :Descricao, @Referencia = :Referencia, @Motivo = :Motivo, @NovaSenha = :NovaSenha\r\n"
               "Select @Tipo = 0, @Result = 0\r\n"
               "Select Top 1 @Id = IdSenha_Controle, @Tipo = Tipo From sys_Senha_Controle\r\n"
               "Where Senha = @Senha And (IdSenha_Controle = @IdSenha_Controle Or Tipo = 1)\r\n"
               "Order By Tipo Desc\r\n"
               "If @Tipo = 1\r\n"
               "  Set @Result = 1\r\n"
               "Else If @Tipo = 2\r\n"
               "Begin\r\n"
               "  Update sys_Senha_Controle Set Senha = Left(@NovaSenha, DataLength(Senha))\r\n"
               "  Where IdSenha_Controle = @Id And Senha = @Senha And Tipo = 2\r\n"
               "  If @@ROWCOUNT = 1 Set @Result = 1\r\n"
               "End\r\n"
               "Else If @Tipo = 3\r\n"
               "Begin\r\n"
               "  Delete From sys_Senha_Controle Where IdSenha_Controle = @Id And Senha = @Senha And Tipo = 3\r\n"
               "  If @@ROWCOUNT = 1 Set @Result = 1\r\n"
               "End\r\n"
               "If @Result = 1\r\n"
               "  Insert Into sys_Log (IdUsuario, Data, Descricao, Referencia, Motivo, Ativo)\r\n"
               "  Values (@IdUsuario, GetDate(), @Descricao, NullIf(@Referencia, ''), NullIf(@Motivo, ''), 1)\r\n"
               "Select @Result As Result";
    }
    std::vector<TOperationParam> Params() const override {
        return {{"IdSenha_Controle", ftInteger}, {"Senha", ftString},     {"IdUsuario", ftInteger},
                {"Descricao", ftString},        {"Referencia", ftString}, {"Motivo", ftString},
                {"NovaSenha", ftString}};
    }

protected:
    TOperationResult RunNative(TADOConnection& Connection, const TParameters& Given) const override {
        Connection.BeginTrans();
        auto Undo = qScopeGuard([&] { Connection.RollbackTrans(); });
        const TPasswordMatch Match = FindControlPassword(Connection, Given.ParamValues("IdSenha_Controle").toInt(),
                                                         Given.ParamValues("Senha").toString());
        const bool Valid =
            Match.Id != 0 && ConsumeControlPassword(Connection, Match, Given.ParamValues("NovaSenha").toString());
        if (Valid) {
            TParameters Params;
            Params.CreateParameter("IdUsuario", ftInteger, Given.ParamValues("IdUsuario"));
            Params.CreateParameter("Descricao", ftString, Given.ParamValues("Descricao"));
            Params.CreateParameter("Referencia", ftString, ToNull(Given.ParamValues("Referencia").toString()));
            Params.CreateParameter("Motivo", ftString, ToNull(Given.ParamValues("Motivo").toString()));
            Params.CreateParameter("Ativo", ftBoolean, true);
            Connection.Execute("Insert Into sys_Log (IdUsuario, Data, Descricao, Referencia, Motivo, Ativo) "
                               "Values (:IdUsuario, GetDate(), :Descricao, :Referencia, :Motivo, :Ativo)",
                               &Params);
        }
        Undo.dismiss();
        Connection.CommitTrans();
        return BitResult(Valid);
    }
};

}  // namespace

std::vector<std::unique_ptr<TNamedOperation>> PermissionOperations() {
    std::vector<std::unique_ptr<TNamedOperation>> Out;
    Out.push_back(std::make_unique<TRoleOperation>());
    Out.push_back(std::make_unique<TPermissionOperation>());
    Out.push_back(std::make_unique<TPickPasswordOperation>());
    Out.push_back(std::make_unique<TValidatePasswordOperation>());
    return Out;
}

void RegisterPermissionOperations() {
    static const bool Registered = [] {
        for (auto& Operation : PermissionOperations()) RegisterOperation(std::move(Operation));
        return true;
    }();
    (void)Registered;
}

bool RunRoleQuery(TADOConnection& Connection, const QString& UserName, const QString& RoleName,
                  const QString& ParentRole) {
    RegisterPermissionOperations();
    TParameters Params;
    Params.CreateParameter("Usuario", ftString, UserName);
    Params.CreateParameter("Papel", ftString, RoleName);
    Params.CreateParameter("Parent", ftString, ParentRole);
    return FirstValue(RunOperation(Connection, kRoleOperation, Params)).toBool();
}

QString PermissionParameters(const QStringList& Tables) {
    QString Text;
    QXmlStreamWriter Writer(&Text);
    Writer.writeStartElement("Parametros");
    Writer.writeStartElement("Tabelas");
    for (const QString& Table : Tables) Writer.writeTextElement("Item", Table);
    Writer.writeEndElement();
    Writer.writeEndElement();
    return Text;
}

std::vector<TTableLevels> RunPermissionQuery(TADOConnection& Connection, int IdUsuario, int IdPapel, bool Recursive,
                                             const QStringList& Tables) {
    RegisterPermissionOperations();
    TParameters Params;
    Params.CreateParameter("IdUsuario", ftInteger, IdUsuario);
    Params.CreateParameter("IdPapel", ftInteger, IdPapel);
    Params.CreateParameter("Recursivo", ftInteger, Recursive ? 1 : 0);
    Params.CreateParameter("Parametros", ftMemo, PermissionParameters(Tables));
    const TOperationResult Result = RunOperation(Connection, kPermissionOperation, Params);
    std::vector<TTableLevels> Out;
    for (const QVariantList& Row : Result.Rows) {
        TTableLevels Levels;
        Levels.TableName = Row.value(0).toString();
        for (int Action = 0; Action < 5; ++Action)
            Levels.Levels[Action] = Row.value(Result.Columns.indexOf(kLevelColumns[Action])).toInt();
        Out.push_back(Levels);
    }
    return Out;
}

TRequestedPassword PickControlPassword(TADOConnection& Connection) {
    RegisterPermissionOperations();
    const TOperationResult Result = RunOperation(Connection, kPickPasswordOperation, TParameters());
    TRequestedPassword Picked;
    if (Result.Rows.empty()) return Picked;
    Picked.Id = Result.Rows.front().value(0).toInt();
    Picked.Name = Result.Rows.front().value(1).toString();
    return Picked;
}

bool ValidateControlPassword(TADOConnection& Connection, const TPasswordValidation& Validation) {
    RegisterPermissionOperations();
    TParameters Params;
    Params.CreateParameter("IdSenha_Controle", ftInteger, Validation.IdSenhaControle);
    Params.CreateParameter("Senha", ftString, Validation.Senha);
    Params.CreateParameter("IdUsuario", ftInteger, Validation.IdUsuario);
    Params.CreateParameter("Descricao", ftString, Validation.Descricao);
    Params.CreateParameter("Referencia", ftString, Validation.Referencia);
    Params.CreateParameter("Motivo", ftString, Validation.Motivo);
    Params.CreateParameter("NovaSenha", ftString, RandomDigits(kNewDigitsLength));
    return FirstValue(RunOperation(Connection, kValidatePasswordOperation, Params)).toBool();
}

TPasswordMatch FindControlPassword(TADOConnection& Connection, int IdSenhaControle, const QString& Senha) {
    TParameters Params;
    Params.CreateParameter("Senha", ftString, Senha);
    Params.CreateParameter("IdSenha_Controle", ftInteger, IdSenhaControle);
    Params.CreateParameter("Administrador", ftInteger, kAdministratorKind);
    const QVariantList Row = Connection.SelectRow(
        "Select IdSenha_Controle, Tipo, Senha From sys_Senha_Controle Where Upper(Senha) = Upper(:Senha) "
        "And (IdSenha_Controle = :IdSenha_Controle Or Tipo = :Administrador) Order By Tipo Desc, IdSenha_Controle",
        &Params);
    TPasswordMatch Match;
    if (Row.isEmpty()) return Match;
    Match.Id = Row[0].toInt();
    Match.Tipo = Row[1].toInt();
    Match.Stored = Row[2].toString();
    return Match;
}

bool ConsumeControlPassword(TADOConnection& Connection, const TPasswordMatch& Match, const QString& NewDigits) {
    if (Match.Tipo != kRenewedKind && Match.Tipo != kSingleUseKind) return Match.Id != 0;
    TParameters Params;
    if (Match.Tipo == kRenewedKind) Params.CreateParameter("NovaSenha", ftString, NewDigits.left(Match.Stored.size()));
    Params.CreateParameter("Id", ftInteger, Match.Id);
    Params.CreateParameter("Senha", ftString, Match.Stored);
    Params.CreateParameter("Tipo", ftInteger, Match.Tipo);
    const char* const Where = " Where IdSenha_Controle = :Id And Senha = :Senha And Tipo = :Tipo";
    const QString Sql = Match.Tipo == kRenewedKind
                            ? QString("Update sys_Senha_Controle Set Senha = :NovaSenha") + Where
                            : QString("Delete From sys_Senha_Controle") + Where;
    return Connection.Execute(Sql, &Params) == 1;
}

QString RandomDigits(int Count) {
    QString Digits;
    for (int I = 0; I < Count; ++I) Digits += QChar('0' + QRandomGenerator::system()->bounded(10));
    return Digits;
}

}  // namespace dataaccess
