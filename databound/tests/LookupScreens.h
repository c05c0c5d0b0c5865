#pragma once
// The module of a people's screen for the search combo's tests and benchmark:
// it hands out a division with a grid per lookup.
#include <QObject>
#include <QString>
#include <QStringList>
#include <utility>

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
// with that module and user 7. The people are numbered from 1, active, in Santos with code "C<id>"; the one freight
// row refers to the second. An open search combo is freed at the end.
class FreightLookupFixture : public DivisionFixture {
protected:
    explicit FreightLookupFixture(QStringList People = {"Ana Silva", "Bruno Souza"}) : FPeople(std::move(People)) {}
    void SetUp() override;
    void TearDown() override;

    TParts Freight{};
    TPessoaModule Module;

private:
    QStringList FPeople;
};

}  // namespace databound::testing
