#pragma once
// Divisions as a screen sets them up, over the engine fixture: a query, a
// provider, a client dataset with persistent fields, a data source and the
// division, all owned by one form object, with a test host on the engine's
// connection. Each suite creates its tables in SetUp and then its divisions.
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "EngineTest.h"
#include "dataaccess/testhost/TestHost.h"
#include "databound/VexDivisao.h"
#include "platform/data/ADODataSet.h"
#include "platform/data/DBClient.h"
#include "platform/data/DataSource.h"

namespace databound::testing {

struct TDivisionParts {
    platform::data::TADOQuery* Query;
    platform::data::TDataSetProvider* Provider;
    platform::data::TClientDataSet* Client;
    platform::data::TDataSource* Source;
    TVexDBDivisao* Divisao;
};
using TFieldList = std::vector<std::pair<QString, platform::data::TFieldType>>;

// A division named Nome over Sql, its parts owned by Form, whose fields have the table's name as origin; the first
// field is the key. With Configure, the division's setup may be completed before it is loaded.
TDivisionParts MakeDivision(QObject& Form, const QString& Nome, const QString& Sql, const TFieldList& Fields,
                            const std::function<void(TDivisionParts&)>& Configure = nullptr);

// A division named Nome straight over a query of Sql, with no provider or client dataset between them.
// Provider and Client stay nullptr.
TDivisionParts MakeQueryDivision(QObject& Form, const QString& Nome, const QString& Sql, const TFieldList& Fields);

class DivisionFixture : public platform::data::testing::EngineTest {
protected:
    using TParts = TDivisionParts;

    void TearDown() override;
    // Starts the host on the engine's connection; call once the tables exist.
    void StartHost();
    TParts Make(const QString& Nome, const QString& Sql, const TFieldList& Fields,
                const std::function<void(TParts&)>& Configure = nullptr) {
        return MakeDivision(*Form, Nome, Sql, Fields, Configure);
    }
    TParts MakeQuery(const QString& Nome, const QString& Sql, const TFieldList& Fields) {
        return MakeQueryDivision(*Form, Nome, Sql, Fields);
    }
    // The values of one field, row by row.
    static QStringList Column(platform::data::TDataSet& DataSet, const QString& Name);

    std::unique_ptr<QObject> Form = std::make_unique<QObject>();
    std::unique_ptr<dataaccess::testing::TTestHost> Host;
};

}  // namespace databound::testing
