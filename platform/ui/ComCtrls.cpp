#include "platform/ui/ComCtrls.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

namespace platform::ui {

namespace {

const int TabTop = 2;
const int TabPadding = 6;

}  // namespace

TTabSheet::TTabSheet(TPageControl* APageControl) {
    setAutoFillBackground(true);
    QPalette Palette = palette();
    Palette.setColor(QPalette::Window, SysColor(TSysColor::clBtnFace));
    setPalette(Palette);
    SetPageControl(APageControl);
}

TTabSheet::~TTabSheet() {
    if (FPageControl) FPageControl->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* Value) {
    if (Value == FPageControl) return;
    if (FPageControl) FPageControl->RemovePage(this);
    if (Value) Value->InsertPage(this, Value->PageCount());
}

int TTabSheet::PageIndex() const {
    if (!FPageControl) return -1;
    const auto& Pages = FPageControl->FPages;
    return static_cast<int>(std::find(Pages.begin(), Pages.end(), this) - Pages.begin());
}

void TTabSheet::SetPageIndex(int Value) {
    if (!FPageControl || Value == PageIndex()) return;
    auto& Pages = FPageControl->FPages;
    Pages.erase(Pages.begin() + PageIndex());
    Pages.insert(Pages.begin() + std::clamp(Value, 0, static_cast<int>(Pages.size())), this);
    FPageControl->update();
}

void TTabSheet::SetTabVisible(bool Value) {
    if (Value == FTabVisible) return;
    FTabVisible = Value;
    if (FPageControl) FPageControl->update();
}

int TTabSheet::TabIndex() const {
    if (!FPageControl || !FTabVisible) return -1;
    int Index = 0;
    for (TTabSheet* Page : FPageControl->FPages) {
        if (Page == this) return Index;
        if (Page->FTabVisible) ++Index;
    }
    return -1;
}

void TTabSheet::SetCaption(const QString& Value) {
    if (Value == FCaption) return;
    FCaption = Value;
    if (FPageControl) FPageControl->update();
}

TPageControl::TPageControl(QWidget* AParent) : QWidget(AParent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TPageControl::~TPageControl() {
    const std::vector<TTabSheet*> Pages = FPages;
    FPages.clear();
    FActivePage = nullptr;
    for (TTabSheet* Page : Pages) {
        Page->FPageControl = nullptr;
        delete Page;
    }
}

TTabSheet* TPageControl::Pages(int Index) const {
    if (Index < 0 || Index >= PageCount()) throw platform::os::EListError::IndexOutOfBounds(Index);
    return FPages[Index];
}

TTabSheet* TPageControl::AddPage(const QString& Caption) {
    auto* Page = new TTabSheet(this);
    Page->SetCaption(Caption);
    return Page;
}

void TPageControl::InsertPage(TTabSheet* Page, int Index) {
    Page->FPageControl = this;
    FPages.insert(FPages.begin() + Index, Page);
    Page->setParent(FLent ? parentWidget() : this);
    if (!FActivePage) FActivePage = Page;
    LayoutPages();
    update();
}

void TPageControl::RemovePage(TTabSheet* Page) {
    const auto Found = std::find(FPages.begin(), FPages.end(), Page);
    if (Found == FPages.end()) return;
    const int Index = static_cast<int>(Found - FPages.begin());
    FPages.erase(Found);
    Page->FPageControl = nullptr;
    if (FActivePage == Page) {
        // The neighbour takes over, as when a tab is closed.
        FActivePage = FPages.empty() ? nullptr : FPages[std::min(Index, PageCount() - 1)];
        LayoutPages();
    }
    update();
}

void TPageControl::SetActivePage(TTabSheet* Page) {
    if (Page && Page->FPageControl != this) return;
    FActivePage = Page;
    LayoutPages();
    update();
}

void TPageControl::SetActivePageIndex(int Index) {
    SetActivePage(Index >= 0 && Index < PageCount() ? FPages[Index] : nullptr);
}

int TPageControl::TabCount() const {
    return static_cast<int>(std::count_if(FPages.begin(), FPages.end(), [](TTabSheet* P) { return P->FTabVisible; }));
}

TTabSheet* TPageControl::TabPage(int TabIndex) const {
    for (TTabSheet* Page : FPages)
        if (Page->FTabVisible && TabIndex-- == 0) return Page;
    return nullptr;
}

int TPageControl::TabHeight() const { return TextMetricsOf(font()).Height() + 7; }

QRect TPageControl::TabRect(int TabIndex) const {
    const QFontMetrics Metrics(font());
    int Left = TabTop;
    for (int I = 0; I < TabCount(); ++I) {
        const int Width = Metrics.horizontalAdvance(StripAccelerator(TabPage(I)->Caption()).Text) + 2 * TabPadding;
        if (I == TabIndex) return QRect(Left, TabTop, Width, TabHeight());
        Left += Width;
    }
    return QRect();
}

QRect TPageControl::DisplayRect() const {
    return WinRect(4, TabTop + TabHeight() + 4, width() - 4, height() - 4);
}

void TPageControl::LayoutPages() {
    const QRect Place = FLent ? geometry() : PageRect();
    for (TTabSheet* Page : FPages) {
        Page->setGeometry(Place);
        Page->setVisible(Page == FActivePage);
    }
}

void TPageControl::LendPages() {
    if (FLent || !parentWidget()) return;
    FLent = true;
    hide();
    for (TTabSheet* Page : FPages) Page->setParent(parentWidget());
    LayoutPages();
    UpdateFocusChain(this);
}

void TPageControl::TakeBackPages() {
    if (!FLent) return;
    FLent = false;
    show();
    for (TTabSheet* Page : FPages) Page->setParent(this);
    LayoutPages();
    UpdateFocusChain(this);
}

void TPageControl::SelectByUser(TTabSheet* Page) {
    if (!Page || Page == FActivePage) return;
    bool Allow = true;
    if (OnChanging) OnChanging(this, Allow);
    if (!Allow) return;
    SetActivePage(Page);
    if (OnChange) OnChange(this);
}

void TPageControl::PaintControl(TCanvas& Canvas) {
    Canvas.Brush().Color = SysColor(TSysColor::clBtnFace);
    Canvas.FillRect(rect());
    const QRect Frame = DisplayRect().adjusted(-4, -4, 4, 4);
    Canvas.Brush().Color = SysColor(TSysColor::clWindow);
    Canvas.FillRect(Frame);
    Canvas.Brush().Color = SysColor(TSysColor::clBtnShadow);
    Canvas.FrameRect(Frame);
    const int Selected = FActivePage ? FActivePage->TabIndex() : -1;
    for (int I = 0; I < TabCount(); ++I) {
        QRect Tab = TabRect(I);
        if (I == Selected) Tab.adjust(-2, -2, 2, 1);
        Canvas.Brush().Color = I == Selected ? SysColor(TSysColor::clWindow) : SysColor(TSysColor::clBtnFace);
        Canvas.Pen().Color = SysColor(TSysColor::clBtnShadow);
        Canvas.Rectangle(Tab);
        Canvas.Brush().Style = TBrushStyle::bsClear;
        QRect TextRect = Tab;
        Canvas.DrawText(TabPage(I)->Caption(), TextRect, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        Canvas.Brush().Style = TBrushStyle::bsSolid;
    }
}

bool TPageControl::event(QEvent* Event) {
    bool Handled = false;
    RunGuarded([&] { Handled = HandleMessageEvent(Event) || QWidget::event(Event); });
    return Handled;
}

void TPageControl::paintEvent(QPaintEvent*) {
    TCanvas Canvas(this);
    Canvas.SetFont(TFont(font()));
    PaintControl(Canvas);
}

void TPageControl::mousePressEvent(QMouseEvent* Event) {
    const QPoint P = Event->position().toPoint();
    for (int I = 0; I < TabCount(); ++I)
        if (TabRect(I).contains(P)) SelectByUser(TabPage(I));
    QWidget::mousePressEvent(Event);
}

void TPageControl::keyPressEvent(QKeyEvent* Event) {
    const int Tabs = TabCount();
    const int Current = FActivePage ? FActivePage->TabIndex() : -1;
    if (Tabs > 0 && (Event->key() == Qt::Key_Left || Event->key() == Qt::Key_Right)) {
        const int Step = Event->key() == Qt::Key_Right ? 1 : -1;
        SelectByUser(TabPage(std::clamp(Current + Step, 0, Tabs - 1)));
        return;
    }
    QWidget::keyPressEvent(Event);
}

void TPageControl::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    LayoutPages();
}

void TPageControl::moveEvent(QMoveEvent* Event) {
    QWidget::moveEvent(Event);
    if (FLent) LayoutPages();
}

}  // namespace platform::ui
