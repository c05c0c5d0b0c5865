#include <QTest>
#include <gtest/gtest.h>

#include "controls/VexPaint.h"
#include "controls/VexSkin.h"
#include "platform/ui/Resources.h"

using namespace controls;
using platform::ui::NewBitmap;

namespace {

const QColor Background(0, 128, 0);
const QColor Magenta(255, 0, 255);

QImage Paint(const TVexSkin& Skin, int W, int H, TDrawSkinAttr Attr, TSkinItemKind Kind, const QString& Name) {
    QImage Image(W, H, QImage::Format_RGB32);
    Image.fill(Background);
    TCanvas C(&Image);
    Skin.DrawSkin(C, QRect(0, 0, W, H), Attr, Kind, Name);
    return Image;
}

// What a pixel of the image becomes when drawn with the key colour left out.
QColor Expected(const QImage& Image, int X, int Y) {
    const QColor C = Image.pixelColor(X, Y);
    return C == Magenta ? Background : C;
}

bool Untouched(const QImage& Image) {
    for (int Y = 0; Y < Image.height(); ++Y)
        for (int X = 0; X < Image.width(); ++X)
            if (Image.pixelColor(X, Y) != Background) return false;
    return true;
}

QImage Solid(QColor Color, int W = 4, int H = 4) { return NewBitmap(W, H, Color); }

// Counts its repaints, and where they fall among all of them.
class TPaintCounter : public platform::ui::TCustomControl {
public:
    TPaintCounter(QWidget* Parent, QList<TPaintCounter*>* Log) : TCustomControl(Parent), FLog(Log) {}
    int Paints = 0;

protected:
    void Paint() override {
        ++Paints;
        if (FLog) FLog->append(this);
    }

private:
    QList<TPaintCounter*>* FLog;
};

struct TLinkedSkin {
    QWidget Host;
    TVexSkin Skin;
    QList<TPaintCounter*> Order;
    QList<TPaintCounter*> Controls;
    TButtonItem* Item;

    TLinkedSkin() {
        Host.resize(100, 100);
        for (int I = 0; I < 3; ++I) {
            auto* Control = new TPaintCounter(&Host, &Order);
            Control->setGeometry(I * 20, 0, 10, 10);
            Controls.append(Control);
        }
        Host.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&Host));
        Item = Skin.Buttons().Add();
        Item->SetName("std");
        Item->ImageRepeat().SetX(4);
        for (TPaintCounter* Control : Controls) Skin.RegisterControl(Control);
        Reset();
    }
    void Reset() {
        Order.clear();
        for (TPaintCounter* Control : Controls) Control->Paints = 0;
    }
    QList<int> Paints() const {
        QList<int> Result;
        for (TPaintCounter* Control : Controls) Result.append(Control->Paints);
        return Result;
    }
};

}  // namespace

TEST(BuiltInImages, SizesFormatAndMagentaCorners) {
    const std::vector<std::pair<const char*, QSize>> Images = {
        {"Skin_Button_Checked", {9, 23}}, {"Skin_Button_Disabled", {9, 23}}, {"Skin_Button_Down", {9, 23}},
        {"Skin_Button_Focus", {9, 23}},   {"Skin_Button_Hot", {9, 23}},      {"Skin_Button_HotDown", {9, 23}},
        {"Skin_Button_Up", {9, 23}},      {"Skin_Check_Disabled", {15, 15}}, {"Skin_Check_Down", {16, 16}},
        {"Skin_Check_Hot", {16, 16}},     {"Skin_Check_HotDown", {16, 16}},  {"Skin_Check_Up", {16, 16}},
        {"Skin_Radio_Disabled", {15, 15}}, {"Skin_Radio_Down", {16, 16}},    {"Skin_Radio_Hot", {16, 16}},
        {"Skin_Radio_HotDown", {16, 16}}, {"Skin_Radio_Up", {16, 16}}};
    for (const auto& [Name, Size] : Images) {
        const QByteArray Data = platform::ui::LoadResourceData(Name);
        ASSERT_TRUE(Data.startsWith("BM")) << Name;
        EXPECT_EQ(static_cast<uint8_t>(Data[28]), 24) << Name << " is 24-bit";
        EXPECT_EQ(static_cast<uint8_t>(Data[30]), 0) << Name << " is uncompressed";
        QImage Image;
        LoadSkinBitmap(Image, Name);
        EXPECT_EQ(Image.size(), Size) << Name;
        const int R = Image.width() - 1, B = Image.height() - 1;
        for (QPoint Corner : {QPoint(0, 0), QPoint(R, 0), QPoint(0, B), QPoint(R, B)})
            EXPECT_EQ(Image.pixelColor(Corner), Magenta) << Name;
    }
    QImage Up, Checked, Down;
    LoadSkinBitmap(Up, "Skin_Button_Up");
    LoadSkinBitmap(Checked, "Skin_Button_Checked");
    LoadSkinBitmap(Down, "Skin_Button_Down");
    EXPECT_EQ(Checked, Down) << "Down and Checked are one picture";
    EXPECT_EQ(Up.pixelColor(4, 0), QColor(0x00, 0x3C, 0x74)) << "dark blue frame";
}

TEST(DefaultSkin, HoldsButtonCheckAndRadio) {
    TVexSkin* Skin = DefaultSkin();
    ASSERT_NE(Skin, nullptr);
    EXPECT_EQ(DefaultSkin(), Skin) << "one skin for the process";
    ASSERT_EQ(Skin->Buttons().Count(), 3);
    EXPECT_EQ(Skin->Buttons().Items(0)->Name(), "button");
    EXPECT_EQ(Skin->Buttons().Items(1)->Name(), "check");
    EXPECT_EQ(Skin->Buttons().Items(2)->Name(), "radio");
    const TButtonItem* Button = Skin->Buttons().Items(0);
    EXPECT_EQ(Button->ImageRepeat().X(), 4);
    EXPECT_EQ(Button->ImageRepeat().Y(), 10);
    EXPECT_TRUE(Button->Transparency());
    for (int State = 0; State < DrawSkinAttrCount; ++State)
        EXPECT_FALSE(Button->Image(static_cast<TDrawSkinAttr>(State)).isNull()) << State;
    for (int I : {1, 2}) {
        const TButtonItem* Toggle = Skin->Buttons().Items(I);
        EXPECT_EQ(Toggle->ImageRepeat().X(), -1);
        EXPECT_TRUE(Toggle->Transparency());
        EXPECT_TRUE(Toggle->Image(dsaChecked).isNull());
        EXPECT_TRUE(Toggle->Image(dsaFocus).isNull());
        EXPECT_FALSE(Toggle->Image(dsaDisabled).isNull());
    }
    EXPECT_EQ(Skin->Singles().Count(), 0);
}

TEST(DrawSkin, NaturalSizeDrawsTheImageWithTheKeyTransparent) {
    const QImage& Up = DefaultSkin()->Buttons().FindItem("button")->Image(dsaUp);
    const QImage Image = Paint(*DefaultSkin(), 9, 23, dsaUp, sikButton, "button");
    for (int Y = 0; Y < 23; ++Y)
        for (int X = 0; X < 9; ++X) ASSERT_EQ(Image.pixelColor(X, Y), Expected(Up, X, Y)) << X << "," << Y;
    EXPECT_EQ(Image.pixelColor(0, 0), Background);
}

TEST(DrawSkin, WideningRepeatsColumnFour) {
    const QImage& Up = DefaultSkin()->Buttons().FindItem("button")->Image(dsaUp);
    const QImage Image = Paint(*DefaultSkin(), 90, 23, dsaUp, sikButton, "button");
    for (int Y = 0; Y < 23; ++Y)
        for (int X = 0; X < 90; ++X) {
            const int Source = X < 4 ? X : X < 85 ? 4 : 4 + (X - 85);
            ASSERT_EQ(Image.pixelColor(X, Y), Expected(Up, Source, Y)) << X << "," << Y;
        }
}

TEST(DrawSkin, HeighteningRepeatsRowTen) {
    const QImage& Hot = DefaultSkin()->Buttons().FindItem("button")->Image(dsaHot);
    const QImage Image = Paint(*DefaultSkin(), 90, 30, dsaHot, sikButton, "button");
    for (int Y = 0; Y < 30; ++Y)
        for (int X = 0; X < 90; ++X) {
            const int SourceX = X < 4 ? X : X < 85 ? 4 : 4 + (X - 85);
            const int SourceY = Y < 10 ? Y : Y < 17 ? 10 : 10 + (Y - 17);
            ASSERT_EQ(Image.pixelColor(X, Y), Expected(Hot, SourceX, SourceY)) << X << "," << Y;
        }
}

TEST(DrawSkin, UnstretchedItemsDrawAtTheirSizeAtTheOrigin) {
    const QImage& Up = DefaultSkin()->Buttons().FindItem("check")->Image(dsaUp);
    const QImage Image = Paint(*DefaultSkin(), 50, 40, dsaUp, sikButton, "check");
    for (int Y = 0; Y < 40; ++Y)
        for (int X = 0; X < 50; ++X) {
            const QColor Want = X < 16 && Y < 16 ? Expected(Up, X, Y) : Background;
            ASSERT_EQ(Image.pixelColor(X, Y), Want) << X << "," << Y;
        }
}

TEST(DrawSkin, CheckedOnTheBuiltInCheckDrawsDown) {
    const QImage Checked = Paint(*DefaultSkin(), 16, 16, dsaChecked, sikButton, "check");
    const QImage Down = Paint(*DefaultSkin(), 16, 16, dsaDown, sikButton, "check");
    const QImage Up = Paint(*DefaultSkin(), 16, 16, dsaUp, sikButton, "check");
    EXPECT_EQ(Checked, Down);
    EXPECT_NE(Checked, Up) << "the tick shows";
    EXPECT_EQ(Paint(*DefaultSkin(), 16, 16, dsaFocus, sikButton, "check"),
              Paint(*DefaultSkin(), 16, 16, dsaHot, sikButton, "check"))
        << "focus falls back to Hot";
}

TEST(DrawSkin, FallbacksOfEmptyImages) {
    TVexSkin Skin;
    TButtonItem* Item = Skin.Buttons().Add();
    Item->SetName("x");
    Item->SetImage(dsaUp, Solid(Qt::blue));
    auto Colour = [&](TDrawSkinAttr Attr) { return Paint(Skin, 4, 4, Attr, sikButton, "x").pixelColor(1, 1); };
    EXPECT_EQ(Colour(dsaFocus), QColor(Qt::blue)) << "neither Focus nor Hot: Up";
    EXPECT_EQ(Colour(dsaDisabled), QColor(Qt::blue));
    EXPECT_EQ(Colour(dsaHot), QColor(Qt::blue));
    EXPECT_EQ(Colour(dsaDown), Background) << "Down has no fallback";
    EXPECT_EQ(Colour(dsaChecked), Background) << "Checked falls back to an empty Down";
    Item->SetImage(dsaHot, Solid(Qt::red));
    EXPECT_EQ(Colour(dsaFocus), QColor(Qt::red)) << "Hot but no Focus: Hot";
    Item->SetImage(dsaDown, Solid(Qt::yellow));
    EXPECT_EQ(Colour(dsaHotDown), QColor(Qt::yellow));
    EXPECT_EQ(Colour(dsaChecked), QColor(Qt::yellow));
}

TEST(DrawSkin, OpaqueItemsDrawTheKeyAndTheirImagesStayAsTheyAre) {
    TVexSkin Skin;
    TButtonItem* Item = Skin.Buttons().Add();
    Item->SetName("x");
    QImage Face = Solid(Qt::blue, 5, 3);
    Face.setPixelColor(0, 2, Magenta);
    Item->SetImage(dsaUp, Face);
    Item->ImageRepeat().SetX(2);
    EXPECT_EQ(Paint(Skin, 8, 3, dsaUp, sikButton, "x").pixelColor(0, 2), Magenta);
    Item->SetTransparency(true);
    EXPECT_EQ(Paint(Skin, 8, 3, dsaUp, sikButton, "x").pixelColor(0, 2), Background);
    EXPECT_EQ(Item->Image(dsaUp), Face) << "drawing works on a copy";
    Face.setPixelColor(1, 1, Qt::red);
    EXPECT_NE(Item->Image(dsaUp), Face) << "setting copied the bitmap";
}

TEST(DrawSkin, SinglesUnknownNamesAndKinds) {
    TVexSkin Skin;
    TSingleItem* Single = Skin.Singles().Add();
    Single->SetName("fundo");
    Single->SetBitmap(Solid(Qt::cyan, 3, 3));
    Single->ImageRepeat().SetY(1);
    const QImage Image = Paint(Skin, 10, 10, dsaDisabled, sikSingle, "FUNDO");
    EXPECT_EQ(Image.pixelColor(2, 9), QColor(Qt::cyan)) << "heightened to the target";
    EXPECT_EQ(Image.pixelColor(5, 5), Background) << "not widened";
    EXPECT_TRUE(Untouched(Paint(Skin, 10, 10, dsaUp, sikButton, "fundo"))) << "no button item of that name";
    EXPECT_TRUE(Untouched(Paint(Skin, 10, 10, dsaUp, sikSingle, "nada")));
    EXPECT_TRUE(Untouched(Paint(Skin, 10, 10, dsaUp, static_cast<TSkinItemKind>(7), "fundo")));
}

TEST(DrawSkin, NarrowTargetsKeepTheRightEdge) {
    const QImage Image = Paint(*DefaultSkin(), 6, 23, dsaUp, sikButton, "button");
    const QImage& Up = DefaultSkin()->Buttons().FindItem("button")->Image(dsaUp);
    for (int X = 1; X < 6; ++X) EXPECT_EQ(Image.pixelColor(X, 5), Expected(Up, X + 3, 5)) << X;
    EXPECT_TRUE(Untouched(Paint(*DefaultSkin(), 0, 23, dsaUp, sikButton, "button")));
}

TEST(SkinItems, FindItemTakesTheFirstIgnoringCase) {
    TVexSkin Skin;
    TButtonItem* First = Skin.Buttons().Add();
    First->SetName("Std");
    TButtonItem* Second = Skin.Buttons().Add();
    Second->SetName("std");
    EXPECT_EQ(Skin.Buttons().FindItem("STD"), First);
    EXPECT_EQ(Skin.Buttons().FindItem("std"), First);
    EXPECT_EQ(Skin.Buttons().FindItem("stdx"), nullptr);
    EXPECT_EQ(Skin.Singles().FindItem("Std"), nullptr);
    TButtonItem* Accented = Skin.Buttons().Add();
    Accented->SetName("Ação");
    EXPECT_EQ(Skin.Buttons().FindItem("AÇÃO"), Accented);
    EXPECT_EQ(Skin.Buttons().Add()->DisplayName(), "TButtonItem");
    EXPECT_EQ(First->DisplayName(), "Std");
    EXPECT_THROW(Skin.Buttons().Items(9), platform::os::EListError);
}

TEST(SkinItems, CopiesAreDeep) {
    TVexSkin Skin;
    TButtonItem* Std = Skin.Buttons().Add();
    Std->Assign(*DefaultSkin()->Buttons().FindItem("button"));
    EXPECT_EQ(Std->Name(), "button");
    EXPECT_EQ(Std->ImageRepeat().X(), 4);
    EXPECT_EQ(Std->ImageRepeat().Y(), 10);
    EXPECT_TRUE(Std->Transparency());
    EXPECT_EQ(Std->Image(dsaFocus), DefaultSkin()->Buttons().FindItem("button")->Image(dsaFocus));
    Std->SetImage(dsaFocus, Solid(Qt::red));
    EXPECT_NE(DefaultSkin()->Buttons().FindItem("button")->Image(dsaFocus), Std->Image(dsaFocus));

    TVexSkin Other;
    Other.SetButtons(DefaultSkin()->Buttons());
    ASSERT_EQ(Other.Buttons().Count(), 3);
    EXPECT_EQ(Other.Buttons().Items(2)->Name(), "radio");
    Other.Buttons().Items(0)->ImageRepeat().SetX(1);
    EXPECT_EQ(DefaultSkin()->Buttons().Items(0)->ImageRepeat().X(), 4);

    TSingleItem* Single = Skin.Singles().Add();
    Single->SetName("a");
    Single->SetBitmap(Solid(Qt::blue));
    Single->SetTransparency(true);
    TSingleItem* Copy = Skin.Singles().Add();
    Copy->Assign(*Single);
    EXPECT_EQ(Copy->Name(), "a");
    EXPECT_EQ(Copy->Bitmap(), Single->Bitmap());
    EXPECT_TRUE(Copy->Transparency());
}

TEST(SkinNotifications, ImageRepeatRepaintsOnlyOnChange) {
    TLinkedSkin L;
    L.Item->ImageRepeat().SetX(4);
    EXPECT_EQ(L.Paints(), QList<int>({0, 0, 0})) << "4 to 4 repaints nothing";
    L.Item->ImageRepeat().SetX(3);
    EXPECT_EQ(L.Paints(), QList<int>({1, 1, 1})) << "4 to 3 repaints every linked control once";
    EXPECT_EQ(L.Order, L.Controls) << "in list order";
    L.Reset();
    L.Item->ImageRepeat().SetY(-1);
    EXPECT_EQ(L.Paints(), QList<int>({0, 0, 0}));
    TImageRepeat Other;
    Other.SetX(9);
    L.Item->SetImageRepeat(Other);
    EXPECT_EQ(L.Item->ImageRepeat().X(), 9);
    EXPECT_EQ(L.Paints(), QList<int>({0, 0, 0})) << "assigning a whole repeat object does not notify";
}

TEST(SkinNotifications, ImagesTransparencyAndCollections) {
    TLinkedSkin L;
    L.Item->SetImage(dsaUp, QImage());
    EXPECT_EQ(L.Paints(), QList<int>({1, 1, 1})) << "setting an image always repaints";
    L.Reset();
    L.Item->SetTransparency(false);
    EXPECT_EQ(L.Paints(), QList<int>({0, 0, 0}));
    L.Item->SetTransparency(true);
    EXPECT_EQ(L.Paints(), QList<int>({1, 1, 1}));
    L.Reset();
    TSingleItem* Single = L.Skin.Singles().Add();
    EXPECT_EQ(L.Paints(), QList<int>({1, 1, 1})) << "adding";
    L.Reset();
    Single->SetBitmap(QImage());
    EXPECT_EQ(L.Paints(), QList<int>({1, 1, 1})) << "a single's bitmap always repaints";
    L.Reset();
    L.Skin.Singles().Delete(0);
    EXPECT_EQ(L.Paints(), QList<int>({1, 1, 1})) << "deleting";
    L.Reset();
    L.Skin.SetSingles(L.Skin.Singles());
    EXPECT_EQ(L.Paints(), QList<int>({0, 0, 0}));
}

TEST(SkinNotifications, ControlsLeaveTheListWhenDestroyedOrUnregistered) {
    TLinkedSkin L;
    EXPECT_EQ(L.Skin.LinkedControlCount(), 3);
    L.Skin.RegisterControl(L.Controls[0]);
    EXPECT_EQ(L.Skin.LinkedControlCount(), 3) << "registered once";
    delete L.Controls[1];
    L.Controls.removeAt(1);
    EXPECT_EQ(L.Skin.LinkedControlCount(), 2);
    L.Skin.UnregisterControl(L.Controls[0]);
    L.Skin.UnregisterControl(L.Controls[0]);
    EXPECT_FALSE(L.Skin.IsRegistered(L.Controls[0]));
    L.Skin.NotifyControls();
    EXPECT_EQ(L.Paints(), QList<int>({0, 1}));
}

TEST(SkinNotifications, ASkinMayDieBeforeItsControls) {
    QWidget Host;
    Host.resize(20, 20);
    auto* Control = new TPaintCounter(&Host, nullptr);
    Control->resize(10, 10);
    Host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Host));
    TVexSkin Survivor;
    Survivor.RegisterControl(Control);
    {
        TVexSkin Skin;
        Skin.RegisterControl(Control);
    }
    Control->Paints = 0;
    Survivor.NotifyControls();
    EXPECT_EQ(Control->Paints, 1) << "the other skin's link is intact";
    delete Control;  // the dead skin's removal request went with it
    EXPECT_EQ(Survivor.LinkedControlCount(), 0);
}
