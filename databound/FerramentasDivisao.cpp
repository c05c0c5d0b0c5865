#include "databound/FerramentasDivisao.h"

namespace databound {

void TFerramentaDivisao::Assign(const platform::ui::TCollectionItem& Source) {
    const auto* Other = dynamic_cast<const TFerramentaDivisao*>(&Source);
    if (!Other) return;
    FFrameClass = Other->FFrameClass;
    FCaption = Other->FCaption;
    FHint = Other->FHint;
    FImageIndex = Other->FImageIndex;
}

QObject* TFerramentaDivisao::CreateFrame(QObject* Owner) const {
    const platform::ui::TComponentFactory Factory = platform::ui::GetClass(FFrameClass);
    return Factory ? Factory(Owner) : nullptr;
}

}  // namespace databound
