#pragma once
// The rules of search fields (fields that refer to a row of another table):
// the condition that restricts the rows a search may pick, the search through
// the host's window that stores the chosen key, and the filling of the join
// and lookup fields when the key changes. Values pasted into condition text are
// literals: quotes doubled, numbers with a decimal point, dates in ISO form.
// Database errors of a lookup reach the caller.
#include <QString>
#include <QVariant>

namespace platform::data {
class TField;
}

namespace databound {

class TConfigCampo;
class TVexDBDivisao;

// A value as a T-SQL literal: Null, 0/1 for Booleans, numbers in the C locale, text and dates between quotes;
// empty for Unassigned.
QString ConditionLiteral(const QVariant& Value);

// "(<column> = <master value>) and (<Where with its :Name tokens replaced>)", either part alone, or empty.
QString MasterFilterCondition(const TVexDBDivisao& Division, const TConfigCampo& Config);

// The item configuring Field (or the search item of a join field) asks the host for a search; the chosen key is
// written to its field. False when it is no search field or nothing was chosen.
bool SearchByKey(const TVexDBDivisao& Division, platform::data::TField& Field);

// After the search field Field changed: its join fields and lookup lines get the referenced row's columns, or are
// cleared when Field is empty.
void FillLookups(const TVexDBDivisao& Division, platform::data::TField& Field);

}  // namespace databound
