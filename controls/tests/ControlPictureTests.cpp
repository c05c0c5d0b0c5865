// Pixel tests of the skinned button, the panel and the page control, and the
// picture of them all. With VEX_CONTROLS_OUT set the picture is written there
// (docs/controls.png is made this way).
#include <QApplication>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/VexButton.h"
#include "controls/VexPageControl.h"
#include "controls/VexPanels.h"
#include "platform/ui/Fonts.h"
#include "platform/ui/Forms.h"

using namespace controls;
using namespace platform::ui;

namespace {

const QRgb Magenta = qRgb(255, 0, 255);

QImage Grab(QWidget* Widget) { return Widget->grab().toImage().convertToFormat(QImage::Format_RGB32); }

// What the built-in skin draws for State over the button's colour.
QImage SkinFace(TDrawSkinAttr State, QSize Size) {
    QImage Face(Size, QImage::Format_RGB32);
    Face.fill(SysColor(TSysColor::clBtnFace));
    TCanvas Canvas(&Face);
    DefaultSkin()->DrawSkin(Canvas, Face.rect(), State, sikButton, "button");
    return Face;
}

// A square glyph of one colour with the key colour in its bottom-left pixel.
QImage SolidGlyph(QRgb Color, int Size = 16) {
    QImage Glyph = NewBitmap(Size, Size, QColor(Color));
    Glyph.setPixel(0, Size - 1, Magenta);
    return Glyph;
}

int CountPixels(const QImage& Image, QRgb Color) {
    int Count = 0;
    for (int Y = 0; Y < Image.height(); ++Y)
        for (int X = 0; X < Image.width(); ++X) Count += (Image.pixel(X, Y) & 0xFFFFFF) == (Color & 0xFFFFFF);
    return Count;
}

// The first column from From on with a pixel unlike Background, or -1.
int FirstInkColumn(const QImage& Image, int From, QRgb Background) {
    for (int X = From; X < Image.width(); ++X)
        for (int Y = 0; Y < Image.height(); ++Y)
            if ((Image.pixel(X, Y) & 0xFFFFFF) != (Background & 0xFFFFFF)) return X;
    return -1;
}

void SendEnter(QWidget* Widget) {
    QEnterEvent Event(QPointF(2, 2), QPointF(2, 2), Widget->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(Widget, &Event);
}

class ControlPictures : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterFonts();
        QApplication::setFont(DefaultFont());
    }
};

}  // namespace

TEST_F(ControlPictures, EachButtonStateDrawsItsSkinImage) {
    TCustomForm Form;
    Form.resize(200, 200);
    auto MakeButton = [&](int Top) {
        auto* Button = new TVexButton(&Form);
        Button->SetSkinName("button");
        Button->SetBounds(10, Top, 90, 23);
        return Button;
    };
    TVexButton* Up = MakeButton(0);
    TVexButton* Hot = MakeButton(30);
    TVexButton* Pressed = MakeButton(60);
    TVexButton* Checked = MakeButton(90);
    TVexButton* Focused = MakeButton(120);
    TVexButton* Disabled = MakeButton(150);
    Form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));

    SendEnter(Hot);
    QTest::mousePress(Pressed, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    const QImage PressedFace = Grab(Pressed);
    QTest::mouseRelease(Pressed, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    Checked->SetGroupIndex(1);
    Checked->SetChecked(true);
    Focused->SetFocus();
    Disabled->SetEnabled(false);

    const QSize Size(90, 23);
    EXPECT_EQ(Grab(Up), SkinFace(dsaUp, Size));
    EXPECT_EQ(Grab(Hot), SkinFace(dsaHot, Size));
    EXPECT_EQ(PressedFace, SkinFace(dsaDown, Size));
    EXPECT_EQ(Grab(Checked), SkinFace(dsaChecked, Size));
    EXPECT_EQ(Grab(Focused), SkinFace(dsaFocus, Size));
    EXPECT_EQ(Grab(Disabled), SkinFace(dsaDisabled, Size));
    EXPECT_NE(Grab(Hot), Grab(Up));
    EXPECT_NE(Grab(Focused), Grab(Up));
    // The key colour of the corners lets the button's colour through.
    EXPECT_EQ(Grab(Up).pixelColor(0, 0), SysColor(TSysColor::clBtnFace));
}

TEST_F(ControlPictures, MarginPutsTheCaptionsLeftEdge) {
    TVexButton Box;
    Box.SetSkinName("check");
    Box.resize(120, 15);
    Box.SetCaption("Iniciar");
    Box.SetMargin(18);
    const QRgb Face = SysColor(TSysColor::clBtnFace).rgb();
    const int At18 = FirstInkColumn(Grab(&Box), 16, Face);
    Box.SetMargin(30);
    const int At30 = FirstInkColumn(Grab(&Box), 16, Face);
    EXPECT_EQ(At30 - At18, 12);
    const int Bearing = std::max(0, QFontMetrics(Box.font()).leftBearing(QChar('I')));
    EXPECT_EQ(At18, 18 + Bearing) << "the caption starts at the margin";
    // The check image sits at the top-left corner.
    EXPECT_NE(Grab(&Box).pixel(7, 7), Face);
}

TEST_F(ControlPictures, DisabledButtonGreysItsCaptionAndGreysAndFadesItsGlyph) {
    TVexButton Button;
    Button.SetSkinName("button");
    Button.resize(120, 30);
    Button.SetCaption("Ok");
    const QRgb Red = qRgb(200, 0, 0);
    Button.SetBitmap(SolidGlyph(Red));
    const int GlyphPixels = 16 * 16 - 1;
    EXPECT_EQ(CountPixels(Grab(&Button), Red), GlyphPixels);
    Button.SetEnabled(false);
    const QImage Disabled = Grab(&Button);
    // Grey 60 (0.3 x 200), lightened by 130: 60 + 130 x 195 div 255.
    EXPECT_EQ(CountPixels(Disabled, qRgb(159, 159, 159)), GlyphPixels);
    EXPECT_EQ(CountPixels(Disabled, Red), 0);
    // The caption is smoothed into the face: its darkest pixels come close to
    // the grey-text colour and never below it.
    const QColor Grey = SysColor(TSysColor::clGrayText);
    int Darkest = 255;
    for (int X = 50; X < Disabled.width(); ++X)
        for (int Y = 5; Y < 25; ++Y) {
            const QColor C = Disabled.pixelColor(X, Y);
            if (C == QColor(159, 159, 159)) continue;
            EXPECT_GE(C.red(), Grey.red());
            EXPECT_GE(C.blue(), Grey.blue());
            Darkest = std::min(Darkest, C.red());
        }
    EXPECT_LE(Darkest, Grey.red() + 12) << "the caption is drawn";
}

TEST_F(ControlPictures, GlyphComesFromTheImageListWhenTheBitmapIsEmpty) {
    TImageList Images;
    Images.AddMasked(SolidGlyph(qRgb(0, 0, 200)), Magenta);
    Images.AddMasked(SolidGlyph(qRgb(0, 150, 0)), Magenta);
    TVexButton Button;
    Button.SetSkinName("button");
    Button.resize(90, 30);
    Button.SetImages(&Images);
    Button.SetImageIndex(1);
    EXPECT_EQ(CountPixels(Grab(&Button), qRgb(0, 150, 0)), 16 * 16 - 1);
    Button.SetImageIndex(7);
    EXPECT_EQ(Grab(&Button), SkinFace(dsaUp, QSize(90, 30))) << "an index beyond the list draws no glyph";
}

TEST_F(ControlPictures, PanelGradientBetweenEqualColoursIsFlat) {
    TVexPanel Panel;
    Panel.resize(256, 40);
    Panel.SetBevelOuter(bvNone);
    const QColor Tone(200, 220, 240), Far(20, 40, 60);
    Panel.SetColor(Tone);
    Panel.SetColorTo(Tone);
    EXPECT_EQ(CountPixels(Grab(&Panel), Tone.rgb()), 256 * 40);
    Panel.SetColorTo(Far);
    QImage Shaded = Grab(&Panel);
    EXPECT_EQ(Shaded.pixelColor(0, 20), Tone);
    EXPECT_EQ(Shaded.pixelColor(255, 20), Far) << "256 columns: one band each";
    Panel.SetBevelOuter(bvLowered);
    Panel.SetDirection(gdVertical);
    Shaded = Grab(&Panel);
    EXPECT_EQ(Shaded.pixelColor(0, 10), SysColor(TSysColor::clBtnShadow));
    EXPECT_EQ(Shaded.pixelColor(255, 10), SysColor(TSysColor::clBtnHighlight));
    EXPECT_NEAR(Shaded.pixelColor(50, 1).red(), Tone.red(), 3) << "the gradient starts inside the bevel";
    EXPECT_NEAR(Shaded.pixelColor(50, 38).red(), Far.red(), 3);
    EXPECT_EQ(Shaded.pixelColor(50, 1), Shaded.pixelColor(200, 1));
}

TEST_F(ControlPictures, PanelDrawsItsSkinsSingleItemOverTheGradient) {
    auto* Skin = new TVexSkin;
    TSingleItem* Item = Skin->Singles().Add();
    Item->SetName("faixa");
    Item->SetBitmap(NewBitmap(10, 10, QColor(0, 90, 0)));
    TVexPanel Panel;
    Panel.resize(60, 30);
    Panel.SetBevelOuter(bvNone);
    Panel.SetColorTo(Qt::white);
    Panel.SetCaption("Xy");
    Panel.SetSkin(Skin);
    Panel.SetSkinName("outra");
    const QImage Missing = Grab(&Panel);
    EXPECT_EQ(Missing.pixelColor(5, 5), QColor(Qt::white)) << "an unknown item draws no image";
    EXPECT_GT(FirstInkColumn(Missing, 0, qRgb(255, 255, 255)), 10) << "but the caption";
    Panel.SetSkinName("FAIXA");
    EXPECT_EQ(Grab(&Panel).pixelColor(5, 5), QColor(0, 90, 0));
    EXPECT_TRUE(Skin->IsRegistered(&Panel));
    Item->SetBitmap(NewBitmap(10, 10, QColor(90, 0, 0)));
    delete Skin;
    EXPECT_EQ(Panel.Skin(), nullptr);
    EXPECT_EQ(Grab(&Panel).pixelColor(5, 5), QColor(Qt::white));
}

TEST_F(ControlPictures, PanelDefaults) {
    TVexPanel Panel;
    EXPECT_EQ(Panel.ColorTo().rgb() & 0xFFFFFF, 0xECE9D8u);
    EXPECT_EQ(Panel.Color(), QColor(Qt::white));
    EXPECT_EQ(Panel.Direction(), gdHorizontal);
    EXPECT_TRUE(Panel.DrawGrad() && Panel.ColorFill());
    EXPECT_EQ(Panel.ImageIndex(), -1);
    EXPECT_EQ(Panel.Indent(), 1);
    EXPECT_EQ(Panel.Layout(), tlCenter);
    EXPECT_EQ(Panel.Spacing(), 2);
    EXPECT_EQ(Panel.Skin(), nullptr) << "no default skin for panels";
}

TEST_F(ControlPictures, RightAlignedCaptionKeepsSpacingFromThePicture) {
    TImageList Images;
    const QRgb Blue = qRgb(0, 0, 220);
    Images.AddMasked(SolidGlyph(Blue), Magenta);
    TVexPanel Panel;
    Panel.resize(200, 30);
    Panel.SetBevelOuter(bvNone);
    Panel.SetColorTo(Qt::white);
    Panel.SetImages(&Images);
    Panel.SetImageIndex(0);
    Panel.SetAlignment(taRightJustify);
    Panel.SetCaption("Teste");
    Panel.SetSpacing(5);
    const int TW = QFontMetrics(Panel.font()).horizontalAdvance("Teste");
    const int TextLeft = 199 - TW;
    auto PictureRight = [&] {
        const QImage Image = Grab(&Panel);
        int Right = -1;
        for (int X = 0; X < Image.width(); ++X)
            if ((Image.pixel(X, 20) & 0xFFFFFF) == (Blue & 0xFFFFFF)) Right = X;
        return Right;
    };
    EXPECT_EQ(TextLeft - (PictureRight() + 1), 5);
    EXPECT_GE(FirstInkColumn(Grab(&Panel), PictureRight() + 1, qRgb(255, 255, 255)), TextLeft);
    Panel.SetSpacing(9);
    EXPECT_EQ(TextLeft - (PictureRight() + 1), 9);
}

TEST_F(ControlPictures, PanelMouseEnterAndLeaveEvents) {
    TVexPanel Panel;
    QStringList Log;
    Panel.OnMouseEnter = [&](QObject*) { Log << "enter"; };
    Panel.OnMouseLeave = [&](QObject*) { Log << "leave"; };
    SendEnter(&Panel);
    QEvent Leave(QEvent::Leave);
    QApplication::sendEvent(&Panel, &Leave);
    EXPECT_EQ(Log, QStringList({"enter", "leave"}));
}

TEST_F(ControlPictures, PageControlFrameAndTabs) {
    TVexPageControl Pages;
    Pages.resize(240, 140);
    TTabSheet* First = Pages.AddPage("Primeira");
    TTabSheet* Second = Pages.AddPage("Segunda");
    Pages.AddPage("Terceira");
    const QRect Frame = Pages.DisplayRect().adjusted(-4, -4, 4, 4);
    const int Right = WinRight(Frame) - 1, Bottom = WinBottom(Frame) - 1;
    QImage Image = Grab(&Pages);
    EXPECT_EQ(Image.pixelColor(Right - 2, Frame.y()), PageFrameColor);
    EXPECT_EQ(Image.pixelColor(Frame.x(), Frame.y() + 30), PageFrameColor);
    EXPECT_EQ(Image.pixelColor(Right, Frame.y() + 30), PageFrameColor);
    EXPECT_EQ(Image.pixelColor(Frame.x() + 30, Bottom), PageFrameColor);
    EXPECT_EQ(First->geometry(), Pages.DisplayRect().adjusted(-3, -3, 3, 3));

    const QRect Tab0 = Pages.TabRect(0);
    EXPECT_EQ(Image.pixelColor(Tab0.x() + 5, Tab0.y() - 2), TabHotLine1) << "the selected tab is raised";
    EXPECT_EQ(Image.pixelColor(Tab0.x() - 2, Tab0.y() + 8), PageFrameColor) << "and widened";

    Pages.SetDrawBorder(false);
    EXPECT_EQ(First->geometry(), Pages.DisplayRect().adjusted(-4, -3, 4, 4));
    Image = Grab(&Pages);
    EXPECT_EQ(Image.pixelColor(Right - 2, Frame.y()), PageFrameColor) << "the top line stays";
    EXPECT_NE(Image.pixelColor(Frame.x(), Frame.y() + 30), PageFrameColor);
    EXPECT_NE(Image.pixelColor(Right, Frame.y() + 30), PageFrameColor);
    EXPECT_NE(Image.pixelColor(Frame.x() + 30, Bottom), PageFrameColor);

    First->SetTabVisible(false);
    Pages.SetActivePage(Second);
    Image = Grab(&Pages);
    EXPECT_EQ(Image.pixelColor(Tab0.x() + 5, Tab0.y() - 2), TabHotLine1) << "the hidden tab does not count";
    Pages.SetActivePage(Pages.Pages(2));
    Image = Grab(&Pages);
    const QColor ShadeTop = Image.pixelColor(Tab0.x() + 5, Tab0.y() + 1);
    const QColor ShadeBottom = Image.pixelColor(Tab0.x() + 5, WinBottom(Tab0) - 1);
    EXPECT_EQ(ShadeTop.red(), 255) << "unselected tabs are shaded from white";
    EXPECT_LE(ShadeBottom.red(), TabShadeTo.red() + 1) << "down to the shade colour";
    EXPECT_NE(Image.pixelColor(Tab0.x() + 5, Tab0.y() - 2), TabHotLine1);
}

TEST_F(ControlPictures, FocusedPageControlMarksItsSelectedTab) {
    TCustomForm Form;
    auto* Pages = new TVexPageControl(&Form);
    Pages->SetBounds(0, 0, 200, 100);
    Pages->AddPage("Um");
    Pages->AddPage("Dois");
    auto* Edit = new QLineEdit(&Form);
    Edit->move(0, 120);
    Form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));
    Edit->setFocus();
    const QImage Plain = Grab(Pages);
    Pages->setFocus();
    const QImage Focused = Grab(Pages);
    const QRect Tab = Pages->TabRect(0);
    // The selected tab is T widened by 2 and raised by 2, less 2 on the right.
    const int L = Tab.x() - 2, T = Tab.y() - 2, R = WinRight(Tab), B = WinBottom(Tab);
    const QRect Mark = WinRect(L + 3, T + 4, R - 2, B - 2);
    EXPECT_NE(Focused.pixel(Mark.x(), Mark.y()), Plain.pixel(Mark.x(), Mark.y()));
    EXPECT_EQ(Focused.copy(0, B + 2, 200, 100 - B - 2), Plain.copy(0, B + 2, 200, 100 - B - 2)) << "nothing else changes";
}

TEST_F(ControlPictures, PictureOfTheControls) {
    TCustomForm Form;
    Form.SetClientSize(520, 330);
    const char* const StateNames[DrawSkinAttrCount] = {"Checked", "Disabled", "Down", "Focus", "Hot", "HotDown", "Up"};
    std::vector<TVexButton*> Buttons;
    for (int State = 0; State < DrawSkinAttrCount; ++State) {
        auto* Button = new TVexButton(&Form);
        Button->SetSkinName("button");
        Button->SetCaption(StateNames[State]);
        Button->SetBitmap(SolidGlyph(qRgb(30, 130, 60), 12));
        Button->SetBounds(10 + (State % 4) * 100, 10 + (State / 4) * 30, 90, 23);
        // The hook shows each state without a mouse or a focus.
        Button->OnDrawButton = [State](TVexButton*, TDrawSkinAttr& Attr, TDrawStage Stage) {
            if (Stage == dsPreSkin) Attr = static_cast<TDrawSkinAttr>(State);
        };
        Buttons.push_back(Button);
    }
    const struct {
        const char* Caption;
        const char* Skin;
        bool Checked, Enabled;
    } Boxes[] = {{"&Caixa marcada", "check", true, true}, {"Caixa desmarcada", "check", false, true},
                 {"Caixa desabilitada", "check", false, false}, {"&Opção marcada", "radio", true, true},
                 {"Opção desmarcada", "radio", false, true}};
    int Top = 80;
    for (const auto& Spec : Boxes) {
        auto* Box = new TVexButton(&Form);
        Box->SetSkinName(Spec.Skin);
        Box->SetMargin(18);
        Box->SetGroupIndex(QString(Spec.Skin) == "check" ? 1 : 2);
        Box->SetAllowAllUp(QString(Spec.Skin) == "check");
        Box->SetCaption(Spec.Caption);
        Box->SetBounds(10, Top, 150, 15);
        Box->SetChecked(Spec.Checked);
        Box->SetEnabled(Spec.Enabled);
        Top += 22;
    }
    TImageList Images;
    Images.AddMasked(SolidGlyph(qRgb(220, 120, 0)), Magenta);
    auto* Panel = new TVexPanel(&Form);
    Panel->SetBounds(180, 80, 330, 40);
    Panel->SetCaption("Painel com gradiente");
    Panel->SetImages(&Images);
    Panel->SetImageIndex(0);
    Panel->SetBevelOuter(bvLowered);
    auto* Pages = new TVexPageControl(&Form);
    Pages->SetBounds(180, 130, 330, 190);
    Pages->AddPage("Geral");
    Pages->AddPage("Numeração");
    Pages->AddPage("Oculta")->SetTabVisible(false);
    Pages->AddPage("Filtros");
    auto* Inner = new TVexButton(Pages->Pages(0));
    Inner->SetSkinName("button");
    Inner->SetCaption("&Avançar >");
    Inner->SetBounds(10, 10, 90, 23);
    Form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form));

    const QImage Picture = Grab(&Form);
    EXPECT_NE(Grab(Buttons[dsaHot]), Grab(Buttons[dsaUp]));
    EXPECT_NE(Grab(Buttons[dsaDisabled]), Grab(Buttons[dsaUp]));
    EXPECT_EQ(Picture.size(), QSize(520, 330));
    const QString Out = qEnvironmentVariable("VEX_CONTROLS_OUT");
    if (!Out.isEmpty()) {
        const QImage Large = Picture.scaled(Picture.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        EXPECT_TRUE(Large.save(Out, "PNG"));
    }
}
