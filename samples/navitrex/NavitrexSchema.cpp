#include "samples/navitrex/NavitrexSchema.h"

#include "platform/data/ADODB.h"

namespace navitrex {

using namespace platform::data;

namespace {

// Column types that differ by engine, written as placeholders in the table texts.
struct TColumnTypes {
    const char* Boolean;
    const char* DateTime;
    const char* Float;
};
const TColumnTypes kColumnTypes[] = {
    {"Bit", "DateTime", "Float"},                      // egSQLite
    {"Boolean", "Timestamp", "Double Precision"},      // egPostgreSQL
    {"Bit", "DateTime", "Float"},                      // egTSQL
};

struct TTableText {
    const char* Name;
    const char* Columns;
    const char* Indexes;  // one Create Index per line; empty for none
};
const TTableText kTableTexts[] = {
    {kTabelaCliente,
     "IdCliente Integer Not Null Primary Key, Nome VarChar(60) Not Null, Documento VarChar(20), "
     "Cidade VarChar(40), Embarcador {Boolean}, Consignatario {Boolean}",
     "Create Index IX_Cliente_Nome On Cliente (Nome)"},
    {kTabelaNavio, "IdNavio Integer Not Null Primary Key, Codigo VarChar(20), Nome VarChar(60) Not Null",
     "Create Index IX_Navio_Nome On Navio (Nome)"},
    {kTabelaPorto,
     "IdPorto Integer Not Null Primary Key, Codigo VarChar(10), Nome VarChar(60) Not Null, Embarque {Boolean}, "
     "Descarga {Boolean}",
     "Create Index IX_Porto_Codigo On Porto (Codigo)"},
    {kTabelaEquipamento, "IdEquipamento Integer Not Null Primary Key, Codigo VarChar(10), Nome VarChar(60) Not Null",
     "Create Index IX_Equipamento_Codigo On Equipamento (Codigo)"},
    {kTabelaConhecimento,
     "IdConhecimento Integer Not Null Primary Key, Numero VarChar(20) Not Null Unique, Data {DateTime} Not Null, "
     "IdCliente_Embarcador Integer References Cliente (IdCliente), "
     "IdCliente_Consignatario Integer References Cliente (IdCliente), IdNavio Integer References Navio (IdNavio), "
     "IdPorto_Embarque Integer References Porto (IdPorto), IdPorto_Descarga Integer References Porto (IdPorto), "
     "Frete VarChar(1), Situacao SmallInt Not Null, IdUsuario SmallInt References sys_Usuario (IdUsuario)",
     "Create Index IX_Conhecimento_Data On Conhecimento (Data)"},
    {kTabelaItem,
     "IdConhecimento_Item Integer Not Null Primary Key, "
     "IdConhecimento Integer Not Null References Conhecimento (IdConhecimento), Sequencia Integer Not Null, "
     "IdEquipamento Integer References Equipamento (IdEquipamento), Conteiner VarChar(11), Lacre VarChar(20), "
     "Descricao VarChar(200), Peso {Float}, Unique (IdConhecimento, Sequencia)",
     ""},
    {kTabelaConfiguracao, "Chave VarChar(50) Not Null Primary Key, Valor VarChar(255)", ""},
};

QString WithColumnTypes(const TColumnTypes& Types, const char* Columns) {
    return QString(Columns)
        .replace("{Boolean}", Types.Boolean)
        .replace("{DateTime}", Types.DateTime)
        .replace("{Float}", Types.Float);
}

}  // namespace

QStringList NavitrexTables() {
    QStringList Names;
    for (const TTableText& Table : kTableTexts) Names << Table.Name;
    return Names;
}

int CreateNavitrexSchema(TADOConnection& Connection) {
    const TColumnTypes& Types = kColumnTypes[Connection.Engine()];
    int Created = 0;
    // One transaction: a start that fails half-way leaves no table without its indexes.
    Connection.BeginTrans();
    try {
        for (const TTableText& Table : kTableTexts) {
            if (Connection.TableFieldDefs(Table.Name).Count() > 0) continue;
            Connection.Execute(QString("Create Table %1 (%2)").arg(Table.Name, WithColumnTypes(Types, Table.Columns)));
            for (const QString& Index : QString(Table.Indexes).split('\n', Qt::SkipEmptyParts))
                Connection.Execute(Index);
            ++Created;
        }
        Connection.CommitTrans();
    } catch (...) {
        Connection.RollbackTrans();
        throw;
    }
    return Created;
}

}  // namespace navitrex
