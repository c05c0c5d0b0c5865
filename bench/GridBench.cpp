// The data grid over a client dataset of 1,000 rows against one of 1,000,000
// rows of six columns, in one run: the first paint, the paint after End and
// a scroll by one page should cost the same, and the grid's memory beyond
// the dataset should not grow with the rows. A QTableView over a
// QSqlQueryModel of the same rows is measured alongside as the baseline.
// The GridBytes counter is the heap the view took beyond its data.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QTableView>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bench/RatioReporter.h"
#include "bench/WidgetDriving.h"
#include "platform/data/DBClient.h"
#include "platform/ui/DBGrids.h"

using namespace platform::data;
using platform::ui::TDBGrid;

namespace {

constexpr int kSmall = 1000;
constexpr int kLarge = 1000000;
const QSize kViewSize(800, 600);

QVariantList RowValues(int I) {
    return {I, QString("Nome %1").arg(I), QString("Cidade %1").arg(I % 500), I * 1.25, QDate(2024, 1, 1).addDays(I % 3650),
            I % 2 == 0};
}

struct TTable {
    TClientDataSet Data;
    TDataSource Source;
    explicit TTable(int Rows) {
        Data.FieldDefs().Add("Id", ftInteger);
        Data.FieldDefs().Add("Nome", ftString, 30);
        Data.FieldDefs().Add("Cidade", ftString, 30);
        Data.FieldDefs().Add("Valor", ftFloat);
        Data.FieldDefs().Add("Data", ftDate);
        Data.FieldDefs().Add("Ativo", ftBoolean);
        Data.CreateDataSet();
        Data.DisableControls();
        for (int I = 0; I < Rows; ++I) Data.AppendRecord(RowValues(I));
        Data.MergeChangeLog();
        Data.First();
        Data.EnableControls();
        Source.SetDataSet(&Data);
    }
};

TTable& Table(int Rows) {
    static std::map<int, std::unique_ptr<TTable>> Tables;
    auto& Slot = Tables[Rows];
    if (!Slot) Slot = std::make_unique<TTable>(Rows);
    return *Slot;
}

// The same rows in SQLite, one table per size.
QSqlDatabase& Sql() {
    static QSqlDatabase Db = [] {
        QSqlDatabase D = QSqlDatabase::addDatabase("QSQLITE", "gridbench");
        D.setDatabaseName(":memory:");
        D.open();
        for (int Rows : {kSmall, kLarge}) {
            QSqlQuery Q(D);
            Q.exec(QString("Create Table T%1 (Id Integer, Nome VarChar(30), Cidade VarChar(30), Valor Float, "
                           "Data Date, Ativo Integer)").arg(Rows));
            D.transaction();
            Q.prepare(QString("Insert Into T%1 Values (?, ?, ?, ?, ?, ?)").arg(Rows));
            for (int I = 0; I < Rows; ++I) {
                const QVariantList Values = RowValues(I);
                for (int C = 0; C < Values.size(); ++C) Q.bindValue(C, Values[C]);
                Q.exec();
            }
            D.commit();
        }
        return D;
    }();
    return Db;
}

double HeapInUse() { return static_cast<double>(mallinfo2().uordblks); }

std::unique_ptr<TDBGrid> NewGrid(int Rows) {
    auto Grid = std::make_unique<TDBGrid>();
    Grid->resize(kViewSize);
    Grid->SetDataSource(&Table(Rows).Source);
    return Grid;
}

struct TTableView {
    QSqlQueryModel Model;
    QTableView View;
    explicit TTableView(int Rows) {
        Model.setQuery(QString("Select * From T%1").arg(Rows), Sql());
        View.resize(kViewSize);
        View.setModel(&Model);
    }
};

void BM_GridFirstPaint(benchmark::State& State) {
    const int Rows = static_cast<int>(State.range(0));
    Table(Rows).Data.First();
    double Bytes = 0;
    for (auto _ : State) {
        const double Before = HeapInUse();
        std::unique_ptr<TDBGrid> Grid = NewGrid(Rows);
        Paint(*Grid);
        Bytes = HeapInUse() - Before;
    }
    State.counters["GridBytes"] = Bytes;
}
BENCHMARK(BM_GridFirstPaint)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMicrosecond);

void BM_GridPaintAfterEnd(benchmark::State& State) {
    const int Rows = static_cast<int>(State.range(0));
    std::unique_ptr<TDBGrid> Grid = NewGrid(Rows);
    Grid->SetFocus();
    double Bytes = 0;
    for (auto _ : State) {
        State.PauseTiming();
        Table(Rows).Data.First();
        Paint(*Grid);
        const double Before = HeapInUse();
        State.ResumeTiming();
        Press(*Grid, Qt::Key_End, Qt::ControlModifier);
        Paint(*Grid);
        Bytes = HeapInUse() - Before;
    }
    State.counters["GridBytes"] = Bytes;
}
BENCHMARK(BM_GridPaintAfterEnd)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMicrosecond);

void BM_GridScrollPage(benchmark::State& State) {
    const int Rows = static_cast<int>(State.range(0));
    std::unique_ptr<TDBGrid> Grid = NewGrid(Rows);
    Table(Rows).Data.First();
    for (auto _ : State) {
        if (Table(Rows).Data.RecNo() > Rows - 2 * Grid->VisibleRowCount()) {
            State.PauseTiming();
            Table(Rows).Data.First();
            State.ResumeTiming();
        }
        Press(*Grid, Qt::Key_PageDown);
        Paint(*Grid);
    }
}
BENCHMARK(BM_GridScrollPage)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMicrosecond);

void BM_TableViewFirstPaint(benchmark::State& State) {
    const int Rows = static_cast<int>(State.range(0));
    double Bytes = 0;
    for (auto _ : State) {
        const double Before = HeapInUse();
        TTableView Table(Rows);
        Paint(Table.View);
        Bytes = HeapInUse() - Before;
    }
    State.counters["GridBytes"] = Bytes;
}
BENCHMARK(BM_TableViewFirstPaint)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMicrosecond);

void BM_TableViewPaintAfterEnd(benchmark::State& State) {
    const int Rows = static_cast<int>(State.range(0));
    double Bytes = 0;
    for (auto _ : State) {
        State.PauseTiming();
        auto Table = std::make_unique<TTableView>(Rows);
        Paint(Table->View);
        const double Before = HeapInUse();
        State.ResumeTiming();
        // The last row is known only once every row has been fetched.
        while (Table->Model.canFetchMore()) Table->Model.fetchMore();
        Table->View.scrollToBottom();
        Paint(Table->View);
        State.PauseTiming();
        Bytes = HeapInUse() - Before;
        Table.reset();
        State.ResumeTiming();
    }
    State.counters["GridBytes"] = Bytes;
}
BENCHMARK(BM_TableViewPaintAfterEnd)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMicrosecond)->Iterations(3);

void BM_TableViewScrollPage(benchmark::State& State) {
    const int Rows = static_cast<int>(State.range(0));
    TTableView Table(Rows);
    Table.View.setFocus();
    Table.View.setCurrentIndex(Table.Model.index(0, 0));
    for (auto _ : State) {
        if (Table.View.currentIndex().row() > Table.Model.rowCount() - 64) {
            State.PauseTiming();
            Table.View.setCurrentIndex(Table.Model.index(0, 0));
            State.ResumeTiming();
        }
        Press(Table.View, Qt::Key_PageDown);
        Paint(Table.View);
    }
}
BENCHMARK(BM_TableViewScrollPage)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    // The data is built before any measurement.
    Table(kSmall);
    Table(kLarge);
    Sql();
    // Each grid case at a million rows against a thousand, and against the table view at a million.
    std::vector<std::pair<std::string, std::string>> Ratios;
    const std::string Small = "/" + std::to_string(kSmall), Large = "/" + std::to_string(kLarge);
    for (const std::string Case : {"FirstPaint", "PaintAfterEnd", "ScrollPage"}) {
        const std::string View = "BM_TableView" + Case + Large + (Case == "PaintAfterEnd" ? "/iterations:3" : "");
        Ratios.emplace_back("BM_Grid" + Case + Large, "BM_Grid" + Case + Small);
        Ratios.emplace_back("BM_Grid" + Case + Large, View);
    }
    return RunWithRatios(argc, argv, std::move(Ratios));
}
