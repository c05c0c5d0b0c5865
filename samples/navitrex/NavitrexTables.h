#pragma once
// The application's table classes. Every one takes its key from the key
// counter on a new row; a lookup row needs its name; the bill is numbered "[Numero]/[YY]" by the numbering
// service, starts open, dated by the server and owned by the user who made it;
// its items are numbered 1, 2, 3 within the bill. Required fields and the
// equipment rules are the screens' field rules.
#include <functional>
#include <vector>

#include "dataaccess/VexClasse.h"

namespace navitrex {

// Keys from the counter of the table's key column.
class TTabelaNavitrex : public dataaccess::TClasseTabela {
    Q_OBJECT
public:
    using TClasseTabela::TClasseTabela;
    // Codes of the lookup tables are the customer's own: only the bill numbers itself.
    bool GetNumberedFieldCaption(const QString& Name, QString& Caption) override;

protected:
    void DoNewRecord() override;
};

// A lookup table (customers, vessels, ports, equipment): its name, caption and columns are given.
class TTabelaCadastro : public TTabelaNavitrex {
    Q_OBJECT
public:
    TTabelaCadastro(QString Tabela, QString Caption, std::vector<dataaccess::TCampoTabela> Campos,
                    QObject* AOwner = nullptr);
    void GetTableName(QString& Name) override { Name = FTabela; }
    void GetCaption(QString& Caption) override { Caption = FCaption; }

protected:
    void DefineFields() override { AddFields(FCampos); }

private:
    QString FTabela, FCaption;
    std::vector<dataaccess::TCampoTabela> FCampos;
};

class TConhecimento : public TTabelaNavitrex {
    Q_OBJECT
public:
    using TTabelaNavitrex::TTabelaNavitrex;
    void GetTableName(QString& Name) override;
    void GetCaption(QString& Caption) override;
    void GetOperationDescription(QString& Text) override;
    bool GetNumberedFieldCaption(const QString& Name, QString& Caption) override;

protected:
    void DefineFields() override;
    void DoNewRecord() override;
};

class TConhecimentoItem : public TTabelaNavitrex {
    Q_OBJECT
public:
    using TTabelaNavitrex::TTabelaNavitrex;
    void GetTableName(QString& Name) override;
    void GetCaption(QString& Caption) override;

    // The bill the new item belongs to; set by the screen from its master row.
    std::function<QVariant()> Conhecimento;

protected:
    void DefineFields() override;
    void DoNewRecord() override;
};

}  // namespace navitrex
