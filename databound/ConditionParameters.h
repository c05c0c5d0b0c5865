#pragma once
// Gives the parameters of a division's command their values and data types
// once the command text is set: parameters copied from the master's command,
// the named parameter items, and the values of the active filters (read through
// the value rules, Like values wrapped in percent signs). A filter value whose
// parameter is missing from the command raises the parameter-not-found error.
#include <QList>
#include <QString>
#include <QVariant>

#include "platform/data/DataTypes.h"

namespace platform::data {
class TParameters;
}

namespace databound {

class TDataSetParametros;
class TFiltrosDivisao;

// A parameter of a master's command, copied into its details' commands.
struct TParametroMaster {
    QString Nome;
    platform::data::TFieldType DataType = platform::data::ftUnknown;
    QVariant Valor;
};

// Adds the parameters not yet in the list (by name, ignoring case).
void AddMasterParams(QList<TParametroMaster>& List, const platform::data::TParameters& Params);

// Gives each parameter of the list's names its data type and value.
void BindMasterParams(platform::data::TParameters& Params, const QList<TParametroMaster>& MasterParams);

void BindConditionParameters(platform::data::TParameters& Params, const QList<TParametroMaster>& MasterParams,
                             const TDataSetParametros& Parametros, const TFiltrosDivisao& Filtros);

}  // namespace databound
