#pragma once
// The column model of the table classes: one TCampoTabela per declared column,
// the aggregate a column may be read with, the operators of load conditions,
// and a pending write of a binary column.
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/data/DataTypes.h"
#include "platform/os/Streams.h"

namespace dataaccess {

enum TFuncaoAgregada : uint8_t { faNenhuma, faSum, faCount, faAvg, faMin, faMax };
// "" for faNenhuma, else "Sum", "Count", "Avg", "Min", "Max".
QString AggregateText(TFuncaoAgregada Value);

enum TOperadorFiltro : uint8_t {
    ofIgual, ofDiferente, ofMaior, ofMenor, ofMaiorIgual, ofMenorIgual, ofLike, ofNotLike, ofIsNull, ofIsNotNull
};
using TOperadores = std::vector<TOperadorFiltro>;
// "=", "!=", ">", "<", ">=", "<=", "Like", "Not Like", "Is Null", "Is Not Null".
QString OperatorText(TOperadorFiltro Value);

// One column of a table class; Indice is what the by-index accessors look for, not the position.
struct TCampoTabela {
    int Indice = 0;
    TFuncaoAgregada Agregacao = faNenhuma;
    QString Nome;
    bool Chave = false;
    bool Referencia = false;
    platform::data::TFieldType TipoDado = platform::data::ftUnknown;
    int Tamanho = 0;
    int Precisao = 0;
};

// A binary column to write after the next post; the entry owns the stream.
struct TBlobUpdate {
    QString FieldName;
    std::unique_ptr<platform::os::TStream> Stream;
};

}  // namespace dataaccess
