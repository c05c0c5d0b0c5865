// The table class against plain Qt SQL on the same data, in one run, on a
// SQLite file and, when PG_TEST_DSN names a server, on PostgreSQL: a load of
// 100,000 rows of six columns against a query loop that keeps the rows; 10,000
// edits applied at the end of one update against the same Updates prepared
// once in one transaction; a deletion by condition of 10,000 rows through the
// delete pipeline against one prepared Delete per row in one transaction; and
// 1,000 posts applied one by one through the whole post pipeline (with a
// monitor, and a document number for each new row) against 1,000 single Inserts.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <map>
#include <utility>
#include <vector>

#include "bench/PreparedUpdates.h"
#include "bench/RatioReporter.h"
#include "dataaccess/NumberingHook.h"
#include "dataaccess/VexClasse.h"
#include "dataaccess/VexSchema.h"
#include "databound/Numeracao.h"
#include "dataaccess/testhost/TestHost.h"
#include "controls/VexMessage.h"
#include "platform/data/ConnectionString.h"
#include "platform/ui/Forms.h"

using namespace dataaccess;
using dataaccess::testing::TTestHost;
using namespace platform::data;

namespace {

constexpr int kLoadRows = 100000;
constexpr int kDeleteRows = 10000;
constexpr int kEditRows = 10000;
constexpr int kPosts = 1000;

class TItemTabela : public TClasseTabela {
    Q_OBJECT
public:
    using TClasseTabela::TClasseTabela;
    void GetTableName(QString& Name) override { Name = "Item"; }
    void GetCaption(QString& Caption) override { Caption = "Item"; }

protected:
    void DefineFields() override {
        AddFields({{0, faNenhuma, "Id", true, false, ftInteger, 0, 0},
                   {1, faNenhuma, "Nome", false, false, ftString, 40, 0},
                   {2, faNenhuma, "Valor", false, false, ftFloat, 0, 0},
                   {3, faNenhuma, "Data", false, false, ftDateTime, 0, 0},
                   {4, faNenhuma, "Qtde", false, false, ftInteger, 0, 0},
                   {5, faNenhuma, "Grupo", false, false, ftInteger, 0, 0}});
    }
};

// A monitor that only listens, so the posts pay for the dispatch.
class TOuvinte : public TComponentMonitor {
    Q_OBJECT
public:
    using TComponentMonitor::TComponentMonitor;
};


QTemporaryDir& Folder() {
    static QTemporaryDir Dir;
    return Dir;
}

void Fill(TADOConnection& C, const QString& Table, int From, int Count) {
    TParameters P;
    P.CreateParameter("Id", ftInteger);
    P.CreateParameter("Nome", ftString);
    P.CreateParameter("Valor", ftFloat);
    P.CreateParameter("Data", ftDateTime);
    P.CreateParameter("Qtde", ftInteger);
    P.CreateParameter("Grupo", ftInteger);
    const QDateTime Base(QDate(2024, 1, 1), QTime(8, 0));
    C.BeginTrans();
    for (int I = From; I < From + Count; ++I) {
        P[0].SetValue(I);
        P[1].SetValue(QString("Item %1").arg(I, 6, 10, QChar('0')));
        P[2].SetValue(I * 1.25);
        P[3].SetValue(Base.addSecs(I * 60));
        P[4].SetValue(I % 97);
        P[5].SetValue(I % 2);
        C.Execute(QString("Insert Into %1 (Id, Nome, Valor, Data, Qtde, Grupo) Values "
                          "(:Id, :Nome, :Valor, :Data, :Qtde, :Grupo)").arg(Table), &P, -1, true);
    }
    C.CommitTrans();
}

// Lixo holding exactly the rows a deletion removes, whatever ran before: the posts leave rows of their own.
void RefillLixo(TADOConnection& C) {
    C.Execute("Delete From Lixo");
    Fill(C, "Lixo", 1, kDeleteRows);
}

// Closed before the application ends: a connection outliving it crashes at exit.
std::map<TEngine, std::unique_ptr<TADOConnection>>& Databases() {
    static std::map<TEngine, std::unique_ptr<TADOConnection>> Connections;
    return Connections;
}

// One database per engine for the whole run, with Item of 100,000 rows and an empty Lixo of the same shape.
TADOConnection& Database(TEngine Engine) {
    std::unique_ptr<TADOConnection>& D = Databases()[Engine];
    if (D) return *D;
    D = std::make_unique<TADOConnection>();
    TADOConnection& C = *D;
    if (Engine == egSQLite) {
        C.SetConnectionString("Provider=SQLite;Data Source=" + Folder().filePath("bench.db"));
    } else {
        C.SetConnectionString(ProviderStringFromLibpqDsn(qEnvironmentVariable("PG_TEST_DSN")));
    }
    C.Open();
    const QString Columns = QString("(Id Integer Not Null Primary Key, Nome VarChar(40), Valor %1, Data %2, "
                                    "Qtde Integer, Grupo Integer)")
                                .arg(Engine == egSQLite ? "Float" : "Double Precision",
                                     Engine == egSQLite ? "DateTime" : "Timestamp");
    for (const char* Table : {"Item", "Lixo"}) {
        if (Engine != egSQLite) C.Execute(QString("Drop Table If Exists %1").arg(Table));
        C.Execute(QString("Create Table %1 %2").arg(Table, Columns));
    }
    // The posts number their rows: the numbering tables and a column for the number.
    CreateSchema(C);
    C.Execute("Alter Table Lixo Add Numero VarChar(20)");
    Fill(C, "Item", 1, kLoadRows);
    return C;
}

// The session (default connection, transaction counter) on the engine's database for one benchmark; permissions
// are left out: the benchmarks measure loading and the pipeline.
template <class T>
struct TTableSession {
    explicit TTableSession(TEngine Engine) : Host(&Database(Engine)), Table(CreateClasseTabela<T>()) {
        Table->SetCheckPermissions(false);
    }
    TTestHost Host;
    std::unique_ptr<T> Table;
};

void LoadQSqlQuery(benchmark::State& State, TEngine Engine) {
    TADOConnection& C = Database(Engine);
    for (auto _ : State) {
        QSqlQuery Q(C.Database());
        Q.setForwardOnly(true);
        Q.exec("Select Id, Nome, Valor, Data, Qtde, Grupo From Item");
        std::vector<std::vector<QVariant>> Rows;
        Rows.reserve(kLoadRows);
        while (Q.next())
            Rows.push_back({Q.value(0), Q.value(1), Q.value(2), Q.value(3), Q.value(4), Q.value(5)});
        if (Rows.size() != kLoadRows) State.SkipWithError("wrong row count");
    }
}

void LoadTable(benchmark::State& State, TEngine Engine) {
    TTableSession<TItemTabela> Session(Engine);
    TItemTabela* Table = Session.Table.get();
    for (auto _ : State) {
        Table->Load({}, {});
        if (Table->DataSet()->RecordCount() != kLoadRows) State.SkipWithError("wrong row count");
    }
}

// Every round of either update benchmark writes values no earlier round wrote: a row that keeps its value is not
// written by the table, so a repeated round would measure less work.
int NextRound() {
    static int Round = 0;
    return ++Round;
}

void UpdatesPreparedOnce(benchmark::State& State, TEngine Engine) {
    QSqlDatabase Db = Database(Engine).Database();
    for (auto _ : State) RunPreparedUpdates(Db, kEditRows, NextRound());
}

void EditsInOneUpdate(benchmark::State& State, TEngine Engine) {
    TTableSession<TItemTabela> Session(Engine);
    TItemTabela* Table = Session.Table.get();
    for (auto _ : State) {
        State.PauseTiming();
        Table->Load({"Id"}, {kEditRows}, {ofMenorIgual});
        const int Round = NextRound();
        State.ResumeTiming();
        TDataSet* Rows = Table->DataSet();
        Table->BeginUpdate();
        for (Rows->First(); !Rows->Eof(); Rows->Next()) {
            Rows->Edit();
            Table->SetFieldValue("Valor", Rows->FieldByName("Id")->AsInteger() * 2.5 + Round);
            Rows->Post();
        }
        Table->EndUpdate();
    }
}

void DeletePreparedOnce(benchmark::State& State, TEngine Engine) {
    TADOConnection& C = Database(Engine);
    for (auto _ : State) {
        State.PauseTiming();
        RefillLixo(C);
        State.ResumeTiming();
        QSqlDatabase Db = C.Database();
        Db.transaction();
        QSqlQuery Q(Db);
        Q.prepare("Delete From Lixo Where Id = ?");
        for (int I = 1; I <= kDeleteRows; ++I) {
            Q.bindValue(0, I);
            Q.exec();
        }
        Db.commit();
    }
}

class TLixoTabela : public TItemTabela {
    Q_OBJECT
public:
    using TItemTabela::TItemTabela;
    void GetTableName(QString& Name) override { Name = "Lixo"; }
};

// Lixo with its document number, which each new row takes from the numbering service.
class TNotaTabela : public TLixoTabela {
    Q_OBJECT
public:
    using TLixoTabela::TLixoTabela;

protected:
    void DefineFields() override {
        TLixoTabela::DefineFields();
        AddFields({{6, faNenhuma, "Numero", false, false, ftString, 20, 0}});
    }
};

void DeleteRecordsOfTable(benchmark::State& State, TEngine Engine) {
    TADOConnection& C = Database(Engine);
    TTableSession<TLixoTabela> Session(Engine);
    TLixoTabela* Table = Session.Table.get();
    for (auto _ : State) {
        State.PauseTiming();
        RefillLixo(C);
        State.ResumeTiming();
        if (Table->DeleteRecords({"Grupo"}, {2}, {ofMenor}) != 2) State.SkipWithError("nothing deleted");
    }
}

void InsertEachCommitted(benchmark::State& State, TEngine Engine) {
    TADOConnection& C = Database(Engine);
    for (auto _ : State) {
        State.PauseTiming();
        C.Execute("Delete From Lixo");
        State.ResumeTiming();
        QSqlQuery Q(C.Database());
        Q.prepare("Insert Into Lixo (Id, Nome, Qtde) Values (?, ?, ?)");
        for (int I = 1; I <= kPosts; ++I) {
            Q.bindValue(0, I);
            Q.bindValue(1, QString("Item %1").arg(I));
            Q.bindValue(2, I % 97);
            Q.exec();
        }
    }
}

void PostThroughPipeline(benchmark::State& State, TEngine Engine) {
    TADOConnection& C = Database(Engine);
    TTableSession<TNotaTabela> Session(Engine);
    TNotaTabela* Table = Session.Table.get();
    for (auto _ : State) {
        State.PauseTiming();
        C.Execute("Delete From Lixo");
        Table->Load({"Id"}, {0});
        State.ResumeTiming();
        TDataSet* Rows = Table->DataSet();
        for (int I = 1; I <= kPosts; ++I) {
            Rows->Append();
            Table->SetFieldValues({"Id", "Nome", "Qtde"}, {I, QString("Item %1").arg(I), I % 97});
            Rows->Post();
        }
        if (Rows->FieldByName("Numero")->IsNull()) State.SkipWithError("the rows were not numbered");
    }
}

void RegisterEngine(TEngine Engine, const char* Name, std::vector<std::pair<std::string, std::string>>& Ratios) {
    Database(Engine);  // filled before any timing starts
    RegisterBaselinePairs<TEngine>(
        {
            {"LoadQSqlQuery", LoadQSqlQuery},
            {"LoadTable", LoadTable},
            {"UpdatesPreparedOnce", UpdatesPreparedOnce},
            {"EditsInOneUpdate", EditsInOneUpdate},
            {"DeletePreparedOnce", DeletePreparedOnce},
            {"DeleteRecords", DeleteRecordsOfTable},
            {"InsertEachCommitted", InsertEachCommitted},
            {"PostThroughPipeline", PostThroughPipeline},
        },
        Engine, Name, Ratios);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    RegisterComponentMonitor<TOuvinte, TLixoTabela>();
    RegisterComponentMonitor<TOuvinte, TNotaTabela>();
    SetNumberingService(&databound::GerarNumeracao);
    // A message would wait for a click: print it instead.
    controls::SetMessageDialogResponder([](const controls::TMessageDialogCall& Call) {
        std::fprintf(stderr, "%s\n%s\n", qPrintable(Call.Msg), qPrintable(Call.Details));
        return static_cast<int>(platform::ui::mrOk);
    });
    std::vector<std::pair<std::string, std::string>> Ratios;
    RegisterEngine(egSQLite, "SQLite", Ratios);
    if (!qEnvironmentVariableIsEmpty("PG_TEST_DSN")) RegisterEngine(egPostgreSQL, "PostgreSQL", Ratios);
    const int Result = RunWithRatios(argc, argv, std::move(Ratios));
    Databases().clear();
    return Result;
}

#include "TableBench.moc"
