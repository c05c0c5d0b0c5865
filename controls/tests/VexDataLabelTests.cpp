#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

#include "controls/VexDataLabel.h"
#include "controls/VexPaint.h"
#include "controls/tests/FocusReceiver.h"
#include "controls/tests/MouseTesting.h"
#include "platform/ui/Fonts.h"

using namespace controls;
using namespace platform::ui;
using testing_mouse::Click;
using testing_mouse::Mouse;

namespace {

// Counts the hook and can keep key presses from the control, as the data-bound label does.
class TProbeLabel : public TVexLabel {
public:
    using TVexLabel::TVexLabel;
    int ControlChanges = 0;
    bool SwallowKeys = false;

protected:
    void ControlChanged() override { ++ControlChanges; }
    bool ControlEvent(QEvent* Event) override {
        if (SwallowKeys && Event->type() == QEvent::KeyPress) return true;
        return TVexLabel::ControlEvent(Event);
    }
};

// The wizard's folder field: an edit 233 wide at top 15 with its label, on a shown main form.
class LabelledEdit : public ::testing::Test {
protected:
    void SetUp() override {
        InitApplication();
        Edit = new QLineEdit(&Main.Form);
        SetBounds(Edit, 10, 15, 233, 21);
        Label = new TProbeLabel(&Main.Form);
        Label->SetCaption(QStringLiteral("Local da instalação"));
        Label->SetControl(Edit);
        Main.Form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Main.Form));
    }

    TFocusReceiver Main;
    QLineEdit* Edit = nullptr;
    TProbeLabel* Label = nullptr;
};

class LabelAlone : public ::testing::Test {
protected:
    void SetUp() override {
        InitApplication();
        Form.resize(200, 100);
        Label = new TVexLabel(&Form);
        Label->SetBounds(0, 0, 100, 14);
        Form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form));
    }

    TCustomForm Form;
    TVexLabel* Label = nullptr;
};

QImage Shot(QWidget* Control) { return Control->grab().toImage().convertToFormat(QImage::Format_RGB888); }

// What the label should show: Text drawn in one line at the bottom of R, over the label's colour.
QImage TextPicture(TCustomVexLabel* Label, const QString& Text, QRect R, QColor Color = Qt::black) {
    QImage Picture = NewBitmap(Label->Width(), Label->Height(), Label->Color());
    TCanvas Canvas(&Picture);
    TFont Font = Label->Font();
    Font.SetColor(Color);
    Canvas.SetFont(Font);
    Canvas.Brush().Style = TBrushStyle::bsClear;
    Canvas.DrawText(Text, R, DT_SINGLELINE | DT_BOTTOM | DT_END_ELLIPSIS);
    return Picture;
}

// The bounding box of the pixels that differ from Background.
QRect InkBox(const QImage& Image, QColor Background) {
    QRect Box;
    for (int Y = 0; Y < Image.height(); ++Y)
        for (int X = 0; X < Image.width(); ++X)
            if (Image.pixelColor(X, Y) != Background) Box |= QRect(X, Y, 1, 1);
    return Box;
}

bool HasPixel(const QImage& Image, const QRect& Area, const std::function<bool(QColor)>& Test) {
    for (int Y = Area.top(); Y <= Area.bottom(); ++Y)
        for (int X = Area.left(); X <= Area.right(); ++X)
            if (Test(Image.pixelColor(X, Y))) return true;
    return false;
}

bool IsDark(QColor C) { return C.red() < 60 && C.green() < 60 && C.blue() < 60; }

}  // namespace

TEST_F(LabelledEdit, TheWizardsLabelSitsRightAboveItsEditAndShowsItsCaptionWithAColon) {
    EXPECT_EQ(Label->BoundsRect(), QRect(10, 0, 233, 14));
    EXPECT_EQ(Label->parentWidget(), Edit->parentWidget());
    EXPECT_FALSE(Label->TabStop());
    const QImage Shown = Shot(Label);
    EXPECT_EQ(Shown, TextPicture(Label, QStringLiteral("Local da instalação:"), Label->ClientRect()));
    EXPECT_NE(Shown, TextPicture(Label, QStringLiteral("Local da instalação"), Label->ClientRect()));
    const QRect Ink = InkBox(Shown, Label->Color());
    EXPECT_LE(Ink.left(), 1);
    EXPECT_GE(Ink.top(), 1) << "the text sits at the bottom";
    EXPECT_LT(Ink.right(), 150) << "nothing is cut off";
}

TEST_F(LabelledEdit, FollowsTheControlAsItMovesIsResizedChangesParentAndIsDisabled) {
    SetBounds(Edit, 40, 60, 100, 21);
    EXPECT_EQ(Label->BoundsRect(), QRect(40, 45, 100, 14));
    Edit->resize(150, 30);
    EXPECT_EQ(Label->BoundsRect(), QRect(40, 45, 150, 14));

    Edit->setEnabled(false);
    EXPECT_FALSE(Label->Enabled());
    QImage Shown = Shot(Label);
    const QRect Text(0, 0, 100, 14);
    EXPECT_TRUE(HasPixel(Shown, Text, [](QColor C) { return C == SysColor(TSysColor::clGrayText); })) << "greyed";
    EXPECT_FALSE(HasPixel(Shown, Text, IsDark));
    Edit->setEnabled(true);
    EXPECT_TRUE(Label->Enabled());
    EXPECT_TRUE(HasPixel(Shot(Label), Text, IsDark));

    auto* Panel = new QWidget(&Main.Form);
    Panel->setGeometry(5, 100, 250, 80);
    Panel->show();
    Edit->setParent(Panel);
    Edit->show();
    SetBounds(Edit, 20, 30, 120, 21);
    EXPECT_EQ(Label->parentWidget(), Panel);
    EXPECT_TRUE(Label->isVisible());
    EXPECT_EQ(Label->BoundsRect(), QRect(20, 15, 120, 14));
}

TEST_F(LabelledEdit, TheLabelTakesTheControlsEnabledWhenItPaints) {
    Label->SetEnabled(false);
    Shot(Label);
    EXPECT_TRUE(Label->Enabled());
}

TEST_F(LabelledEdit, OffsetSpacingAndAutoPositionDecideThePlace) {
    Label->Offset().SetLeft(2);
    Label->Offset().SetTop(-3);
    Label->Offset().SetWidth(-10);
    EXPECT_EQ(Label->BoundsRect(), QRect(12, -3, 223, 14));

    // Copying an offset does not move the label; setting the label's offset does.
    TControlOffset Other(nullptr);
    Other.SetLeft(5);
    Label->Offset().Assign(Other);
    EXPECT_EQ(Label->Offset().Top(), 0);
    EXPECT_EQ(Label->Left(), 12);
    Label->SetOffset(Other);
    EXPECT_EQ(Label->BoundsRect(), QRect(15, 0, 233, 14));

    Label->SetLabelSpacing(5);
    EXPECT_EQ(Label->Top(), -4);

    Label->SetAutoPosition(false);
    Label->SetBounds(1, 2, 50, 30);
    EXPECT_EQ(Label->BoundsRect(), QRect(1, 2, 50, 14)) << "the height still comes from the buttons";
    SetBounds(Edit, 40, 60, 100, 21);
    EXPECT_EQ(Label->BoundsRect(), QRect(1, 2, 50, 14));
}

TEST_F(LabelledEdit, TheHeightFollowsTheButtonImagesAndTheFont) {
    auto* Images = new TImageList(&Main.Form, 16, 16);
    Label->SetImages(Images);
    EXPECT_EQ(Label->Height(), 14) << "images count only with a button";
    Label->Buttons().Add();
    EXPECT_EQ(Label->BoundsRect(), QRect(10, -6, 233, 20));
    delete Images;
    EXPECT_EQ(Label->Images(), nullptr);
    EXPECT_EQ(Label->Height(), 14);

    Label->SetFont(TFont(MakeFont(QStringLiteral("Tahoma"), 16)));
    const int TextHeight = TextMetricsOf(Label->Font()).Height();
    ASSERT_GT(TextHeight, 14);
    EXPECT_EQ(Label->Height(), TextHeight);
    EXPECT_EQ(Label->Top(), 15 - TextHeight - 1);
}

TEST_F(LabelledEdit, PressingTheLabelFocusesItsControlAfterTheMouseHandling) {
    Edit->setObjectName(QStringLiteral("edtConfigLocal"));
    Label->OnMouseDown = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        EXPECT_TRUE(Main.Targets.isEmpty());
    };
    Click(Label, QPoint(5, 5));
    EXPECT_TRUE(Main.Targets.isEmpty()) << "posted, not sent";
    ProcessMessages();
    EXPECT_EQ(Main.Targets, QList<QWidget*>({Edit}));
    EXPECT_EQ(Main.Descriptions, QStringList({"edtConfigLocal: QLineEdit"}));
    EXPECT_TRUE(Edit->hasFocus());
}

TEST_F(LabelledEdit, OnGetCaptionChangesWhatIsDrawn) {
    Label->SetCaption(QStringLiteral("A"));
    Label->OnGetCaption = [](TCustomVexLabel*, QString& Caption) {
        if (Caption == QLatin1String("A")) Caption = QStringLiteral("B");
    };
    EXPECT_EQ(Label->Caption(), QStringLiteral("B"));
    EXPECT_EQ(Label->TCustomControl::Caption(), QStringLiteral("A")) << "the stored text is kept";
    const QImage Shown = Shot(Label);
    EXPECT_EQ(Shown, TextPicture(Label, QStringLiteral("B:"), Label->ClientRect()));
    EXPECT_NE(Shown, TextPicture(Label, QStringLiteral("A:"), Label->ClientRect()));
}

TEST_F(LabelledEdit, AfterUnlinkingTheControlKeepsItsOwnHandlingAndNoLongerDragsTheLabel) {
    EXPECT_EQ(Label->ControlChanges, 1);
    Label->SwallowKeys = true;
    Edit->setFocus();
    QTest::keyClicks(Edit, QStringLiteral("x"));
    EXPECT_EQ(Edit->text(), QString()) << "a linked label sees the control's events first";

    Label->SetControl(nullptr);
    EXPECT_EQ(Label->ControlChanges, 2);
    const QRect Kept = Label->BoundsRect();
    SetBounds(Edit, 50, 70, 90, 21);
    Edit->setEnabled(false);
    EXPECT_EQ(Label->BoundsRect(), Kept);
    EXPECT_TRUE(Label->Enabled());
    EXPECT_EQ(Edit->geometry(), QRect(50, 70, 90, 21));
    Edit->setEnabled(true);
    Edit->setFocus();
    QTest::keyClicks(Edit, QStringLiteral("abc"));
    EXPECT_EQ(Edit->text(), QStringLiteral("abc"));
}

TEST_F(LabelledEdit, DestroyingEitherSideUnlinks) {
    auto* Other = new QLineEdit(&Main.Form);
    SetBounds(Other, 10, 100, 100, 21);
    Other->show();
    Label->SetControl(Other);
    EXPECT_EQ(Label->ControlChanges, 2);
    delete Other;
    EXPECT_EQ(Label->Control(), nullptr);
    EXPECT_EQ(Label->ControlChanges, 3);
    Label->UpdatePosition();

    Label->SetControl(Edit);
    delete Label;
    SetBounds(Edit, 30, 40, 100, 21);
    Edit->setFocus();
    QTest::keyClicks(Edit, QStringLiteral("ok"));
    EXPECT_EQ(Edit->text(), QStringLiteral("ok"));
}

TEST_F(LabelAlone, ThreeButtonsOnALabel100WideLeaveTheCaptionUpToX56) {
    for (int I = 0; I < 3; ++I) Label->Buttons().Add();
    EXPECT_EQ(Label->GetButtonRect(0), QRect(86, 0, 14, 14));
    EXPECT_EQ(Label->GetButtonRect(1), QRect(72, 0, 14, 14));
    EXPECT_EQ(Label->GetButtonRect(2), QRect(58, 0, 14, 14));
    EXPECT_EQ(Label->GetButtonRect(-1), Label->GetButtonRect(0));

    Label->SetCaption(QString(60, QLatin1Char('l')));
    const QImage Shown = Shot(Label);
    const QRect Ink = InkBox(Shown, Label->Color());
    EXPECT_LE(Ink.right(), 56) << "the caption stops left of the buttons";
    EXPECT_GE(Ink.right(), 48) << "and uses the room it has";
    EXPECT_EQ(Shown, TextPicture(Label, Label->Caption() + ':', QRect(0, 0, 57, 14))) << "with an ellipsis";
}

TEST_F(LabelAlone, ADisabledButtonShowsItsHintButIsNeverHotAndNeverClicks) {
    Label->SetHint(QStringLiteral("Rótulo"));
    QList<TLabelButton*> Clicked;
    for (const char* Hint : {"Limpar", "Desativado", "Pesquisar"}) {
        TLabelButton* Button = Label->Buttons().Add();
        Button->SetHint(QString::fromUtf8(Hint));
        Button->OnClick = [&Clicked](TLabelButton* Sender) { Clicked << Sender; };
    }
    TLabelButton* Disabled = Label->Buttons().Items(1);
    Disabled->SetEnabled(false);
    const QPoint OnDisabled = Label->GetButtonRect(1).center(), OnFirst = Label->GetButtonRect(0).center();
    const QPoint OnLast = Label->GetButtonRect(2).center();

    Mouse(Label, QEvent::MouseMove, OnDisabled);
    EXPECT_EQ(Label->HotButton(), -1);
    EXPECT_EQ(Label->toolTip(), QStringLiteral("Desativado"));
    EXPECT_EQ(Shot(Label).pixelColor(OnDisabled), Label->Color()) << "not highlighted";
    Click(Label, OnDisabled);
    EXPECT_TRUE(Clicked.isEmpty());

    Mouse(Label, QEvent::MouseMove, OnFirst);
    EXPECT_EQ(Label->HotButton(), 0);
    EXPECT_EQ(Label->toolTip(), QStringLiteral("Limpar"));
    EXPECT_EQ(Shot(Label).pixelColor(OnFirst), FlatLight) << "hot";
    Mouse(Label, QEvent::MouseButtonPress, OnFirst, Qt::LeftButton);
    EXPECT_EQ(Shot(Label).pixelColor(OnFirst), FlatPressedFace) << "hot and pressed";
    Mouse(Label, QEvent::MouseButtonRelease, OnFirst, Qt::LeftButton);
    EXPECT_EQ(Clicked, QList<TLabelButton*>({Label->Buttons().Items(0)}));
    EXPECT_EQ(Shot(Label).pixelColor(OnFirst), FlatLight);

    // A release over another button than the one pressed is no click.
    Mouse(Label, QEvent::MouseButtonPress, OnFirst, Qt::LeftButton);
    Mouse(Label, QEvent::MouseMove, OnLast);
    EXPECT_NE(Shot(Label).pixelColor(OnLast), FlatPressedFace);
    Mouse(Label, QEvent::MouseButtonRelease, OnLast, Qt::LeftButton);
    EXPECT_EQ(Clicked.size(), 1);

    Mouse(Label, QEvent::MouseMove, QPoint(5, 5));
    EXPECT_EQ(Label->HotButton(), -1);
    EXPECT_EQ(Label->toolTip(), QStringLiteral("Rótulo"));
    Mouse(Label, QEvent::MouseMove, OnLast);
    QEvent Leave(QEvent::Leave);
    QApplication::sendEvent(Label, &Leave);
    EXPECT_EQ(Label->HotButton(), -1);

    // A disabled label greys its buttons: none is hot-coloured any more.
    Mouse(Label, QEvent::MouseMove, OnFirst);
    Label->SetEnabled(false);
    EXPECT_NE(Shot(Label).pixelColor(OnFirst), FlatLight);
}

TEST_F(LabelAlone, ButtonsShowTheBuiltInImageOfTheirKindOrTheirOwnImage) {
    const TImageList* BuiltIn = ilsVexLabel();
    ASSERT_EQ(BuiltIn->Count(), 3);
    EXPECT_EQ(BuiltIn->Width(), 10);
    EXPECT_EQ(BuiltIn->Height(), 11);
    for (int I = 0; I < 3; ++I) {
        const QImage Picture = BuiltIn->GetBitmap(I, QColor(255, 0, 255));
        EXPECT_EQ(BottomLeftColor(Picture), QColor(255, 0, 255).rgb()) << "magenta key at image " << I;
        EXPECT_NE(InkBox(Picture, QColor(255, 0, 255)), QRect()) << "image " << I << " has a picture";
    }

    TLabelButton* Clear = Label->Buttons().Add();
    Clear->SetTipo(tbClear);
    const QRect Square = Label->GetButtonRect(0);
    auto Reddish = [](QColor C) { return C.red() > 150 && C.green() < 100 && C.blue() < 100; };
    EXPECT_TRUE(HasPixel(Shot(Label), Square, Reddish)) << "the clear image";
    Clear->SetEnabled(false);
    EXPECT_FALSE(HasPixel(Shot(Label), Square, Reddish)) << "greyed when disabled";

    // An image index picks the label's own list instead; a missing one leaves the square empty.
    Clear->SetEnabled(true);
    auto* Images = new TImageList(&Form, 10, 10);
    QImage Blue = NewBitmap(10, 10, QColor(255, 0, 255));
    for (int Y = 2; Y < 8; ++Y)
        for (int X = 2; X < 8; ++X) Blue.setPixelColor(X, Y, Qt::blue);
    Images->AddMasked(Blue, QColor(255, 0, 255).rgb());
    Clear->SetImageIndex(0);
    EXPECT_FALSE(HasPixel(Shot(Label), Square, Reddish)) << "no list yet: an empty square";
    EXPECT_EQ(InkBox(Shot(Label), Label->Color()) & Square, QRect());
    Label->SetImages(Images);
    EXPECT_TRUE(HasPixel(Shot(Label), Label->GetButtonRect(0), [](QColor C) { return C.blue() > 200 && C.red() < 120; }));
    Clear->SetImageIndex(7);
    EXPECT_EQ(InkBox(Shot(Label), Label->Color()) & Label->GetButtonRect(0), QRect());
}

TEST(LabelButtons, InsertAssignDeleteAndNames) {
    TVexLabel Label;
    TLabelButtons& Buttons = Label.Buttons();
    TLabelButton* Later = Buttons.Add();
    TLabelButton* Front = Buttons.Insert(0);
    EXPECT_EQ(Front->Index(), 0) << "inserted at the rightmost square";
    EXPECT_EQ(Later->Index(), 1);
    EXPECT_THROW(Buttons.Items(2), platform::os::EListError);
    EXPECT_THROW(Buttons.Insert(3), platform::os::EListError);
    EXPECT_EQ(Front->ImageIndex(), -1);
    EXPECT_TRUE(Front->Enabled() && Front->AutoClick() && Front->Auto());
    EXPECT_EQ(Front->Tipo(), tbNone);
    EXPECT_EQ(Front->DisplayName(), QStringLiteral("TLabelButton"));

    int Clicks = 0;
    Later->SetHint(QStringLiteral("Pesquisar..."));
    Later->SetTipo(tbSearch);
    Later->SetTag(7);
    Later->SetAuto(false);
    Later->OnClick = [&Clicks](TLabelButton*) { ++Clicks; };
    EXPECT_EQ(Later->DisplayName(), QStringLiteral("Pesquisar..."));

    TVexLabel Copy;
    Copy.SetButtons(Buttons);
    ASSERT_EQ(Copy.Buttons().Count(), 2);
    TLabelButton* Copied = Copy.Buttons().Items(1);
    EXPECT_NE(Copied, Later);
    EXPECT_EQ(Copied->Collection(), &Copy.Buttons());
    EXPECT_EQ(Copied->Hint(), QStringLiteral("Pesquisar..."));
    EXPECT_EQ(Copied->Tipo(), tbSearch);
    EXPECT_EQ(Copied->Tag(), 7);
    EXPECT_FALSE(Copied->Auto());
    Copied->OnClick(Copied);
    EXPECT_EQ(Clicks, 1) << "the click handler is copied too";

    Buttons.Delete(0);
    EXPECT_EQ(Later->Index(), 0);
    EXPECT_THROW(Buttons.Delete(1), platform::os::EListError);
    Buttons.Clear();
    EXPECT_EQ(Buttons.Count(), 0);
}

TEST(VexLabel, StartsAsDesigned) {
    TVexLabel Label;
    EXPECT_EQ(Label.Width(), 75);
    EXPECT_EQ(Label.Height(), 14);
    EXPECT_EQ(Label.LabelSpacing(), 1);
    EXPECT_TRUE(Label.AutoPosition());
    EXPECT_TRUE(Label.ShowHint());
    EXPECT_FALSE(Label.TabStop());
    EXPECT_EQ(Label.HotButton(), -1);
    EXPECT_EQ(Label.Control(), nullptr);
    EXPECT_EQ(Label.Offset().Left() + Label.Offset().Top() + Label.Offset().Width(), 0);
}

TEST_F(LabelAlone, ShowHintDecidesWhetherTheHintAppears) {
    Label->SetHint(QStringLiteral("Rótulo"));
    auto AskForHint = [this] {
        QHelpEvent Event(QEvent::ToolTip, QPoint(5, 5), Label->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(Label, &Event);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    Label->SetShowHint(false);
    EXPECT_EQ(AskForHint(), QString());
    Label->SetShowHint(true);
    EXPECT_EQ(AskForHint(), QStringLiteral("Rótulo"));
    QToolTip::hideText();
}

TEST_F(LabelAlone, AHintOnScreenGoesWhenThePointerReachesAnotherHint) {
    Label->SetHint(QStringLiteral("Rótulo"));
    Label->Buttons().Add()->SetHint(QStringLiteral("Limpar"));
    const QPoint OnButton = Label->GetButtonRect(0).center();
    Mouse(Label, QEvent::MouseMove, OnButton);
    QHelpEvent Event(QEvent::ToolTip, OnButton, Label->mapToGlobal(OnButton));
    QApplication::sendEvent(Label, &Event);
    ASSERT_TRUE(QToolTip::isVisible());
    ASSERT_EQ(QToolTip::text(), QStringLiteral("Limpar"));
    Mouse(Label, QEvent::MouseMove, OnButton + QPoint(1, 0));
    EXPECT_TRUE(QToolTip::isVisible()) << "the same hint stays";
    Mouse(Label, QEvent::MouseMove, QPoint(5, 5));
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000)) << "the old hint is cancelled";
    EXPECT_EQ(Label->toolTip(), QStringLiteral("Rótulo"));
    QToolTip::hideText();
}

TEST(VexLabelOnAPage, MovesMadeWhileThePageIsHiddenReachTheLabelWhenItShows) {
    InitApplication();
    TCustomForm Form;
    Form.resize(320, 240);
    auto* Pages = new TPageControl(&Form);
    Pages->setGeometry(0, 0, 300, 200);
    Pages->AddPage(QStringLiteral("Um"));
    TTabSheet* Config = Pages->AddPage(QStringLiteral("Dois"));
    Form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form));
    auto* Edit = new QLineEdit(Config);
    auto* Label = new TVexLabel(Config);
    Label->SetControl(Edit);
    SetBounds(Edit, 10, 40, 233, 21);
    Pages->SetActivePage(Config);
    EXPECT_EQ(Label->BoundsRect(), QRect(10, 25, 233, 14));
    EXPECT_TRUE(Label->isVisible());
}
