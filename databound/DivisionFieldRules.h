#pragma once
// The record rules a division's field configuration implies, plugged into its
// dataset and provider hooks: default values of new records and of modified
// ones, the check of required fields (every missing field named in one batch of
// warnings, then a silent abort of the post), the companion-table writes around
// each provider row, the key fields and the search target of join fields.
// Database errors of a default reach the caller; nothing is written after one.
#include <QString>
#include <QStringList>

#include "databound/DivisionRules.h"

namespace platform::data {
class TField;
class TParameters;
}  // namespace platform::data

namespace databound {

class TVexDBDivisao;

inline constexpr const char* kRequiredFieldWarning = "É preciso preencher o campo '%1' antes de gravar o registro.";

class TDivisionFieldRules : public TDivisionRules {
public:
    explicit TDivisionFieldRules(TVexDBDivisao& Division) : FDivision(Division) {}

    void NewRecord(platform::data::TDataSet& DataSet) override;
    void BeforePost(platform::data::TDataSet& DataSet) override;
    void BeforeUpdate(platform::data::TClientDataSet& Delta, platform::data::TUpdateKind Kind, bool& Applied) override;
    void AfterUpdate(platform::data::TClientDataSet& Delta, platform::data::TUpdateKind Kind) override;
    TSearchTarget SearchTarget(const platform::data::TField& Field) const override;
    QStringList KeyFields() const override;

    // The defaults of the new-record pass (NewRecord true) or the modification pass; none while suspended.
    void ApplyDefaults(bool NewRecord);
    // Names every missing required field in one batch of warnings and aborts silently when one is missing.
    void CheckRequired();

private:
    // The condition restricting an increment to the master's current row, with its values in Params.
    QString MasterIncrementCondition(platform::data::TParameters& Params) const;
    // Warns about the fields the user sees in place of Missing; false when none was named.
    bool WarnThroughJoinFields(const platform::data::TField& Missing, QList<const platform::data::TField*>& Seen);

    TVexDBDivisao& FDivision;
};

}  // namespace databound
