#pragma once
// What the field configuration of a division plugs into its dataset hooks:
// default values of a new record, the checks and defaults before a post, the
// key of the current record, the search target of join fields, and the companion-table writes around each
// provider update. A division without rules does none of these, and takes its
// key from the fields flagged as key for the provider.
#include <QStringList>

#include "databound/ConditionOwner.h"
#include "platform/data/DataTypes.h"

namespace platform::data {
class TClientDataSet;
class TDataSet;
class TField;
}  // namespace platform::data

namespace databound {

class TDivisionRules {
public:
    virtual ~TDivisionRules() = default;
    virtual void NewRecord(platform::data::TDataSet& DataSet) { (void)DataSet; }
    // May abort the post (a required field is missing).
    virtual void BeforePost(platform::data::TDataSet& DataSet) { (void)DataSet; }
    // Companion-table writes of one provider update: before it (may set Applied) and after it.
    virtual void BeforeUpdate(platform::data::TClientDataSet& Delta, platform::data::TUpdateKind Kind, bool& Applied) {
        (void)Delta, (void)Kind, (void)Applied;
    }
    virtual void AfterUpdate(platform::data::TClientDataSet& Delta, platform::data::TUpdateKind Kind) {
        (void)Delta, (void)Kind;
    }
    // The table and key a join field searches; empty for a plain field.
    virtual TSearchTarget SearchTarget(const platform::data::TField& Field) const {
        (void)Field;
        return {};
    }
    // The names of the key fields; empty leaves the choice to the division.
    virtual QStringList KeyFields() const { return {}; }
};

}  // namespace databound
