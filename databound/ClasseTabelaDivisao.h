#pragma once
// The table object of a division that names no registered table class, used
// for its searches: the division's main table, its caption, and one column per
// dataset field with the key and reference flags of the field's configuration.
// It lets go of the division when the division is freed (no columns then).
#include <QPointer>

#include "dataaccess/VexClasse.h"

namespace databound {

class TVexDBDivisao;

class TClasseTabelaDivisao : public dataaccess::TClasseTabela {
    Q_OBJECT
public:
    TClasseTabelaDivisao(TVexDBDivisao* Division, QObject* AOwner = nullptr);
    TVexDBDivisao* Division() const { return FDivision; }
    void GetTableName(QString& Name) override;
    void GetCaption(QString& Caption) override;

protected:
    void DefineFields() override;

private:
    QPointer<TVexDBDivisao> FDivision;
};

// Creates the table object of the division and finishes its construction.
TClasseTabelaDivisao* CreateClasseTabelaDivisao(TVexDBDivisao& Division, QObject* Owner = nullptr);

}  // namespace databound
