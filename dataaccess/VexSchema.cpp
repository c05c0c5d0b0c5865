#include "dataaccess/VexSchema.h"

#include "platform/data/ADODB.h"

namespace dataaccess {

using namespace platform::data;

namespace {

// The user-defined types and the types they stand for.
struct TUserType {
    const char* Name;
    const char* Base;
};
const TUserType kUserTypes[] = {
    {"IdCurto", "SmallInt"},        {"Nome", "VarChar(50)"},   {"Boleano", "{Boolean}"},
    {"Data", "{DateTime}"},           {"IdLongo", "Int"},        {"InteiroLongo", "BigInt"},
    {"AlfaNumericoLongo", "VarChar(50)"}, {"InteiroCurto", "SmallInt"},
};

// Column types that differ by engine, written as placeholders in the table texts.
struct TEngineTypes {
    const char* Boolean;
    const char* DateTime;
    const char* Binary;
    // Creates one user-defined type from %1 (name) and %2 (base type); empty when the engine has none.
    const char* CreateType;
    // One row when the type %1 exists.
    const char* TypeExists;
};
const TEngineTypes kEngineTypes[] = {
    // egSQLite
    {"Bit", "DateTime", "Blob", "", ""},
    // egPostgreSQL: domains in the connection's schema
    {"Boolean", "Timestamp", "Bytea", "Create Domain %1 As %2",
     "Select 1 From pg_type t Join pg_namespace n On n.oid = t.typnamespace "
     "Where t.typname = Lower('%1') And n.nspname = current_schema()"},
    // egTSQL
    {"Bit", "DateTime", "VarBinary(Max)", "Create Type %1 From %2", "Select 1 From sys.types Where name = '%1'"},
};

struct TTable {
    const char* Name;
    const char* Columns;
};
const TTable kTables[] = {
    {"sys_Usuario",
     "IdUsuario SmallInt Not Null Primary Key, Nome VarChar(25) Not Null, Data_Criacao {DateTime}, "
     "Senha VarChar(50), Ativo {Boolean}"},
    {"sys_Empresa_Sistema",
     "IdEmpresa_Sistema SmallInt Not Null Primary Key, Nome VarChar(50) Not Null, Ativo {Boolean}"},
    {"sys_Senha_Controle",
     "IdSenha_Controle SmallInt Not Null Primary Key, Nome VarChar(25) Not Null, Senha VarChar(10), Tipo Integer"},
    {"sys_Log",
     "IdUsuario SmallInt, Data {DateTime}, Descricao VarChar(255), Referencia VarChar(255), Motivo VarChar(255), "
     "Ativo {Boolean}"},
    {"sys_Papel", "IdPapel SmallInt Not Null Primary Key, Nome VarChar(50) Not Null"},
    {"sys_Papel_Membro",
     "IdPapel_Membro SmallInt Not Null Primary Key, IdPapel_Superior SmallInt References sys_Papel (IdPapel), "
     "IdUsuario SmallInt References sys_Usuario (IdUsuario), IdPapel SmallInt References sys_Papel (IdPapel)"},
    {"sys_Tabela", "IdTabela SmallInt Not Null Primary Key, Nome VarChar(50) Not Null, Descricao VarChar(200)"},
    {"sys_Permissao_Tabela",
     "IdTabela SmallInt Not Null References sys_Tabela (IdTabela), "
     "IdPapel SmallInt Not Null References sys_Papel (IdPapel), Ao_Visualizar Integer, Ao_Inserir Integer, "
     "Ao_Excluir Integer, Ao_Atualizar Integer, Ao_Imprimir Integer, Primary Key (IdTabela, IdPapel)"},
    {"sys_Persistencia", "IdPersistencia VarChar(255) Not Null, IdUsuario SmallInt, Dados {Binary}"},
    {"sys_Numeracao",
     "IdNumeracao Integer Not Null Primary Key, "
     "IdEmpresa_Sistema SmallInt References sys_Empresa_Sistema (IdEmpresa_Sistema), Chave VarChar(50) Not Null, "
     "Campo VarChar(50) Not Null, Opcao_Zeramento Integer, Mascara VarChar(25), Quantidade_Digitos Integer"},
    {"sys_Numeracao_Item",
     "IdNumeracao_Item Integer Not Null Primary Key, IdNumeracao Integer Not Null References sys_Numeracao "
     "(IdNumeracao), Numero Integer, Dia Integer, Mes Integer, Ano Integer"},
    {"sys_Campo_Incremento",
     "IdCampo_Incremento VarChar(50) Not Null, Divisao VarChar(50) Not Null, Codigo BigInt, "
     "Primary Key (IdCampo_Incremento, Divisao)"},
};

const TEngineTypes& TypesOf(const TADOConnection& Connection) { return kEngineTypes[Connection.Engine()]; }

QString WithEngineTypes(const TEngineTypes& Types, const char* Columns) {
    return QString(Columns)
        .replace("{Boolean}", Types.Boolean)
        .replace("{DateTime}", Types.DateTime)
        .replace("{Binary}", Types.Binary);
}

int CreateMissingTypes(TADOConnection& Connection) {
    const TEngineTypes& Types = TypesOf(Connection);
    if (!*Types.CreateType) return 0;
    int Created = 0;
    for (const TUserType& Type : kUserTypes) {
        if (!Connection.SelectRow(QString(Types.TypeExists).arg(Type.Name)).isEmpty()) continue;
        Connection.Execute(QString(Types.CreateType).arg(Type.Name, WithEngineTypes(Types, Type.Base)));
        ++Created;
    }
    return Created;
}

}  // namespace

QStringList SchemaTables() {
    QStringList Names;
    for (const TTable& Table : kTables) Names << Table.Name;
    return Names;
}

QStringList SchemaTypes() {
    QStringList Names;
    for (const TUserType& Type : kUserTypes) Names << Type.Name;
    return Names;
}

int CreateSchema(TADOConnection& Connection) {
    int Created = CreateMissingTypes(Connection);
    for (const TTable& Table : kTables) {
        if (Connection.TableFieldDefs(Table.Name).Count() > 0) continue;
        Connection.Execute(
            QString("Create Table %1 (%2)").arg(Table.Name, WithEngineTypes(TypesOf(Connection), Table.Columns)));
        ++Created;
    }
    return Created;
}

std::unique_ptr<TADOConnection> OpenEmbeddedDatabase(const QString& FileName) {
    auto Connection = std::make_unique<TADOConnection>();
    Connection->SetConnectionString("Provider=SQLite;Data Source=" + FileName);
    Connection->SetLoginPrompt(false);
    Connection->Open();
    CreateSchema(*Connection);
    return Connection;
}

}  // namespace dataaccess
