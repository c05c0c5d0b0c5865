#include "databound/ConditionParameters.h"

#include "databound/DataSetParametros.h"
#include "databound/FiltroDivisao.h"
#include "platform/data/ADODB.h"
#include "platform/data/Field.h"

namespace databound {

namespace {

const TParametroMaster* FindMasterParam(const QList<TParametroMaster>& List, const QString& Name) {
    for (const TParametroMaster& P : List)
        if (P.Nome.compare(Name, Qt::CaseInsensitive) == 0) return &P;
    return nullptr;
}

void Bind(platform::data::TParameter& Param, platform::data::TFieldType DataType, const QVariant& Value) {
    Param.SetDataType(DataType);
    Param.SetValue(Value);
}

void BindFilter(platform::data::TParameters& Params, const TFiltroDivisao& Filtro) {
    const platform::data::TFieldType DataType = Filtro.Field()->DataType();
    for (int I = 0; I < Filtro.Values().Count(); ++I) {
        const TFiltroValue* V = Filtro.Values().Items(I);
        if (!V->Active() || V->Operator() == foIsNull) continue;
        QVariant Value = V->ReadValue(1);
        if (V->Operator() == foLike) Value = "%" + Value.toString() + "%";
        Bind(Params.ParamByName(V->Name()), DataType, Value);
        if (V->Operator() == foBetween) Bind(Params.ParamByName(V->Name2()), DataType, V->ReadValue(2));
    }
}

}  // namespace

void AddMasterParams(QList<TParametroMaster>& List, const platform::data::TParameters& Params) {
    for (int I = 0; I < Params.Count(); ++I) {
        const platform::data::TParameter& P = Params[I];
        if (!FindMasterParam(List, P.Name())) List.append({P.Name(), P.DataType(), P.Value()});
    }
}

void BindMasterParams(platform::data::TParameters& Params, const QList<TParametroMaster>& MasterParams) {
    for (int I = 0; I < Params.Count(); ++I)
        if (const TParametroMaster* M = FindMasterParam(MasterParams, Params[I].Name()))
            Bind(Params[I], M->DataType, M->Valor);
}

void BindConditionParameters(platform::data::TParameters& Params, const QList<TParametroMaster>& MasterParams,
                             const TDataSetParametros& Parametros, const TFiltrosDivisao& Filtros) {
    for (int I = 0; I < Params.Count(); ++I) {
        platform::data::TParameter& P = Params[I];
        if (const TParametroMaster* M = FindMasterParam(MasterParams, P.Name())) {
            Bind(P, M->DataType, M->Valor);
        } else if (const TDataSetParametro* Item = Parametros.FindByParamName(P.Name(), true);
                   Item && Item->Field()) {
            Bind(P, Item->Field()->DataType(), Item->Valor());
        }
    }
    for (int I = 0; I < Filtros.Count(); ++I) {
        const TFiltroDivisao* F = Filtros.Items(I);
        if (F->Active() && F->Field()) BindFilter(Params, *F);
    }
}

}  // namespace databound
