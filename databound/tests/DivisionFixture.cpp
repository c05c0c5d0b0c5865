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

TDivisionParts MakeDivision(QObject& Form, const QString& Nome, const QString& Sql, const TFieldList& Fields,
                            const std::function<void(TDivisionParts&)>& Configure) {
    TDivisionParts P{new platform::data::TADOQuery(&Form), new platform::data::TDataSetProvider(&Form),
                     new platform::data::TClientDataSet(&Form), new platform::data::TDataSource(&Form),
                     new TVexDBDivisao(&Form)};
    P.Query->SetSQL(Sql);
    P.Provider->setObjectName("prv" + Nome);
    P.Provider->SetDataSet(P.Query);
    P.Client->SetProviderName(P.Provider->objectName());
    for (const auto& [Name, Type] : Fields) {
        auto* Field = new TField(P.Client, Name, Type, Type == platform::data::ftString ? 40 : 0);
        Field->SetOrigin(Nome + "." + Name);
    }
    P.Client->FieldList().front()->SetProviderFlags(platform::data::pfInUpdate | platform::data::pfInKey);
    for (const auto& [Name, Type] : Fields) new TField(P.Query, Name, Type, Type == platform::data::ftString ? 40 : 0);
    P.Query->FieldList().front()->SetProviderFlags(platform::data::pfInUpdate | platform::data::pfInKey);
    P.Source->SetDataSet(P.Client);
    P.Divisao->SetDataSource(P.Source);
    P.Divisao->SetCaption(Nome + "s");
    P.Divisao->SetNome(Nome);
    if (Configure) Configure(P);
    P.Divisao->Loaded();
    return P;
}

QStringList DivisionFixture::Column(platform::data::TDataSet& DataSet, const QString& Name) {
    QStringList Out;
    for (DataSet.First(); !DataSet.Eof(); DataSet.Next()) Out << DataSet.FieldByName(Name)->AsString();
    return Out;
}

}  // namespace databound::testing
