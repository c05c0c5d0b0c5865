// 1,000 table objects over 10 tables, created and their permission levels
// loaded in one session (the session's cache leaves 10 permission queries), against
// a bare QSqlQuery per table running the same roles-and-levels statement, in
// the same run, on SQLite in memory. The user inherits four roles through a
// chain; no level denies, so no administrator check is asked.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSqlQuery>
#include <memory>
#include <vector>

#include "RatioReporter.h"
#include "dataaccess/PermissaoLib.h"
#include "dataaccess/VexClasse.h"
#include "dataaccess/testhost/TestHost.h"
#include "platform/data/ADODB.h"

using namespace dataaccess;
using namespace platform::data;

namespace {

constexpr int kTables = 10;
constexpr int kObjects = 1000;

QString TableName(int Index) { return QString("Tabela%1").arg(Index % kTables); }

// The session, with user 1 in role 1, role 1 in role 2 and so on up to role 4, each granting levels on every table.
dataaccess::testing::TTestHost& Session() {
    static auto* Host = [] {
        auto* H = new dataaccess::testing::TTestHost;
        TADOConnection& C = *H->DefaultConnection();
        C.Execute("Insert Into sys_Usuario (IdUsuario, Nome) Values (1, 'ana')");
        for (int Role = 1; Role <= 4; ++Role) {
            C.Execute(QString("Insert Into sys_Papel (IdPapel, Nome) Values (%1, 'Papel %1')").arg(Role));
            C.Execute(QString("Insert Into sys_Papel_Membro (IdPapel_Membro, IdPapel_Superior, IdUsuario, IdPapel) "
                              "Values (%1, %1, %2, %3)")
                          .arg(Role)
                          .arg(Role == 1 ? "1" : "Null")
                          .arg(Role == 1 ? "Null" : QString::number(Role - 1)));
        }
        for (int Table = 0; Table < kTables; ++Table) {
            C.Execute(QString("Insert Into sys_Tabela (IdTabela, Nome) Values (%1, '%2')").arg(Table + 1).arg(TableName(Table)));
            for (int Role = 1; Role <= 4; ++Role)
                C.Execute(QString("Insert Into sys_Permissao_Tabela (IdTabela, IdPapel, Ao_Visualizar, Ao_Inserir, "
                                  "Ao_Excluir, Ao_Atualizar, Ao_Imprimir) Values (%1, %2, 0, %3, 1, 0, %4)")
                              .arg(Table + 1)
                              .arg(Role)
                              .arg(Role % 2)
                              .arg((Table + Role) % 2));
        }
        H->Login("ana", 1, 1);
        return H;
    }();
    return *Host;
}

// A table class whose table is given at construction.
class TTabelaBench : public TClasseTabela {
public:
    explicit TTabelaBench(QString Name) : FName(std::move(Name)) {}
    void GetTableName(QString& Name) override { Name = FName; }
    void GetCaption(QString& Caption) override { Caption = FName; }

protected:
    void DefineFields() override { AddFields({{0, faNenhuma, "Id" + FName, true, false, ftInteger, 0, 0}}); }

private:
    QString FName;
};

// Arg: how many table objects, spread over the 10 tables; each checks its view permission as a load does.
void BM_TableObjectsCreatedAndChecked(benchmark::State& State) {
    Session();
    const int Count = static_cast<int>(State.range(0));
    for (auto _ : State) {
        ClearPermissionCache();
        std::vector<std::unique_ptr<TTabelaBench>> Objects;
        Objects.reserve(Count);
        for (int I = 0; I < Count; ++I) {
            Objects.push_back(std::make_unique<TTabelaBench>(TableName(I)));
            Objects.back()->AfterConstruction();
            Objects.back()->CheckPermission(paVisualizar);
        }
        if (Objects.back()->Permissions().Level(paExcluir) != kLevelControlPassword) State.SkipWithError("wrong level");
        benchmark::DoNotOptimize(Objects.data());
    }
}
BENCHMARK(BM_TableObjectsCreatedAndChecked)->Arg(kTables)->Arg(kObjects)->Unit(benchmark::kMillisecond);

void BM_BareQueryPerTable(benchmark::State& State) {
    QSqlQuery Query(Session().DefaultConnection()->Database());
    Query.prepare(
        "With Recursive Papeis (IdPapel) As (Select IdPapel_Superior From sys_Papel_Membro Where IdUsuario = ? "
        "Union Select m.IdPapel_Superior From sys_Papel_Membro m Join Papeis p On m.IdPapel = p.IdPapel) "
        "Select Max(Ao_Visualizar), Max(Ao_Inserir), Max(Ao_Excluir), Max(Ao_Atualizar), Max(Ao_Imprimir) "
        "From sys_Tabela t Join sys_Permissao_Tabela p On p.IdTabela = t.IdTabela "
        "Where p.IdPapel In (Select IdPapel From Papeis) And t.Nome = ?");
    for (auto _ : State) {
        int Sum = 0;
        for (int Table = 0; Table < kTables; ++Table) {
            Query.bindValue(0, 1);
            Query.bindValue(1, TableName(Table));
            if (!Query.exec() || !Query.next()) State.SkipWithError("query failed");
            for (int Column = 0; Column < 5; ++Column) Sum += Query.value(Column).toInt();
        }
        benchmark::DoNotOptimize(Sum);
    }
}
BENCHMARK(BM_BareQueryPerTable)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    return RunWithRatios(argc, argv, {{"BM_TableObjectsCreatedAndChecked/1000", "BM_BareQueryPerTable"},
                                        {"BM_TableObjectsCreatedAndChecked/10", "BM_BareQueryPerTable"}});
}
