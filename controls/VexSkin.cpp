#include "controls/VexSkin.h"

#include <algorithm>
#include <cstring>

#include "controls/VexPaint.h"
#include "platform/os/Exceptions.h"
#include "platform/os/Text.h"

namespace controls {

using namespace platform::ui;

namespace {

// The image made Target pixels long along one axis (columns, or rows when
// Vertical): the lines from Keep on end at the new far edge and line Keep
// fills the gap. A shorter target keeps the far edge.
QImage Stretch(const QImage& Source, int Keep, int Target, bool Vertical) {
    const int Length = Vertical ? Source.height() : Source.width();
    if (Target == Length) return Source;
    QImage Result = Vertical ? NewBitmap(Source.width(), Target, Qt::black) : NewBitmap(Target, Source.height(), Qt::black);
    if (Result.isNull()) return Result;
    const int RowBytes = 3 * Source.width();
    auto CopyLine = [&](int From, int To) {
        if (To < 0 || To >= Target) return;
        if (Vertical) {
            std::memcpy(Result.scanLine(To), Source.constScanLine(From), RowBytes);
            return;
        }
        for (int Y = 0; Y < Source.height(); ++Y) std::memcpy(Result.scanLine(Y) + 3 * To, Source.constScanLine(Y) + 3 * From, 3);
    };
    const int TailStart = Target - (Length - Keep);
    for (int I = 0; I < std::min(Length, Target); ++I) CopyLine(I, I);
    for (int I = Keep; I < TailStart; ++I) CopyLine(Keep, I);
    for (int I = Keep; I < Length; ++I) CopyLine(I, TailStart + I - Keep);
    return Result;
}

// The state whose image stands in for an empty one; Attr itself when none does.
TDrawSkinAttr Fallback(const TButtonItem& Item, TDrawSkinAttr Attr) {
    switch (Attr) {
        case dsaChecked:
        case dsaHotDown:
            return dsaDown;
        case dsaDisabled:
        case dsaHot:
            return dsaUp;
        case dsaFocus:
            return IsEmptyBitmap(Item.Image(dsaHot)) ? dsaUp : dsaHot;
        default:
            return Attr;
    }
}

struct TPickedImage {
    QImage Image;
    const TSkinItem* Item = nullptr;
};

}  // namespace

void TImageRepeat::SetX(int Value) {
    if (Value == FX) return;
    FX = Value;
    if (FSkin) FSkin->NotifyControls();
}

void TImageRepeat::SetY(int Value) {
    if (Value == FY) return;
    FY = Value;
    if (FSkin) FSkin->NotifyControls();
}

void TImageRepeat::Assign(const TImageRepeat& Source) {
    FX = Source.FX;
    FY = Source.FY;
}

void TSkinItem::SetName(const QString& Value) {
    if (Value == FName) return;
    FName = Value;
    Changed();
}

void TSkinItem::SetTransparency(bool Value) {
    if (Value == FTransparency) return;
    FTransparency = Value;
    Changed();
}

void TSkinItem::AttachToSkin(TVexSkin* Skin) {
    FSkin = Skin;
    FImageRepeat.FSkin = Skin;
}

void TSkinItem::Changed() const {
    if (FSkin) FSkin->NotifyControls();
}

void TSkinItem::AssignCommon(const TSkinItem& Source) {
    SetName(Source.FName);
    FImageRepeat.Assign(Source.FImageRepeat);
    SetTransparency(Source.FTransparency);
}

QString TButtonItem::DisplayName() const { return Name().isEmpty() ? QStringLiteral("TButtonItem") : Name(); }

void TButtonItem::SetImage(TDrawSkinAttr State, const QImage& Value) {
    FImages[State] = Value.copy();
    Changed();
}

void TButtonItem::Assign(const TButtonItem& Source) {
    for (int State = 0; State < DrawSkinAttrCount; ++State)
        SetImage(static_cast<TDrawSkinAttr>(State), Source.FImages[State]);
    AssignCommon(Source);
}

QString TSingleItem::DisplayName() const { return Name().isEmpty() ? QStringLiteral("TSingleItem") : Name(); }

void TSingleItem::SetBitmap(const QImage& Value) {
    FBitmap = Value.copy();
    Changed();
}

void TSingleItem::Assign(const TSingleItem& Source) {
    SetBitmap(Source.FBitmap);
    AssignCommon(Source);
}

template <class TItem>
TItem* TSkinItems<TItem>::Items(int Index) const {
    if (Index < 0 || Index >= Count()) throw platform::os::EListError::IndexOutOfBounds(Index);
    return FItems[Index].get();
}

template <class TItem>
TItem* TSkinItems<TItem>::Add() {
    FItems.push_back(std::make_unique<TItem>(FSkin));
    Update();
    return FItems.back().get();
}

template <class TItem>
void TSkinItems<TItem>::Delete(int Index) {
    if (Index < 0 || Index >= Count()) throw platform::os::EListError::IndexOutOfBounds(Index);
    FItems.erase(FItems.begin() + Index);
    Update();
}

template <class TItem>
void TSkinItems<TItem>::Clear() {
    if (FItems.empty()) return;
    FItems.clear();
    Update();
}

template <class TItem>
TItem* TSkinItems<TItem>::FindItem(const QString& Name) const {
    const std::string Wanted = Name.toStdString();
    for (const auto& Item : FItems)
        if (platform::os::SameText(Item->Name().toStdString(), Wanted)) return Item.get();
    return nullptr;
}

template <class TItem>
void TSkinItems<TItem>::Assign(const TSkinItems& Source) {
    if (&Source == this) return;
    // Copied while detached, then told once as one update of the collection.
    std::vector<std::unique_ptr<TItem>> Copies;
    for (const auto& Item : Source.FItems) {
        auto Copy = std::make_unique<TItem>(nullptr);
        Copy->Assign(*Item);
        Copy->AttachToSkin(FSkin);
        Copies.push_back(std::move(Copy));
    }
    FItems = std::move(Copies);
    Update();
}

template <class TItem>
void TSkinItems<TItem>::Update() const {
    if (FSkin) FSkin->NotifyControls();
}

template class TSkinItems<TButtonItem>;
template class TSkinItems<TSingleItem>;

TVexSkin::TVexSkin(QObject* AOwner)
    : QObject(AOwner), FButtons(this), FSingles(this), FNotifier([this](QObject* Freed) {
          UnregisterControl(static_cast<QWidget*>(Freed));
      }) {}

TVexSkin::~TVexSkin() = default;

void TVexSkin::DrawSkin(TCanvas& Canvas, const QRect& Rect, TDrawSkinAttr Attr, TSkinItemKind Kind,
                        const QString& Name) const {
    TPickedImage Picked;
    if (Kind == sikButton) {
        if (const TButtonItem* Item = FButtons.FindItem(Name)) {
            Picked.Item = Item;
            Picked.Image = Item->Image(Attr);
            if (IsEmptyBitmap(Picked.Image)) Picked.Image = Item->Image(Fallback(*Item, Attr));
        }
    } else if (Kind == sikSingle) {
        if (const TSingleItem* Item = FSingles.FindItem(Name)) {
            Picked.Item = Item;
            Picked.Image = Item->Bitmap();
        }
    }
    if (!Picked.Item || IsEmptyBitmap(Picked.Image)) return;

    QImage Work = ToBitmap24(Picked.Image);
    const TImageRepeat& Repeat = Picked.Item->ImageRepeat();
    if (Repeat.X() >= 0 && Repeat.X() < Work.width()) Work = Stretch(Work, Repeat.X(), Rect.width(), false);
    if (Repeat.Y() >= 0 && Repeat.Y() < Work.height() && !Work.isNull()) Work = Stretch(Work, Repeat.Y(), Rect.height(), true);
    if (IsEmptyBitmap(Work)) return;

    const QRect Dest(0, 0, Work.width(), Work.height());
    if (Picked.Item->Transparency()) {
        Canvas.Brush().Style = TBrushStyle::bsClear;
        Canvas.KeyColorDraw(Dest, Work);
    } else {
        Canvas.CopyRect(Dest, Work, Work.rect());
    }
}

void TVexSkin::RegisterControl(QWidget* Control) {
    if (!Control || IsRegistered(Control)) return;
    FLinked.emplace_back(Control);
    FNotifier.Add(Control);
}

void TVexSkin::UnregisterControl(QWidget* Control) {
    const auto Found = std::find_if(FLinked.begin(), FLinked.end(),
                                    [Control](const QPointer<QWidget>& Entry) { return Entry.data() == Control; });
    FNotifier.Remove(Control);
    if (Found != FLinked.end()) FLinked.erase(Found);
}

bool TVexSkin::IsRegistered(const QWidget* Control) const {
    return std::any_of(FLinked.begin(), FLinked.end(),
                       [Control](const QPointer<QWidget>& Entry) { return Entry.data() == Control; });
}

int TVexSkin::LinkedControlCount() const { return static_cast<int>(FLinked.size()); }

void TVexSkin::NotifyControls() {
    FLinked.erase(std::remove_if(FLinked.begin(), FLinked.end(), [](const QPointer<QWidget>& C) { return C.isNull(); }),
                  FLinked.end());
    const std::vector<QPointer<QWidget>> Controls = FLinked;  // a repaint may change the list
    for (const QPointer<QWidget>& Control : Controls)
        if (Control) Control->repaint();
}

TSkinLink::TSkinLink(QWidget* Control)
    : FControl(Control), FNotifier([this](QObject*) {
          FSkin = nullptr;
          FControl->repaint();
      }) {}

TSkinLink::~TSkinLink() {
    if (FSkin) FSkin->UnregisterControl(FControl);
}

void TSkinLink::SetSkin(TVexSkin* Value) {
    if (Value == FSkin) return;
    if (FSkin) {
        FSkin->UnregisterControl(FControl);
        FNotifier.Remove(FSkin);
    }
    FSkin = Value;
    if (FSkin) {
        FSkin->RegisterControl(FControl);
        FNotifier.Add(FSkin);
    }
}

namespace {

std::unique_ptr<TVexSkin>& DefaultSkinHolder() {
    static std::unique_ptr<TVexSkin> Holder;
    return Holder;
}

void LoadStates(TButtonItem& Item, const QString& Prefix, std::initializer_list<std::pair<TDrawSkinAttr, const char*>> States) {
    for (const auto& [State, Suffix] : States) {
        QImage Image;
        LoadSkinBitmap(Image, Prefix + QLatin1String(Suffix));
        Item.SetImage(State, Image);
    }
}

void AddToggleItem(TVexSkin& Skin, const QString& Name, const QString& Prefix) {
    TButtonItem* Item = Skin.Buttons().Add();
    Item->SetName(Name);
    Item->SetTransparency(true);
    LoadStates(*Item, Prefix,
               {{dsaDisabled, "Disabled"}, {dsaDown, "Down"}, {dsaHot, "Hot"}, {dsaHotDown, "HotDown"}, {dsaUp, "Up"}});
}

std::unique_ptr<TVexSkin> MakeDefaultSkin() {
    auto Skin = std::make_unique<TVexSkin>();
    TButtonItem* Button = Skin->Buttons().Add();
    Button->SetName(QStringLiteral("button"));
    Button->ImageRepeat().SetX(4);
    Button->ImageRepeat().SetY(10);
    Button->SetTransparency(true);
    LoadStates(*Button, QStringLiteral("Skin_Button_"),
               {{dsaChecked, "Checked"}, {dsaDisabled, "Disabled"}, {dsaDown, "Down"}, {dsaFocus, "Focus"},
                {dsaHot, "Hot"}, {dsaHotDown, "HotDown"}, {dsaUp, "Up"}});
    AddToggleItem(*Skin, QStringLiteral("check"), QStringLiteral("Skin_Check_"));
    AddToggleItem(*Skin, QStringLiteral("radio"), QStringLiteral("Skin_Radio_"));
    return Skin;
}

}  // namespace

TVexSkin* DefaultSkin() {
    InitDefaultSkin();
    return DefaultSkinHolder().get();
}

void InitDefaultSkin() {
    if (!DefaultSkinHolder()) DefaultSkinHolder() = MakeDefaultSkin();
}

void FreeDefaultSkin() { DefaultSkinHolder().reset(); }

}  // namespace controls
