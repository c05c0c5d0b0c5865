#include "platform/data/FieldDefs.h"

namespace platform::data {

QStringList SplitFieldNames(const QString& Names) {
    QStringList Out;
    for (const QString& Name : Names.split(';')) {
        const QString T = Name.trimmed();
        if (!T.isEmpty()) Out << T;
    }
    return Out;
}

TFieldDef& TFieldDefs::Add(const QString& Name, TFieldType DataType, int Size, bool Required) {
    FItems.push_back(TFieldDef{Name, DataType, Size, 0, Required});
    return FItems.back();
}

int TFieldDefs::IndexOf(const QString& Name) const {
    for (size_t I = 0; I < FItems.size(); ++I)
        if (FItems[I].Name.compare(Name, Qt::CaseInsensitive) == 0) return static_cast<int>(I);
    return -1;
}

const TFieldDef* TFieldDefs::Find(const QString& Name) const {
    const int I = IndexOf(Name);
    return I < 0 ? nullptr : &FItems[I];
}

}  // namespace platform::data
