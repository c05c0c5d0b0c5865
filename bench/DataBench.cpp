// The dataset runtime against plain Qt SQL on the same SQLite data, in one run:
// fetching into a client dataset against iterating the query, applying
// updates through the provider against the same statements prepared once,
// sorting by an index definition and Locate on a field without an index.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QSqlQuery>

#include "platform/data/ADODataSet.h"
#include "platform/data/Provider.h"

using namespace platform::data;

namespace {

constexpr int FetchRows = 100000;
constexpr int UpdateRows = 10000;

// One database for the whole run: a table of 100,000 rows of five columns.
TADOConnection& Database() {
    static TADOConnection* Conn = [] {
        auto* C = new TADOConnection;
        C->SetConnectionString("Provider=SQLite;Data Source=:memory:");
        C->Open();
        C->Execute("Create Table Item (Id Integer Not Null Primary Key, Nome VarChar(40), Valor Float, "
                   "Data DateTime, Qtde Integer)");
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
            C->Execute("Insert Into Item (Id, Nome, Valor, Data, Qtde) Values (:Id, :Nome, :Valor, :Data, :Qtde)", &P, -1, true);
        }
        C->CommitTrans();
        return C;
    }();
    return *Conn;
}

const char* const SelectAll = "Select Id, Nome, Valor, Data, Qtde From Item";

void BM_FetchQSqlQuery(benchmark::State& State) {
    QSqlDatabase Db = Database().Database();
    for (auto _ : State) {
        QSqlQuery Q(Db);
        Q.setForwardOnly(true);
        Q.exec(SelectAll);
        int Rows = 0;
        while (Q.next()) {
            for (int C = 0; C < 5; ++C) benchmark::DoNotOptimize(Q.value(C));
            ++Rows;
        }
        if (Rows != FetchRows) State.SkipWithError("wrong row count");
    }
}
BENCHMARK(BM_FetchQSqlQuery)->Unit(benchmark::kMillisecond);

void BM_FetchClientDataSet(benchmark::State& State) {
    TADOQuery Query;
    Query.SetConnection(&Database());
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
BENCHMARK(BM_FetchClientDataSet)->Unit(benchmark::kMillisecond);

void BM_UpdatesPreparedOnce(benchmark::State& State) {
    QSqlDatabase Db = Database().Database();
    int Round = 0;
    for (auto _ : State) {
        ++Round;
        Db.transaction();
        QSqlQuery Q(Db);
        Q.prepare("Update Item Set Valor = ? Where Id = ?");
        for (int I = 1; I <= UpdateRows; ++I) {
            Q.bindValue(0, I * 2.5 + Round);
            Q.bindValue(1, I);
            Q.exec();
        }
        Db.commit();
    }
}
BENCHMARK(BM_UpdatesPreparedOnce)->Unit(benchmark::kMillisecond);

void BM_UpdatesThroughProvider(benchmark::State& State) {
    TADOQuery Query;
    Query.SetConnection(&Database());
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
BENCHMARK(BM_UpdatesThroughProvider)->Unit(benchmark::kMillisecond);

TClientDataSet& LoadedClient() {
    static TClientDataSet* Client = [] {
        auto* Query = new TADOQuery;
        Query->SetConnection(&Database());
        Query->SetSQL(SelectAll);
        auto* Provider = new TDataSetProvider;
        Provider->SetDataSet(Query);
        auto* C = new TClientDataSet;
        C->SetProvider(Provider);
        C->Open();
        C->IndexDefs().Add("PorNome", "Nome;Qtde").DescFields = "Qtde";
        C->IndexDefs().Add("PorData", "Data", ixDescending);
        return C;
    }();
    return *Client;
}

void BM_SortByIndexDefinition(benchmark::State& State) {
    TClientDataSet& Client = LoadedClient();
    bool ByName = false;
    for (auto _ : State) {
        ByName = !ByName;
        Client.SetIndexName(ByName ? "PorNome" : "PorData");
    }
    Client.SetIndexName("");
}
BENCHMARK(BM_SortByIndexDefinition)->Unit(benchmark::kMillisecond);

void BM_LocateWithoutIndex(benchmark::State& State) {
    TClientDataSet& Client = LoadedClient();
    const QString Last = QString("Item %1").arg((FetchRows * 7919) % FetchRows, 6, 10, QChar('0'));
    for (auto _ : State) {
        Client.First();
        if (!Client.Locate("Nome", Last)) State.SkipWithError("not found");
    }
}
BENCHMARK(BM_LocateWithoutIndex)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication App(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Database();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
