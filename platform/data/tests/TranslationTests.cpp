// T-SQL statements with the same meaning on every engine: statement forms,
// expressions, Like, parameters the translation moves, field names and
// definitions, and the errors of bad input.
#include <gtest/gtest.h>

#include "EngineTest.h"
#include "platform/data/ConnectionString.h"

using namespace platform::data;
using namespace platform::data::testing;

namespace {

// A statement and what it gives: the first value of a Select, or the rows another statement changes.
struct TCase {
    const char* Sql;
    const char* Expected;
    const char* TSql = nullptr;  // the same meaning where SQL Server refuses Sql
};

QString Outcome(TADOConnection& Conn, const QString& Sql) {
    if (!Sql.startsWith("Select")) return QString::number(Conn.Execute(Sql));
    const QVariantList Row = Conn.SelectRow(Sql);
    return Row.isEmpty() ? QString("no row") : VarIsClear(Row[0]) ? QString("null") : Row[0].toString();
}

QString Like(const char* Value, const char* Pattern) {
    return QString("Select Case When '%1' Like '%2' Then 1 Else 0 End").arg(Value, Pattern);
}

void ExpectError(const std::function<void()>& Run, const QString& Part) {
    try {
        Run();
        ADD_FAILURE() << "should have failed with " << Part.toStdString();
    } catch (const EDatabaseError& E) {
        EXPECT_TRUE(E.Text().contains(Part)) << E.Text().toStdString();
    }
}

}  // namespace

TEST_P(EngineTest, StatementFormsAndExpressionsMeanTheSame) {
    const TCase Cases[] = {
        {"Insert Cliente (IdCliente, Nome, Ativo) Values (4, 'Quatro', 1)", "1"},
        {"Select Count(*) From Cliente Where Ativo = 1", "3"},
        {"Select Count(*) From Cliente Where Ativo <> 0 And Nome Like 'quatro'", "1"},
        {"Update Cliente Set Ativo = 0 Where IdCliente = 4", "1"},
        {"Select Count(*) From Cliente Where Ativo = 0", "2"},
        {"Delete Cliente Where IdCliente = 4", "1"},
        {"Select Top 1 Nome From Cliente Order By IdCliente Desc", "Ana Lima"},
        {"Select Count(*) From (Select Distinct Top 1 Cidade From Cliente Order By Cidade) X", "1"},
        {"Select Count(*) From (Select Top 1 IdCliente From Cliente Union All Select IdCliente From Cliente) X", "4"},
        {"Select Count(*) From (Select IdCliente From Cliente "
         "Union Select Top 1 IdCliente From Cliente Order By IdCliente) X", "3",
         "Select Count(*) From (Select IdCliente From Cliente Union Select Top 1 IdCliente From Cliente) X"},
        {"Select Nome + ' - ' + Cidade From Cliente Where IdCliente = 2", "maria souza - Rio"},
        {"Select IsNull(Cidade, 'x') + '!' From Cliente Where IdCliente = 2", "Rio!"},
        {"Select Upper(Nome) + N'ão' From Cliente Where IdCliente = 3", "ANA LIMAão"},
        {"Select IsNull(Saldo, -1) From Cliente Where IdCliente = 3", "-1"},
        {"Select Len(Nome + '  ') From Cliente Where IdCliente = 1", "10"},
        {"Select Cast(Saldo As Integer) From Cliente Where IdCliente = 2", "50"},
        {"Select Cast(IdCliente As VarChar(10)) + 'x' From Cliente Where IdCliente = 2", "2x"},
        {"Select DatePart(month, DateAdd(day, 30, Criado)) From Cliente Where IdCliente = 1", "2"},
        {"Select DateDiff(day, Criado, GetDate()) - DateDiff(day, Criado, GetDate()) From Cliente "
         "Where IdCliente = 1", "0"},
        {"Select Count(*) From Cliente Where Criado < GetDate()", "3"},
        {"Select Count(*) From Cliente Where Nome Like '[a-j]%'", "2"},
        {"Select Count(*) From Cliente Where Nome Like '[^a]%'", "2"},
        {"Select Count(*) From Cliente Where Nome Not Like '%SOUZA'", "2"},
        {"Select Count(*) From Cliente Where Nome Like '%' + Cidade", "0"},
        {"Select Count(*) From Cliente Where Cidade Like 'S_o Paulo'", "2"},
        {"Select Count(*) From Cliente Where IdCliente Like '[12]' And Criado Like '%2024%'", "2"},
    };
    for (const TCase& Case : Cases) {
        const char* Sql = GetParam() == egTSQL && Case.TSql ? Case.TSql : Case.Sql;
        SCOPED_TRACE(Sql);
        EXPECT_EQ(Outcome(*Conn, Sql), Case.Expected);
    }
}

TEST_P(EngineTest, LikeFollowsSqlServerPatterns) {
    const TCase Cases[] = {
        {"ÇÃO", "ção"},   {"ação", "AÇ_O"},  {"bcd", "[a-c]%"},  {"dcd", "[^a-c]%"}, {"dcd", "[a-c]%"},
        {"a\\b", "a\\b"}, {"a\\b", "a\\_"},  {"a_", "a\\_"},     {"50%", "50[%]"},    {"500", "50[%]"},
        {"x.y", "x.y"},   {"xzy", "x.y"},    {"a+b", "a+b"},     {"(a)", "(_)"},       {"a]", "a]"},
        {"50%", "50!%' Escape '!"},
    };
    const char* const Expected = "1111011010101111";
    for (size_t I = 0; I < std::size(Cases); ++I) {
        SCOPED_TRACE(QString("'%1' Like '%2'").arg(Cases[I].Sql, Cases[I].Expected).toStdString());
        EXPECT_EQ(Outcome(*Conn, Like(Cases[I].Sql, Cases[I].Expected)), QString(QChar(Expected[I])));
    }
    // Many runs of % against a long text that does not match: answered, not backtracked for ever.
    const QString Text(40, 'a');
    EXPECT_EQ(Outcome(*Conn, Like(Text.toLatin1(), QString("%a").repeated(12).append("b").toLatin1())), "0");
}

TEST_P(EngineTest, ParametersBindWhereTheTranslationPutsThem) {
    TParameters P;
    P.CreateParameter("N", ftInteger, 1);
    P.CreateParameter("X", ftString, "João Silva");
    EXPECT_EQ(Scalar("Select Top (:N) Nome From Cliente Where Nome <> :X Order By IdCliente", &P).toString(),
              "maria souza");
    TParameters D;
    D.CreateParameter("A", ftDateTime, QDateTime(QDate(2024, 1, 1), QTime(0, 0)));
    D.CreateParameter("B", ftDateTime, QDateTime(QDate(2024, 1, 11), QTime(0, 0)));
    D.CreateParameter("N", ftInteger, 10);
    EXPECT_EQ(Scalar("Select DateDiff(day, :A, :B)", &D).toInt(), 10);
    EXPECT_EQ(Scalar("Select DateDiff(week, :A, :B)", &D).toInt(), 1);  // one Sunday crossed
    EXPECT_EQ(ConvertValue(Scalar("Select DateAdd(day, :N, :A)", &D), ftDateTime).toDateTime(),
              QDateTime(QDate(2024, 1, 11), QTime(0, 0)));
    EXPECT_EQ(Scalar("Select DatePart(day, :B) + :N", &D).toInt(), 21);
    TParameters L;
    L.CreateParameter("Parte", ftString, "silva");
    EXPECT_EQ(Scalar("Select Count(*) From Cliente Where Nome Like '%' + :Parte + '%'", &L).toInt(), 1);
}

TEST_P(EngineTest, ComputedColumnsKeepEveryValue) {
    TADOQuery Q;
    Q.SetConnection(Conn.get());
    Q.SetSQL("Select IdCliente, Coalesce(Saldo, 0) As Total From Cliente "
             "Order By Case When Saldo Is Null Then 0 Else 1 End, IdCliente");
    Q.Open();
    QStringList Totals;
    for (; !Q.Eof(); Q.Next()) Totals << QString::number(Q.FieldByName("Total")->AsFloat());
    EXPECT_EQ(Totals, (QStringList{"0", "100.5", "50"}));
}

TEST_P(EngineTest, FieldNamesKeepTheCaseTheSqlWrites) {
    TADOQuery Q;
    Q.SetConnection(Conn.get());
    Q.SetSQL("Select C.IdCliente, C.Nome As NomeCompleto, Outro.Cidade, Count(*) As QtdLinhas From Cliente C "
             "Inner Join Cliente Outro On Outro.IdCliente = C.IdCliente Group By C.IdCliente, C.Nome, Outro.Cidade");
    Q.Open();
    QStringList Names;
    for (TField* F : Q.FieldList()) Names << F->FieldName();
    EXPECT_EQ(Names, (QStringList{"IdCliente", "NomeCompleto", "Cidade", "QtdLinhas"}));

    // Select * takes the names the table's definition writes.
    Q.Close();
    Q.SetSQL("Select * From Cliente");
    Q.Open();
    Names.clear();
    for (TField* F : Q.FieldList()) Names << F->FieldName();
    EXPECT_EQ(Names, (QStringList{"IdCliente", "Nome", "Cidade", "Saldo", "Ativo", "Criado", "Foto"}));
}

TEST_P(EngineTest, FieldDefinitionsWithoutRows) {
    TADOQuery Q;
    Q.SetConnection(Conn.get());
    Q.SetSQL("Select IdCliente, Nome, Saldo * :Fator As Dobro From Cliente Where Cidade <> :Cidade Order By Nome");
    Q.Parameters().ParamByName("Fator").SetValue(2);
    Q.Parameters().ParamByName("Cidade").SetValue("x");
    Q.UpdateFieldDefs();
    EXPECT_FALSE(Q.Active());
    const TFieldDefs& Defs = Q.FieldDefs();
    ASSERT_EQ(Defs.Count(), 3);
    EXPECT_EQ(Defs[0].Name, "IdCliente");
    EXPECT_EQ(Defs[0].DataType, ftInteger);
    EXPECT_TRUE(Defs[0].Required);
    EXPECT_EQ(Defs[1].DataType, ftString);
    EXPECT_EQ(Defs[1].Size, 60);
    EXPECT_TRUE(Defs[1].Required);
    EXPECT_EQ(Defs[2].Name, "Dobro");
    EXPECT_FALSE(Defs[2].Required);

    const TFieldDefs Table = Conn->TableFieldDefs("Cliente");
    QStringList Columns;
    for (const TFieldDef& Def : Table)
        Columns << QString("%1 %2 %3 %4").arg(Def.Name).arg(Def.DataType).arg(Def.Size).arg(Def.Required);
    EXPECT_EQ(Columns, (QStringList{"IdCliente 3 0 1", "Nome 1 60 1", "Cidade 1 40 0", "Saldo 6 0 0", "Ativo 5 0 0",
                                    "Criado 11 0 0", "Foto 15 0 0"}));
}

TEST_P(EngineTest, OneStatementPerCommand) {
    const char* const Refused[] = {
        "Select Count(*) From Cliente; Drop Table Cliente",
        "Select Count(*) From Cliente Where Nome = '1'; Drop Table Cliente; --'",
        "Delete From Cliente Where IdCliente = 1;; Delete From Cliente",
    };
    for (const char* Sql : Refused) {
        SCOPED_TRACE(Sql);
        ExpectError([&] { Conn->Execute(Sql); }, QString("A command runs one statement only: %1").arg(Sql));
        ExpectError([&] { Conn->SelectRow(Sql); }, "A command runs one statement only");
    }
    EXPECT_EQ(Outcome(*Conn, "Select Count(*) From Cliente;"), "3");
    EXPECT_EQ(Outcome(*Conn, "Select Count(*) From Cliente Where Nome <> 'a;b' -- ; Drop Table Cliente"), "3");
}

TEST_P(EngineTest, BracketNamesEscapeTheirClosingBracket) {
    Conn->Execute("Create Table [Odd]]Name] ([A]]1] Integer)");
    EXPECT_EQ(Outcome(*Conn, "Insert [Odd]]Name] ([A]]1]) Values (7)"), "1");
    EXPECT_EQ(Outcome(*Conn, "Select [A]]1] From [Odd]]Name] Where [A]]1] = 7"), "7");
}

TEST_P(EngineTest, BadInputNamesTheStatementAndTheEngineMessage) {
    ExpectError([&] { Conn->Execute("Selec * Frm Cliente"); }, "Statement: Selec * Frm Cliente");
    ExpectError([&] { Conn->SelectRow("Select Nada From Cliente"); }, "Statement: Select Nada From Cliente");
    TParameters P;
    P.CreateParameter("Id", ftInteger, "abc");
    ExpectError([&] { Conn->Execute("Delete From Cliente Where IdCliente = :Id", &P); },
                "Parameter 'Id': 'abc' is not a valid integer value\n"
                "Statement: Delete From Cliente Where IdCliente = :Id");
    ExpectError([&] { Conn->Execute("Delete From Cliente Where IdCliente = :Outro", &P); },
                "Parameter 'Outro' not found");

    // A failed statement inside a transaction leaves the level as it was and writes nothing.
    Conn->BeginTrans();
    ExpectError([&] { Conn->Execute("Insert Cliente (IdCliente, Nome) Values (1, 'Repetido')"); }, "Statement: Insert");
    EXPECT_EQ(Conn->TransactionLevel(), 1);
    Conn->RollbackTrans();
    EXPECT_EQ(Outcome(*Conn, "Select Nome From Cliente Where IdCliente = 1"), "João Silva");

    if (GetParam() != egPostgreSQL) return;
    // A session the server ended: the next statement says which statement failed and why.
    TADOConnection Lost;
    Lost.SetConnectionString(ProviderStringFromLibpqDsn(qEnvironmentVariable("PG_TEST_DSN")));
    TParameters Pid;
    Pid.CreateParameter("Pid", ftInteger, Lost.SelectRow("Select pg_backend_pid()")[0]);
    Conn->SelectRow("Select pg_terminate_backend(:Pid, 10000)", &Pid);  // waits until the session is gone
    ExpectError([&] { Lost.Execute("Select 1"); }, "Statement: Select 1");
}
