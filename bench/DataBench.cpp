// The dataset runtime against plain Qt SQL on the same data, in one run, on
// SQLite and, when PG_TEST_DSN names a server, on PostgreSQL: fetching into a
// client dataset against a query loop that keeps the rows as the same types,
// applying updates through the provider against the same statements prepared
// once in one transaction, re-sorting by an index definition against an Order By
// re-query of the same rows, and Locate against a hand loop over kept rows.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QSqlQuery>
#include <map>
#include <utility>
#include <vector>

#include "bench/PreparedUpdates.h"
#include "bench/RatioReporter.h"
#include "platform/data/ADODataSet.h"
#include "platform/data/ConnectionString.h"
#include "platform/data/Provider.h"

using namespace platform::data;

namespace {

constexpr int FetchRows = 100000;
constexpr int UpdateRows = 10000;

// One database per engine for the whole run: a table of 100,000 rows of five columns.
TADOConnection& Database(TEngine Engine) {
    static std::map<TEngine, TADOConnection*> Connections;
    TADOConnection*& Conn = Connections[Engine];
    if (Conn) return *Conn;
    Conn = new TADOConnection;
    TADOConnection* C = Conn;
    if (Engine == egSQLite) {
        C->SetConnectionString("Provider=SQLite;Data Source=:memory:");
        C->Open();
    } else {
        C->SetConnectionString(ProviderStringFromLibpqDsn(qEnvironmentVariable("PG_TEST_DSN")));
        C->Open();
        C->Execute("Drop Table If Exists Item");
    }
    C->Execute(QString("Create Table Item (Id Integer Not Null Primary Key, Nome VarChar(40), Valor %1, "
                       "Data %2, Qtde Integer)")
                   .arg(Engine == egSQLite ? "Float" : "Double Precision",
                        Engine == egSQLite ? "DateTime" : "Timestamp"));
    TParameters P;
    P.CreateParameter("Id", ftInteger);
    P.CreateParameter("Nome", ftString);
    P.CreateParameter("Valor", ftFloat);
    P.CreateParameter("Data", ftDateTime);
    P.CreateParameter("Qtde", ftInteger);
    C->BeginTrans();
    const QDateTime Base(QDate(2024, 1, 1), QTime(8, 0));
    for (int I = 1; I <= FetchRows; ++I) {
        P[0].SetValue(I);
        P[1].SetValue(QString("Item %1").arg((I * 7919) % FetchRows, 6, 10, QChar('0')));
        P[2].SetValue(I * 1.25);
        P[3].SetValue(Base.addSecs(I * 60));
        P[4].SetValue(I % 97);
        C->Execute("Insert Into Item (Id, Nome, Valor, Data, Qtde) Values (:Id, :Nome, :Valor, :Data, :Qtde)", &P, -1,
                   true);
    }
    C->CommitTrans();
    return *C;
}

const char* const SelectAll = "Select Id, Nome, Valor, Data, Qtde From Item";

// The raw baseline keeps every row as the types a client dataset holds.
using TRows = std::vector<std::vector<QVariant>>;
TRows ReadRows(QSqlQuery& Q) {
    TRows Rows;
    Rows.reserve(FetchRows);
    while (Q.next()) {
        const QVariant Data = Q.value(3);
        const QDateTime When = Data.typeId() == QMetaType::QDateTime
                                   ? Data.toDateTime()
                                   : QDateTime::fromString(Data.toString(), Qt::ISODateWithMs);
        Rows.push_back({Q.value(0).toInt(), Q.value(1).toString(), Q.value(2).toDouble(), When, Q.value(4).toInt()});
    }
    return Rows;
}

TRows QueryRows(TEngine Engine, const QString& Sql) {
    QSqlQuery Q(Database(Engine).Database());
    // Read as the connection reads each engine.
    Q.setForwardOnly(!Database(Engine).Dialect().ReadsWholeResults());
    Q.exec(Database(Engine).Dialect().Translate(Sql));
    return ReadRows(Q);
}

void FetchQSqlQuery(benchmark::State& State, TEngine Engine) {
    for (auto _ : State) {
        const TRows Rows = QueryRows(Engine, SelectAll);
        if (Rows.size() != FetchRows) State.SkipWithError("wrong row count");
    }
}

void FetchClientDataSet(benchmark::State& State, TEngine Engine) {
    TADOQuery Query;
    Query.SetConnection(&Database(Engine));
    Query.SetSQL(SelectAll);
    TDataSetProvider Provider;
    Provider.SetDataSet(&Query);
    for (auto _ : State) {
        TClientDataSet Client;
        Client.SetProvider(&Provider);
        Client.Open();
        if (Client.RecordCount() != FetchRows) State.SkipWithError("wrong row count");
    }
}

void UpdatesPreparedOnce(benchmark::State& State, TEngine Engine) {
    QSqlDatabase Db = Database(Engine).Database();
    int Round = 0;
    for (auto _ : State) RunPreparedUpdates(Db, UpdateRows, ++Round);
}

void UpdatesThroughProvider(benchmark::State& State, TEngine Engine) {
    TADOQuery Query;
    Query.SetConnection(&Database(Engine));
    Query.SetSQL(QString("Select Id, Valor From Item Where Id <= %1").arg(UpdateRows));
    Query.FieldDefs().Add("Id", ftInteger);
    Query.FieldDefs().Add("Valor", ftFloat);
    Query.SetStoreDefs(true);
    Query.CreateFields();
    Query.FieldByName("Id")->SetProviderFlags(pfInUpdate | pfInKey);
    Query.FieldByName("Valor")->SetProviderFlags(pfInUpdate);
    TDataSetProvider Provider;
    Provider.SetDataSet(&Query);
    Provider.SetUpdateMode(upWhereKeyOnly);
    TClientDataSet Client;
    Client.SetProvider(&Provider);
    Client.Open();
    int Round = 0;
    for (auto _ : State) {
        State.PauseTiming();
        ++Round;
        TField* Valor = Client.FieldByName("Valor");
        for (Client.First(); !Client.Eof(); Client.Next()) {
            Client.Edit();
            Valor->SetAsFloat(Client.RecNo() * 3.5 + Round);
            Client.Post();
        }
        State.ResumeTiming();
        if (Client.ApplyUpdates(0) != 0) State.SkipWithError("apply failed");
    }
}

TClientDataSet& LoadedClient(TEngine Engine) {
    static std::map<TEngine, TClientDataSet*> Clients;
    TClientDataSet*& C = Clients[Engine];
    if (C) return *C;
    auto* Query = new TADOQuery;
    Query->SetConnection(&Database(Engine));
    Query->SetSQL(SelectAll);
    auto* Provider = new TDataSetProvider;
    Provider->SetDataSet(Query);
    C = new TClientDataSet;
    C->SetProvider(Provider);
    C->Open();
    C->IndexDefs().Add("PorNome", "Nome;Qtde").DescFields = "Qtde";
    C->IndexDefs().Add("PorData", "Data", ixDescending);
    return *C;
}

// Each round orders the rows one way and then the other, on both sides.
void ResortClientDataSet(benchmark::State& State, TEngine Engine) {
    TClientDataSet& Client = LoadedClient(Engine);
    bool ByName = false;
    for (auto _ : State) {
        ByName = !ByName;
        Client.SetIndexName(ByName ? "PorNome" : "PorData");
    }
    Client.SetIndexName("");
}

void ResortOrderByRequery(benchmark::State& State, TEngine Engine) {
    bool ByName = false;
    for (auto _ : State) {
        ByName = !ByName;
        const QString Order = ByName ? " Order By Nome, Qtde Desc" : " Order By Data Desc";
        const TRows Rows = QueryRows(Engine, SelectAll + Order);
        if (Rows.size() != FetchRows) State.SkipWithError("wrong row count");
    }
}

QString LastName() { return QString("Item %1").arg((FetchRows * 7919) % FetchRows, 6, 10, QChar('0')); }

void LocateWithoutIndex(benchmark::State& State, TEngine Engine) {
    TClientDataSet& Client = LoadedClient(Engine);
    const QString Last = LastName();
    for (auto _ : State) {
        Client.First();
        if (!Client.Locate("Nome", Last)) State.SkipWithError("not found");
    }
}

void LocateHandLoop(benchmark::State& State, TEngine Engine) {
    const TRows Rows = QueryRows(Engine, SelectAll);
    const QString Last = LastName();
    for (auto _ : State) {
        auto It = std::find_if(Rows.begin(), Rows.end(), [&](const auto& Row) { return Row[1].toString() == Last; });
        if (It == Rows.end()) State.SkipWithError("not found");
        benchmark::DoNotOptimize(It);
    }
}

// Each benchmark comes after its baseline; the ratio of each pair is reported after the table.
void RegisterEngine(TEngine Engine, const char* Name, std::vector<std::pair<std::string, std::string>>& Ratios) {
    Database(Engine);  // filled before any timing starts
    const std::pair<const char*, void (*)(benchmark::State&, TEngine)> Benchmarks[] = {
        {"FetchQSqlQuery", FetchQSqlQuery},           {"FetchClientDataSet", FetchClientDataSet},
        {"UpdatesPreparedOnce", UpdatesPreparedOnce}, {"UpdatesThroughProvider", UpdatesThroughProvider},
        {"ResortOrderByRequery", ResortOrderByRequery}, {"ResortClientDataSet", ResortClientDataSet},
        {"LocateHandLoop", LocateHandLoop},           {"LocateWithoutIndex", LocateWithoutIndex},
    };
    std::string Baseline;
    for (const auto& [Label, Function] : Benchmarks) {
        const std::string RunName = std::string(Label) + '/' + Name;
        benchmark::RegisterBenchmark(RunName.c_str(), Function, Engine)->Unit(benchmark::kMillisecond);
        if (Baseline.empty()) Baseline = RunName;
        else Ratios.emplace_back(RunName, std::exchange(Baseline, std::string()));
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication App(argc, argv);
    std::vector<std::pair<std::string, std::string>> Ratios;
    RegisterEngine(egSQLite, "SQLite", Ratios);
    if (!qEnvironmentVariableIsEmpty("PG_TEST_DSN")) RegisterEngine(egPostgreSQL, "PostgreSQL", Ratios);
    return RunWithRatios(argc, argv, std::move(Ratios));
}
