#include "DivisionFixture.h"

#include "platform/data/Field.h"
#include "platform/data/Provider.h"

namespace databound::testing {

using platform::data::TField;

void DivisionFixture::TearDown() {
    Form.reset();
    Host.reset();
    EngineTest::TearDown();
}

void DivisionFixture::StartHost() { Host = std::make_unique<dataaccess::testing::TTestHost>(Conn.get()); }

namespace {

// The fields of a division's dataset; with a table name as origin, the first the key.
void AddFields(platform::data::TDataSet& DataSet, const TFieldList& Fields, const QString& Table) {
    for (const auto& [Name, Type] : Fields) {
        auto* Field = new TField(&DataSet, Name, Type, Type == platform::data::ftString ? 40 : 0);
        if (!Table.isEmpty()) Field->SetOrigin(Table + "." + Name);
    }
    DataSet.FieldList().front()->SetProviderFlags(platform::data::pfInUpdate | platform::data::pfInKey);
}

TDivisionParts Loaded(TDivisionParts P, platform::data::TDataSet& Shown, const QString& Nome,
                      const std::function<void(TDivisionParts&)>& Configure) {
    P.Source->SetDataSet(&Shown);
    P.Divisao->SetDataSource(P.Source);
    P.Divisao->SetCaption(Nome + "s");
    P.Divisao->SetNome(Nome);
    if (Configure) Configure(P);
    P.Divisao->Loaded();
    return P;
}

}  // namespace

TDivisionParts MakeDivision(QObject& Form, const QString& Nome, const QString& Sql, const TFieldList& Fields,
                            const std::function<void(TDivisionParts&)>& Configure) {
    TDivisionParts P{new platform::data::TADOQuery(&Form), new platform::data::TDataSetProvider(&Form),
                     new platform::data::TClientDataSet(&Form), new platform::data::TDataSource(&Form),
                     new TVexDBDivisao(&Form)};
    P.Query->SetSQL(Sql);
    P.Provider->setObjectName("prv" + Nome);
    P.Provider->SetDataSet(P.Query);
    P.Client->SetProviderName(P.Provider->objectName());
    AddFields(*P.Client, Fields, Nome);
    AddFields(*P.Query, Fields, QString());
    return Loaded(P, *P.Client, Nome, Configure);
}

TDivisionParts MakeQueryDivision(QObject& Form, const QString& Nome, const QString& Sql, const TFieldList& Fields) {
    TDivisionParts P{new platform::data::TADOQuery(&Form), nullptr, nullptr, new platform::data::TDataSource(&Form),
                     new TVexDBDivisao(&Form)};
    P.Query->SetSQL(Sql);
    AddFields(*P.Query, Fields, Nome);
    return Loaded(P, *P.Query, Nome, nullptr);
}

QStringList DivisionFixture::Column(platform::data::TDataSet& DataSet, const QString& Name) {
    QStringList Out;
    for (DataSet.First(); !DataSet.Eof(); DataSet.Next()) Out << DataSet.FieldByName(Name)->AsString();
    return Out;
}

}  // namespace databound::testing
