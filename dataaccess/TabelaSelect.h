#pragma once
// The Select a table class runs to load its rows: the select list from the
// declared columns and the wanted ones, the conditions as parameter markers
// (positional "?" or named ":Name"), an optional row limit and order. Values
// never enter the text; they travel as parameters in marker order.
#include <QString>
#include <QStringList>
#include <vector>

#include "dataaccess/VexCampo.h"

namespace dataaccess {

struct TSelectRequest {
    QString TableName;
    QStringList Fields;     // empty: every declared column
    QStringList KeyFields;  // one condition each
    TOperadores Operators;  // empty: "=" for every condition
    QString Where;          // put first in the Where clause
    QStringList OrderBy;
    int Top = 0;            // 0 or less: no limit
    bool Named = false;
};

// The select list: every declared column (only the keys when Fields is given,
// aggregates as "Sum(X) as X"), then the names of Fields; a name already in the
// list, ignoring case, is not added again.
QStringList SelectList(const std::vector<TCampoTabela>& Campos, const QStringList& Fields);
// The statement; empty when the select list is.
QString SelectText(const std::vector<TCampoTabela>& Campos, const TSelectRequest& Request);

}  // namespace dataaccess
