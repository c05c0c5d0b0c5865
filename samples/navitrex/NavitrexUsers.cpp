#include "samples/navitrex/NavitrexUsers.h"

#include <array>

#include "dataaccess/PermissaoLib.h"
#include "databound/Numeracao.h"
#include "platform/data/ADODB.h"
#include "samples/navitrex/NavitrexSchema.h"

namespace navitrex {

using namespace platform::data;

namespace {

// Levels per table for operators, in the order Visualizar, Inserir, Atualizar, Excluir, Imprimir.
struct TNivelOperador {
    const char* Tabela;
    std::array<int, dataaccess::kPermissionActionCount> Levels;
};
const TNivelOperador kNiveisOperador[] = {
    {kTabelaCliente, {0, 0, 0, 0, 0}},      {kTabelaNavio, {0, 0, 0, 0, 0}},
    {kTabelaPorto, {0, 0, 0, 0, 0}},        {kTabelaEquipamento, {0, 0, 0, 0, 0}},
    {kTabelaConhecimento, {0, 0, 0, 1, 0}}, {kTabelaItem, {0, 0, 0, 0, 0}},
};

int IdByName(TADOConnection& Connection, const QString& Table, const QString& Key, const QString& Nome) {
    TParameters Params;
    Params.CreateParameter("Nome", ftString, Nome);
    return Connection.SelectRow(QString("Select %1 From %2 Where Nome = :Nome").arg(Key, Table), &Params)
        .value(0)
        .toInt();
}

int Ensure(TADOConnection& Connection, const QString& Table, const QString& Key, const QString& Nome) {
    if (const int Id = IdByName(Connection, Table, Key, Nome)) return Id;
    TParameters Params;
    Params.CreateParameter("Id", ftInteger, databound::NextIncrement(Table, Key, false, &Connection));
    Params.CreateParameter("Nome", ftString, Nome);
    Connection.Execute(QString("Insert Into %1 (%2, Nome) Values (:Id, :Nome)").arg(Table, Key), &Params);
    return Params.ParamValues("Id").toInt();
}

template <class TBody>
auto InTransaction(TADOConnection& Connection, TBody&& Body) {
    Connection.BeginTrans();
    try {
        auto Result = Body();
        Connection.CommitTrans();
        return Result;
    } catch (...) {
        Connection.RollbackTrans();
        throw;
    }
}

}  // namespace

void EnsureRoles(TADOConnection& Connection) {
    InTransaction(Connection, [&] {
        Ensure(Connection, "sys_Papel", "IdPapel", kPapelSupervisor);
        const int Operador = Ensure(Connection, "sys_Papel", "IdPapel", kPapelOperador);
        for (const TNivelOperador& Nivel : kNiveisOperador) {
            TParameters Params;
            Params.CreateParameter("IdTabela", ftInteger, Ensure(Connection, "sys_Tabela", "IdTabela", Nivel.Tabela));
            Params.CreateParameter("IdPapel", ftInteger, Operador);
            if (!Connection
                     .SelectRow("Select 1 From sys_Permissao_Tabela Where IdTabela = :IdTabela And IdPapel = :IdPapel",
                                &Params)
                     .isEmpty())
                continue;
            const char* const Names[] = {"V", "I", "A", "E", "P"};
            for (int Action = 0; Action < dataaccess::kPermissionActionCount; ++Action)
                Params.CreateParameter(Names[Action], ftInteger, Nivel.Levels[Action]);
            Connection.Execute("Insert Into sys_Permissao_Tabela (IdTabela, IdPapel, Ao_Visualizar, Ao_Inserir, "
                               "Ao_Atualizar, Ao_Excluir, Ao_Imprimir) "
                               "Values (:IdTabela, :IdPapel, :V, :I, :A, :E, :P)",
                               &Params);
        }
        return true;
    });
}

int EnsureUser(TADOConnection& Connection, const QString& UserName) {
    return InTransaction(Connection, [&] {
        if (const int Id = IdByName(Connection, "sys_Usuario", "IdUsuario", UserName)) return Id;
        const bool First = Connection.SelectRow("Select Count(*) From sys_Usuario").value(0).toInt() == 0;
        const int Id = Ensure(Connection, "sys_Usuario", "IdUsuario", UserName);
        TParameters Params;
        Params.CreateParameter("Id", ftInteger, databound::NextIncrement("sys_Papel_Membro", "IdPapel_Membro", false,
                                                                        &Connection));
        Params.CreateParameter("Papel", ftInteger,
                               IdByName(Connection, "sys_Papel", "IdPapel", First ? kPapelSupervisor : kPapelOperador));
        Params.CreateParameter("Usuario", ftInteger, Id);
        Connection.Execute("Insert Into sys_Papel_Membro (IdPapel_Membro, IdPapel_Superior, IdUsuario) "
                           "Values (:Id, :Papel, :Usuario)",
                           &Params);
        return Id;
    });
}

}  // namespace navitrex
