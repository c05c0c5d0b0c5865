#pragma once
// Screens for the search combo's tests and benchmark: a data-bound division
// over one Select (query, provider, client dataset, data source), and the
// module of a people's screen that hands one out, with a grid, per lookup.
#include <QObject>
#include <QString>
#include <utility>
#include <vector>

#include "dataaccess/DivisionProvider.h"
#include "databound/VexDivisao.h"
#include "platform/data/ADODataSet.h"
#include "platform/data/DBClient.h"
#include "platform/data/DataSource.h"
#include "platform/data/Provider.h"

namespace databound::testing {

// Field origins are the first letter of Nome (lower case), a dot and the field name.
struct TDivisionParts {
    platform::data::TADOQuery* Query;
    platform::data::TDataSetProvider* Provider;
    platform::data::TClientDataSet* Client;
    platform::data::TDataSource* Source;
    TVexDBDivisao* Divisao;

    TDivisionParts(QObject* Owner, const QString& Nome, const QString& Sql,
                   const std::vector<std::pair<QString, platform::data::TFieldType>>& Fields);
};

// The module "Pessoa": a division over Table (IdPessoa, Nome, Cidade, Codigo, Ativo) whose grid holds Nome,
// Cidade and Codigo, hidden.
class TPessoaModule : public QObject, public dataaccess::IDivisionProvider {
public:
    explicit TPessoaModule(const QString& Table = QStringLiteral("Pessoa"));
    QObject* ProvideDivision(QObject* Owner) override;
    bool OpenByDefault = true;

private:
    QString FTable;
};

}  // namespace databound::testing
