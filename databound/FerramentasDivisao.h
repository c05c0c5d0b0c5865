#pragma once
// The tool frames a division offers beside its own frame: for each, the
// registered class of the frame, its caption, hint and image. The application
// shows them where it wants; CreateFrame builds one from its class name, and
// a class that is not registered gives no frame.
#include <QString>

#include "dataaccess/OwnedList.h"

namespace databound {

class TFerramentaDivisao : public platform::ui::TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;

    QString FrameClass() const { return FFrameClass; }
    void SetFrameClass(const QString& Value) { FFrameClass = Value; }
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& Value) { FCaption = Value; }
    QString Hint() const { return FHint; }
    void SetHint(const QString& Value) { FHint = Value; }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value) { FImageIndex = Value; }
    // The trimmed caption.
    QString DisplayName() const { return FCaption.trimmed(); }
    void Assign(const platform::ui::TCollectionItem& Source) override;

    // A new frame of FrameClass owned by Owner; nullptr when no class of that name is registered.
    QObject* CreateFrame(QObject* Owner) const;

private:
    QString FFrameClass, FCaption, FHint;
    int FImageIndex = -1;
};

using TFerramentasDivisao = dataaccess::TOwnedList<TFerramentaDivisao>;

}  // namespace databound
