#pragma once
// The companion tables of a division, written around each
// row the provider applies: an upsert (If Exists ... Update ... Else Insert) per
// companion of an inserted or modified row, a Delete per companion of a deleted
// one. Values travel as parameters named "<kind>_<table>_<field>". SQL Server
// receives the statements as one batch; SQLite and PostgreSQL run the
// "Especializacao" named operation statement by statement. Everything runs on
// the division's connection, inside the provider's transaction, so it commits
// and rolls back with the main row. Database errors reach the provider.
#include <QString>
#include <vector>

#include "databound/CamposDivisao.h"
#include "platform/data/DataTypes.h"

namespace platform::data {
class TADOConnection;
class TDataSet;
class TParameters;
}  // namespace platform::data

namespace databound {

class TVexDBDivisao;

inline constexpr const char* kEspecializacaoOperation = "Especializacao";
// %0:s table, %1:s set list, %2:s columns, %3:s values, %4:s insert check, %5:s update condition.
extern const char* const kUpsertTemplate;
// Table and condition.
extern const char* const kDeleteTemplate;

// One statement of the batch: an upsert, or a Delete (which uses Tabela and UpdateCondition only).
struct TCompanionStatement {
    bool Delete = false;
    QString Tabela, SetList, Columns, Values, InsertCheck, UpdateCondition;
};

// The statement as SQL Server receives it.
QString CompanionStatementText(const TCompanionStatement& Statement);

// The statements the companions write for the current row of Delta at this moment; their parameters are added to
// Params (a key registered twice keeps its first value).
std::vector<TCompanionStatement> BuildCompanionStatements(const TEspecializacao& Especializacao,
                                                          platform::data::TDataSet& Delta,
                                                          platform::data::TUpdateKind Kind, bool Before,
                                                          platform::data::TParameters& Params);

// Runs the statements as one command; nothing when there are none.
void RunCompanionStatements(platform::data::TADOConnection& Connection,
                            const std::vector<TCompanionStatement>& Statements,
                            const platform::data::TParameters& Params);

// The writer the provider hooks call before (Before true) and after each row. Applied starts as the division's
// SuspendSpecializationUpdates; before a modified row it becomes true when no column the provider updates changed.
void WriteSpecializations(const TVexDBDivisao& Division, bool Before, bool& Applied,
                          platform::data::TUpdateKind Kind, platform::data::TDataSet& Delta);

}  // namespace databound
