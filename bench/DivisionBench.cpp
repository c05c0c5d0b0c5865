// A record refresh of a division over 100,000 bills of lading against the same
// refresh over 100, in one run on SQLite: the refresh re-reads the one row, so
// its cost should not grow with the rows the division shows. A full refresh of
// the 100-row division is the baseline of both.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>

#include "bench/RatioReporter.h"
#include "dataaccess/testhost/TestHost.h"
#include "databound/VexDivisao.h"
#include "platform/data/ADODataSet.h"
#include "platform/data/DBClient.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/data/Provider.h"

using namespace platform::data;

namespace {

// One division over a table of Rows bills of lading, opened, with the cursor on the middle row.
class TDivisionScreen {
public:
    explicit TDivisionScreen(int Rows) {
        FConnection.SetConnectionString("Provider=SQLite;Data Source=:memory:");
        FConnection.Open();
        FConnection.Execute("Create Table Conhecimento (IdConhecimento Integer Not Null Primary Key, "
                            "Numero VarChar(20) Not Null, Porto VarChar(20))");
        TParameters P;
        P.CreateParameter("Id", ftInteger);
        FConnection.BeginTrans();
        for (int I = 1; I <= Rows; ++I) {
            P[0].SetValue(I);
            FConnection.Execute("Insert Into Conhecimento Values (:Id, 'BL', 'Santos')", &P);
        }
        FConnection.CommitTrans();
        FHost = std::make_unique<dataaccess::testing::TTestHost>(&FConnection);
        auto* Query = new TADOQuery(&FForm);
        Query->SetSQL("Select IdConhecimento, Numero, Porto From Conhecimento");
        for (auto* Owner : std::initializer_list<TDataSet*>{Query, &FClient}) {
            new TField(Owner, "IdConhecimento", ftInteger);
            new TField(Owner, "Numero", ftString, 20);
            new TField(Owner, "Porto", ftString, 20);
            Owner->FieldList().front()->SetProviderFlags(pfInUpdate | pfInKey);
        }
        auto* Provider = new TDataSetProvider(&FForm);
        Provider->setObjectName("prvConhecimento");
        Provider->SetDataSet(Query);
        FClient.setParent(&FForm);
        FClient.SetProviderName("prvConhecimento");
        FSource.SetDataSet(&FClient);
        FDivisao = new databound::TVexDBDivisao(&FForm);
        FDivisao->SetDataSource(&FSource);
        FDivisao->Loaded();
        FClient.Open();
        FMiddle = Rows / 2;
        FDivisao->LocateValues({QString("IdConhecimento=%1").arg(FMiddle)});
    }
    ~TDivisionScreen() { FClient.setParent(nullptr); }

    void RefreshRecord() { FDivisao->RefreshRecord({"IdConhecimento"}, {FMiddle}, false); }
    void RefreshAll() { FDivisao->RefreshAll(false); }

private:
    TADOConnection FConnection;
    std::unique_ptr<dataaccess::testing::TTestHost> FHost;
    QObject FForm;
    TClientDataSet FClient;
    TDataSource FSource;
    databound::TVexDBDivisao* FDivisao = nullptr;
    int FMiddle = 0;
};

void RefreshAllOf100(benchmark::State& State) {
    TDivisionScreen Screen(100);
    for (auto _ : State) Screen.RefreshAll();
}

void RefreshRecord(benchmark::State& State) {
    TDivisionScreen Screen(static_cast<int>(State.range(0)));
    for (auto _ : State) Screen.RefreshRecord();
}

BENCHMARK(RefreshAllOf100)->Unit(benchmark::kMicrosecond);
BENCHMARK(RefreshRecord)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    QApplication App(argc, argv);
    return RunWithRatios(argc, argv,
                         {{"RefreshRecord/100000", "RefreshRecord/100"}, {"RefreshRecord/100", "RefreshAllOf100"}});
}
