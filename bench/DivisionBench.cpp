// Divisions over bills of lading on SQLite, measured in one run:
// - a record refresh over 100,000 rows against the same refresh over 100: the
//   refresh re-reads the one row, so its cost should not grow with the rows the
//   division shows; a full refresh of the 100-row division is the baseline; the
//   same for a division straight over its query (no client dataset);
// - the library's grid on a division of 1,000,000 rows against 1,000 rows: the
//   first paint, the paint after Ctrl+End and a scroll by one page should cost
//   the same;
// - a title click sorting 100,000 rows in memory against re-reading them from
//   the server with an Order By.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <map>
#include <memory>
#include <utility>

#include "bench/RatioReporter.h"
#include "dataaccess/testhost/TestHost.h"
#include "bench/WidgetDriving.h"
#include "databound/VexDBGrid.h"
#include "databound/VexDivisao.h"
#include "platform/data/ADODataSet.h"
#include "platform/data/DBClient.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/data/Provider.h"

using namespace platform::data;

namespace {

// What the division's data source shows: the client dataset fed by the provider, or the query itself.
enum class TShown { Client, Query };

// One division over a table of Rows bills of lading, opened, with the cursor on the middle row.
class TDivisionScreen {
public:
    // OrderBy ends the base command, so every full refresh re-reads the rows in that order.
    explicit TDivisionScreen(int Rows, const QString& OrderBy = QString(), TShown Shown = TShown::Client) {
        FConnection.SetConnectionString("Provider=SQLite;Data Source=:memory:");
        FConnection.Open();
        FConnection.Execute("Create Table Conhecimento (IdConhecimento Integer Not Null Primary Key, "
                            "Numero VarChar(20) Not Null, Porto VarChar(20))");
        TParameters P;
        P.CreateParameter("Id", ftInteger);
        P.CreateParameter("Numero", ftString);
        FConnection.BeginTrans();
        for (int I = 1; I <= Rows; ++I) {
            P[0].SetValue(I);
            // Numbers in no order of the key, so sorting by them moves rows.
            P[1].SetValue(QString("BL%1").arg(static_cast<qint64>(I) * 7919 % Rows, 7, 10, QChar('0')));
            FConnection.Execute("Insert Into Conhecimento Values (:Id, :Numero, 'Santos')", &P);
        }
        FConnection.CommitTrans();
        FHost = std::make_unique<dataaccess::testing::TTestHost>(&FConnection);
        auto* Query = new TADOQuery(&FForm);
        Query->SetSQL("Select IdConhecimento, Numero, Porto From Conhecimento" +
                      (OrderBy.isEmpty() ? QString() : " Order By " + OrderBy));
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
        FSource.SetDataSet(Shown == TShown::Client ? static_cast<TDataSet*>(&FClient) : Query);
        FDivisao = new databound::TVexDBDivisao(&FForm);
        FDivisao->SetDataSource(&FSource);
        FDivisao->Loaded();
        FSource.DataSet()->Open();
        FMiddle = Rows / 2;
        FDivisao->LocateValues({QString("IdConhecimento=%1").arg(FMiddle)});
    }
    ~TDivisionScreen() { FClient.setParent(nullptr); }

    void RefreshRecord() { FDivisao->RefreshRecord({"IdConhecimento"}, {FMiddle}, false); }
    void RefreshAll() { FDivisao->RefreshAll(false); }
    TClientDataSet& Client() { return FClient; }

    // The library's grid on the division, as a screen shows it.
    std::unique_ptr<databound::TVexDBGrid> NewGrid() {
        auto Grid = std::make_unique<databound::TVexDBGrid>();
        Grid->resize(800, 600);
        Grid->SetDivisao(FDivisao);
        Grid->SetDataSource(&FSource);
        return Grid;
    }

private:
    TADOConnection FConnection;
    std::unique_ptr<dataaccess::testing::TTestHost> FHost;
    QObject FForm;
    TClientDataSet FClient;
    TDataSource FSource;
    databound::TVexDBDivisao* FDivisao = nullptr;
    int FMiddle = 0;
};

constexpr int kGridSmall = 1000;
constexpr int kGridLarge = 1000000;
constexpr int kSortRows = 100000;

// One screen per size and order, built before any measurement and freed before the application ends.
std::map<std::pair<int, QString>, std::unique_ptr<TDivisionScreen>>& Screens() {
    static std::map<std::pair<int, QString>, std::unique_ptr<TDivisionScreen>> Instance;
    return Instance;
}

TDivisionScreen& Screen(int Rows, const QString& OrderBy = QString()) {
    auto& Slot = Screens()[{Rows, OrderBy}];
    if (!Slot) Slot = std::make_unique<TDivisionScreen>(Rows, OrderBy);
    return *Slot;
}

void RefreshAllOf100(benchmark::State& State) {
    TDivisionScreen Screen(100);
    for (auto _ : State) Screen.RefreshAll();
}

void RefreshRecord(benchmark::State& State) {
    TDivisionScreen Screen(static_cast<int>(State.range(0)));
    for (auto _ : State) Screen.RefreshRecord();
}

void RefreshQueryRecord(benchmark::State& State) {
    TDivisionScreen Screen(static_cast<int>(State.range(0)), QString(), TShown::Query);
    for (auto _ : State) Screen.RefreshRecord();
}

void GridFirstPaint(benchmark::State& State) {
    TDivisionScreen& Data = Screen(static_cast<int>(State.range(0)));
    Data.Client().First();
    for (auto _ : State) {
        std::unique_ptr<databound::TVexDBGrid> Grid = Data.NewGrid();
        Paint(*Grid);
    }
}

void GridPaintAfterEnd(benchmark::State& State) {
    TDivisionScreen& Data = Screen(static_cast<int>(State.range(0)));
    std::unique_ptr<databound::TVexDBGrid> Grid = Data.NewGrid();
    Grid->SetFocus();
    for (auto _ : State) {
        State.PauseTiming();
        Data.Client().First();
        Paint(*Grid);
        State.ResumeTiming();
        Press(*Grid, Qt::Key_End, Qt::ControlModifier);
        Paint(*Grid);
    }
}

void GridScrollPage(benchmark::State& State) {
    const int Rows = static_cast<int>(State.range(0));
    TDivisionScreen& Data = Screen(Rows);
    std::unique_ptr<databound::TVexDBGrid> Grid = Data.NewGrid();
    Data.Client().First();
    for (auto _ : State) {
        if (Data.Client().RecNo() > Rows - 2 * Grid->VisibleRowCount()) {
            State.PauseTiming();
            Data.Client().First();
            State.ResumeTiming();
        }
        Press(*Grid, Qt::Key_PageDown);
        Paint(*Grid);
    }
}

// A click on the Numero title, as the grid receives it: ascending, then descending, and so on.
void TitleClickSort(benchmark::State& State) {
    TDivisionScreen& Data = Screen(kSortRows);
    std::unique_ptr<databound::TVexDBGrid> Grid = Data.NewGrid();
    const int Numero = Grid->Columns().IndexOfField("Numero");
    for (auto _ : State) {
        Grid->RequestSort(Numero, false);
        QCoreApplication::sendPostedEvents(Grid.get());
    }
}

void RequeryOrderBy(benchmark::State& State) {
    TDivisionScreen& Data = Screen(kSortRows, "Numero");
    for (auto _ : State) Data.RefreshAll();
}

BENCHMARK(RefreshAllOf100)->Unit(benchmark::kMicrosecond);
BENCHMARK(RefreshRecord)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(RefreshQueryRecord)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(GridFirstPaint)->Arg(kGridSmall)->Arg(kGridLarge)->Unit(benchmark::kMicrosecond);
BENCHMARK(GridPaintAfterEnd)->Arg(kGridSmall)->Arg(kGridLarge)->Unit(benchmark::kMicrosecond);
BENCHMARK(GridScrollPage)->Arg(kGridSmall)->Arg(kGridLarge)->Unit(benchmark::kMicrosecond);
BENCHMARK(TitleClickSort)->Unit(benchmark::kMillisecond);
BENCHMARK(RequeryOrderBy)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    for (const int Rows : {kGridSmall, kGridLarge, kSortRows}) Screen(Rows);
    Screen(kSortRows, "Numero");
    std::vector<std::pair<std::string, std::string>> Ratios = {
        {"RefreshRecord/100000", "RefreshRecord/100"}, {"RefreshRecord/100", "RefreshAllOf100"},
        {"RefreshQueryRecord/100000", "RefreshQueryRecord/100"},
        {"TitleClickSort", "RequeryOrderBy"}};
    const std::string Small = "/" + std::to_string(kGridSmall), Large = "/" + std::to_string(kGridLarge);
    for (const std::string Case : {"GridFirstPaint", "GridPaintAfterEnd", "GridScrollPage"})
        Ratios.emplace_back(Case + Large, Case + Small);
    const int Result = RunWithRatios(argc, argv, std::move(Ratios));
    Screens().clear();
    return Result;
}
