#pragma once
// One division of a screen with everything it governs: the query, provider,
// client dataset and data source named after it, the table class bound to
// its dataset, and a grid. The frame owns them all (the division names its
// owner after itself, so every division has a frame of its own). Columns
// that come from a join are read-only and never written back. The dataset's
// fields are named "fld<Column>", as data labels expect. The division reads the
// widths of the grid's columns from its screen's settings when the screen is
// built and keeps them there when it goes.
#include <QString>
#include <QWidget>
#include <functional>
#include <utility>
#include <vector>

#include "platform/data/DataTypes.h"

namespace dataaccess {
class TClasseTabela;
class TVexDBIni;
}  // namespace dataaccess
namespace platform::data {
class TADOQuery;
class TClientDataSet;
class TDataSetProvider;
class TDataSource;
class TField;
}  // namespace platform::data

namespace databound {
class TVexDBDivisao;
class TVexDBGrid;
}  // namespace databound

namespace navitrex {

struct TColuna {
    TColuna(QString ANome, platform::data::TFieldType ATipo, int ATamanho, QString AOrigem, QString ATitulo = {},
            bool AGravavel = true, bool AChave = false)
        : Nome(std::move(ANome)), Tipo(ATipo), Tamanho(ATamanho), Origem(std::move(AOrigem)),
          Titulo(std::move(ATitulo)), Gravavel(AGravavel), Chave(AChave) {}

    QString Nome;
    platform::data::TFieldType Tipo;
    int Tamanho;
    QString Origem;  // the SQL expression behind the column, "c.Nome"
    QString Titulo;  // empty: not shown in the grid
    bool Gravavel;   // false for a column of a joined table
    bool Chave;
};

struct TDefinicaoDivisao {
    QString Nome;     // base name of the components
    QString Caption;
    QString Tabela;   // the table written back
    QString Sql;      // the base command
    std::vector<TColuna> Colunas;
    QString Ordem;    // the client dataset's order, "Nome"
};

class TFrameDivisao : public QWidget {
    Q_OBJECT
public:
    // The frame takes the table class over; call Loaded once filters and the master relation are set.
    TFrameDivisao(const TDefinicaoDivisao& Definicao, dataaccess::TClasseTabela* Tabela, QWidget* Parent = nullptr);
    ~TFrameDivisao() override;

    void Loaded();
    platform::data::TField* Field(const QString& Nome) const;
    // Tells OnGravado; the frame does so itself after each row written, unless its table applies manually.
    void Gravado();

    // After rows of the division's table were written or deleted on the server.
    std::function<void(TFrameDivisao* Sender)> OnGravado;

    platform::data::TADOQuery* Query;
    platform::data::TDataSetProvider* Provider;
    platform::data::TClientDataSet* Client;
    platform::data::TDataSource* Source;
    databound::TVexDBDivisao* Divisao;
    dataaccess::TClasseTabela* Tabela;
    databound::TVexDBGrid* Grid;

private:
    void LerLarguras(const dataaccess::TVexDBIni& Ini);
    void GuardarLarguras(dataaccess::TVexDBIni& Ini) const;
};

}  // namespace navitrex
