#include "EngineTest.h"

namespace platform::data::testing {

void EngineTest::SetUp() {
    Conn = OpenTestConnection(GetParam());
    if (!Conn) GTEST_SKIP() << EngineVariable(GetParam()) << " is not set: no " << EngineName(GetParam()) << " server";
    // Float, Boolean, date-time and binary column types per engine.
    static const char* const Types[][4] = {{"Float", "Bit", "DateTime", "Blob"},
                                           {"Double Precision", "Boolean", "Timestamp", "Bytea"},
                                           {"Float", "Bit", "DateTime", "VarBinary(Max)"}};
    const auto& T = Types[GetParam()];
    Conn->Execute(QString("Create Table Cliente (IdCliente Integer Not Null Primary Key, Nome VarChar(60) Not Null, "
                          "Cidade VarChar(40), Saldo %1, Ativo %2, Criado %3, Foto %4)")
                      .arg(T[0], T[1], T[2], T[3]));
    TParameters P;
    P.CreateParameter("Id", ftInteger);
    P.CreateParameter("Nome", ftString);
    P.CreateParameter("Cidade", ftString);
    P.CreateParameter("Saldo", ftFloat);
    P.CreateParameter("Ativo", ftBoolean);
    P.CreateParameter("Criado", ftDateTime);
    const QVariantList Rows[] = {
        {1, "João Silva", "São Paulo", 100.5, true, QDateTime(QDate(2024, 1, 10), QTime(8, 30))},
        {2, "maria souza", "Rio", 50.0, false, QDateTime(QDate(2024, 2, 1), QTime(0, 0))},
        {3, "Ana Lima", "São Paulo", Null(), true, QDateTime(QDate(2023, 12, 25), QTime(23, 59, 59, 500))},
    };
    for (const QVariantList& Row : Rows) {
        for (int I = 0; I < Row.size(); ++I) P[I].SetValue(Row[I]);
        Conn->Execute("Insert Into Cliente (IdCliente, Nome, Cidade, Saldo, Ativo, Criado) "
                      "Values (:Id, :Nome, :Cidade, :Saldo, :Ativo, :Criado)", &P);
    }
}

QVariant EngineTest::Scalar(const QString& Sql, const TParameters* Params) {
    const QVariantList Row = Conn->SelectRow(Sql, Params);
    return Row.isEmpty() ? QVariant() : Row[0];
}

QString EngineTest::LongStatement() const {
    switch (GetParam()) {
    case egPostgreSQL: return "Select pg_sleep(5)";
    case egTSQL: return "WaitFor Delay '00:00:05'";
    default: return "With Recursive c(x) As (Select 1 Union All Select x + 1 From c) Select Count(*) From c";
    }
}

QStringList EngineTest::Table() {
    return SelectRows("Select IdCliente, Nome, Cidade, Saldo From Cliente Order By IdCliente");
}

QStringList EngineTest::SelectRows(const QString& Sql) {
    TADOQuery Q;
    Q.SetConnection(Conn.get());
    Q.SetSQL(Sql);
    Q.Open();
    QStringList Out;
    for (; !Q.Eof(); Q.Next()) {
        QStringList Values;
        for (TField* Field : Q.FieldList()) Values << Field->AsString();
        Out << Values.join('|');
    }
    return Out;
}

void EngineTest::Link(TADOQuery& Query, TDataSetProvider& Provider, TClientDataSet& Client) {
    Query.SetConnection(Conn.get());
    Query.SetSQL("Select IdCliente, Nome, Cidade, Saldo From Cliente");
    Query.FieldDefs().Add("IdCliente", ftInteger);
    Query.FieldDefs().Add("Nome", ftString, 60);
    Query.FieldDefs().Add("Cidade", ftString, 40);
    Query.FieldDefs().Add("Saldo", ftFloat);
    Query.SetStoreDefs(true);
    Query.CreateFields();
    for (TField* F : Query.FieldList()) F->SetProviderFlags(pfInUpdate);
    Query.FieldByName("IdCliente")->SetProviderFlags(pfInUpdate | pfInKey);
    Provider.SetDataSet(&Query);
    Provider.SetUpdateMode(upWhereKeyOnly);
    Client.SetProvider(&Provider);
    Client.SetIndexFieldNames("IdCliente");
    Client.Open();
}

}  // namespace platform::data::testing
