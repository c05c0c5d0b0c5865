#include "platform/data/IndexDefs.h"

namespace platform::data {

TIndexDef& TIndexDefs::Add(const QString& Name, const QString& Fields, TIndexOptions Options) {
    if (IndexOf(Name) >= 0) DatabaseError(QString("Duplicate name '%1' in index definitions").arg(Name));
    TIndexDef Def;
    Def.Name = Name;
    Def.Fields = Fields;
    Def.Options = Options;
    FItems.push_back(Def);
    return FItems.back();
}

int TIndexDefs::IndexOf(const QString& Name) const {
    for (size_t I = 0; I < FItems.size(); ++I)
        if (FItems[I].Name.compare(Name, Qt::CaseInsensitive) == 0) return static_cast<int>(I);
    return -1;
}

const TIndexDef* TIndexDefs::Find(const QString& Name) const {
    const int I = IndexOf(Name);
    return I < 0 ? nullptr : &FItems[I];
}

}  // namespace platform::data
