#include "dataaccess/VexCampo.h"

namespace dataaccess {

QString AggregateText(TFuncaoAgregada Value) {
    static const char* const kTexts[] = {"", "Sum", "Count", "Avg", "Min", "Max"};
    return kTexts[Value];
}

QString OperatorText(TOperadorFiltro Value) {
    static const char* const kTexts[] = {"=", "!=", ">", "<", ">=", "<=", "Like", "Not Like", "Is Null", "Is Not Null"};
    return kTexts[Value];
}

}  // namespace dataaccess
