#include "samples/navitrex/NavitrexSeed.h"

#include <QDateTime>
#include <algorithm>

#include "databound/Numeracao.h"
#include "platform/data/ADODB.h"
#include "samples/navitrex/NavitrexSchema.h"
#include "samples/navitrex/NavitrexTexts.h"

namespace navitrex {

using namespace platform::data;

namespace {

// Inserts rows through one prepared statement: Values are set per row, in the order of Names.
class TPreparedInsert {
public:
    TPreparedInsert(TADOConnection& Connection, const QString& Table, const QStringList& Names)
        : FConnection(Connection),
          FSql(QString("Insert Into %1 (%2) Values (:%3)").arg(Table, Names.join(", "), Names.join(", :"))) {
        for (const QString& Name : Names) FParams.CreateParameter(Name, ftUnknown);
    }
    void Row(const QVariantList& Values) {
        for (int Index = 0; Index < Values.size(); ++Index) FParams[Index].SetValue(Values[Index]);
        FConnection.Execute(FSql, &FParams, -1, true);
    }

private:
    TADOConnection& FConnection;
    QString FSql;
    TParameters FParams;
};

}  // namespace

int ReserveKeys(TADOConnection& Connection, const QString& Table, const QString& Key, int Count) {
    const int First = databound::NextIncrement(Table, Key, false, &Connection);
    TParameters Params;
    Params.CreateParameter("Mais", ftInteger, Count - 1);
    Params.CreateParameter("Campo", ftString, Key);
    Params.CreateParameter("Tabela", ftString, Table);
    Connection.Execute("Update sys_Campo_Incremento Set Codigo = Codigo + :Mais "
                       "Where Upper(IdCampo_Incremento) = Upper(:Campo) And Upper(Divisao) = Upper(:Tabela)",
                       &Params);
    return First;
}

void Seed(TADOConnection& Connection, const TSemeadura& S) {
    Connection.BeginTrans();
    try {
        const int Cliente = S.Clientes > 0 ? ReserveKeys(Connection, kTabelaCliente, "IdCliente", S.Clientes) : 0;
        TPreparedInsert Clientes(Connection, kTabelaCliente,
                                 {"IdCliente", "Nome", "Cidade", "Embarcador", "Consignatario"});
        for (int I = 0; I < S.Clientes; ++I)
            Clientes.Row({Cliente + I, QString("Cliente %1").arg(I + 1, 6, 10, QChar('0')), "Santos", I % 2 == 0,
                          I % 2 == 1});
        const int Navio = S.Navios > 0 ? ReserveKeys(Connection, kTabelaNavio, "IdNavio", S.Navios) : 0;
        TPreparedInsert Navios(Connection, kTabelaNavio, {"IdNavio", "Codigo", "Nome"});
        for (int I = 0; I < S.Navios; ++I)
            Navios.Row({Navio + I, QString("N%1").arg(I + 1), QString("Navio %1").arg(I + 1, 4, 10, QChar('0'))});
        if (S.Conhecimentos > 0) {
            const int Conhecimento = ReserveKeys(Connection, kTabelaConhecimento, "IdConhecimento", S.Conhecimentos);
            const int Item = ReserveKeys(Connection, kTabelaItem, "IdConhecimento_Item", S.Conhecimentos);
            TPreparedInsert Conhecimentos(Connection, kTabelaConhecimento,
                                          {"IdConhecimento", "Numero", "Data", "IdCliente_Embarcador",
                                           "IdCliente_Consignatario", "IdNavio", "Frete", "Situacao"});
            TPreparedInsert Itens(Connection, kTabelaItem,
                                  {"IdConhecimento_Item", "IdConhecimento", "Sequencia", "Descricao"});
            const int PorDia = std::max(1, S.ConhecimentosPorDia);
            for (int I = 0; I < S.Conhecimentos; ++I) {
                const QDate Data = S.Ultimo.addDays(-((S.Conhecimentos - 1 - I) / PorDia));
                const QVariant Embarcador = S.Clientes > 0 ? QVariant(Cliente + (2 * I) % S.Clientes) : Null();
                const QVariant Consignatario = S.Clientes > 1 ? QVariant(Cliente + (2 * I + 1) % S.Clientes) : Null();
                const QString Numero =
                    QString("I%1/%2").arg(I + 1, 6, 10, QChar('0')).arg(Data.year() % 100, 2, 10, QChar('0'));
                Conhecimentos.Row({Conhecimento + I, Numero,
                                   QDateTime(Data, QTime(12, 0)), Embarcador, Consignatario,
                                   S.Navios > 0 ? QVariant(Navio + I % S.Navios) : Null(),
                                   I % 3 == 0 ? kFreteCollect : kFretePrepaid, kSituacaoEmitido});
                Itens.Row({Item + I, Conhecimento + I, 1, "Carga geral"});
            }
        }
        Connection.CommitTrans();
    } catch (...) {
        Connection.RollbackTrans();
        throw;
    }
}

}  // namespace navitrex
