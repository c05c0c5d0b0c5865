#pragma once
// The module of a people's screen for the search combo's tests and benchmark:
// it hands out a division with a grid per lookup.
#include <QObject>
#include <QString>

#include "DivisionFixture.h"
#include "dataaccess/DivisionProvider.h"

namespace databound::testing {

// The module "Pessoa": a division over Table as Pessoa (IdPessoa, Nome, Cidade, Codigo, Ativo) whose grid holds
// Nome, Cidade and Codigo, hidden.
class TPessoaModule : public QObject, public dataaccess::IDivisionProvider {
public:
    explicit TPessoaModule(const QString& Table = QStringLiteral("Pessoa"));
    QObject* ProvideDivision(QObject* Owner) override;
    bool OpenByDefault = true;

private:
    QString FTable;
};

// A freight screen whose NomePessoa (read-only) is looked up through IdPessoa in the people's screen, over a host
// with that module and user 7: one freight row with IdPessoa 2, "Bruno Souza". An open search combo is freed at the
// end.
class FreightLookupFixture : public DivisionFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    TParts Freight{};
    TPessoaModule Module;
};

}  // namespace databound::testing
