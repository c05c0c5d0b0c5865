#include "databound/VexDBCombo.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <algorithm>

#include "dataaccess/VexFieldValue.h"
#include "dataaccess/VexUtils.h"
#include "platform/ui/Messages.h"

namespace databound {

using platform::ui::SysColor;
using platform::ui::TCanvas;
using platform::ui::TSysColor;

namespace {

constexpr int kItemHeight = 15;
constexpr int kTextIndent = 2;
// Room the list keeps beside its longest text.
constexpr int kListMargin = 6;
const QString kDrawExSeparator = QStringLiteral(" - ");

}  // namespace

TVexDBComboBox::TVexDBComboBox(QWidget* AOwner) : TDBComboBox(AOwner) {
    SetStyle(platform::ui::TComboBoxStyle::csOwnerDrawFixed);
    SetItemHeight(kItemHeight);
    databound::SetBevelKind(this, bkFlat);
}

TVexDBComboBox::~TVexDBComboBox() = default;

void TVexDBComboBox::SetItemsEx(const QStringList& Value) {
    if (Value == FItemsEx) return;
    FItemsEx = Value;
    update();
}

void TVexDBComboBox::SetBevelKind(TBevelKind Value) {
    databound::SetBevelKind(this, Value);
    update();
}

void TVexDBComboBox::SetDrawEx(bool Value) {
    if (Value == FDrawEx) return;
    FDrawEx = Value;
    update();
}

QString TVexDBComboBox::DisplayText(int Index) const {
    if (Index < 0 || Index >= count()) return {};
    const QString Stored = itemText(Index);
    if (Index >= FItemsEx.size()) return Stored;
    return FDrawEx ? dataaccess::JoinWith(Stored, FItemsEx[Index], kDrawExSeparator) : FItemsEx[Index];
}

int TVexDBComboBox::ContentWidth() const {
    const int ScrollBar = count() > DropDownCount() ? style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this) : 0;
    const QFontMetrics Metrics(font());
    int Result = width();
    for (int I = 0; I < count(); ++I)
        Result = std::max(Result, Metrics.horizontalAdvance(DisplayText(I)) + ScrollBar + kListMargin);
    return Result;
}

void TVexDBComboBox::showPopup() {
    FDroppedWidth = std::max(FDroppedWidth, ContentWidth());
    TDBComboBox::showPopup();
    QWidget* List = view()->window();
    if (List != window() && List->width() < FDroppedWidth) List->resize(FDroppedWidth, List->height());
}

void TVexDBComboBox::DrawItem(int Index, const QRect& Rect, TCanvas& Canvas, bool Selected) {
    Canvas.Brush().Color = Selected ? SysColor(TSysColor::clHighlight) : palette().color(QPalette::Base);
    Canvas.FillRect(Rect);
    QColor Text = Selected ? SysColor(TSysColor::clHighlightText) : palette().color(QPalette::Text);
    if (!isEnabled()) Text = SysColor(TSysColor::clGrayText);
    Canvas.Font().SetColor(Text);
    QRect TextRect = Rect.adjusted(kTextIndent, 0, 0, 0);
    Canvas.DrawText(DisplayText(Index), TextRect,
                    platform::ui::DT_SINGLELINE | platform::ui::DT_VCENTER | platform::ui::DT_NOPREFIX);
}

void TVexDBComboBox::paintEvent(QPaintEvent* Event) {
    (void)Event;
    QStylePainter Painter(this);
    QStyleOptionComboBox Option;
    initStyleOption(&Option);
    Option.currentText.clear();
    Option.currentIcon = QIcon();
    if (BevelKind() == bkFlat) Option.frame = false;
    Painter.drawComplexControl(QStyle::CC_ComboBox, Option);
    const QRect Field = style()->subControlRect(QStyle::CC_ComboBox, &Option, QStyle::SC_ComboBoxEditField, this);
    TCanvas Canvas(Painter);
    Canvas.SetFont(platform::ui::TFont(font()));
    // As the platform draws a focused list box: the shown item highlighted.
    DrawItem(currentIndex(), Field, Canvas, hasFocus() && !view()->isVisible());
}

void TVexDBComboBox::Chosen() {
    TDBComboBox::Chosen();
    if (!FImmediatePost || !DataLink().IsModified()) return;
    platform::ui::RunGuarded([this] { DataLink().UpdateRecord(); });
}

void TVexDBComboBox::keyPressEvent(QKeyEvent* Event) {
    TDBComboBox::keyPressEvent(Event);
    if (Event->key() != Qt::Key_Delete || !Field()) return;
    // A read-only combo or field keeps its value.
    if (DataLink().CanModify() && DataLink().Edit()) dataaccess::ClearFieldValue(Field());
}

void TVexDBComboBox::focusOutEvent(QFocusEvent* Event) {
    TDBComboBox::focusOutEvent(Event);
    // Redrawn in the unfocused look once the focus has moved.
    update();
}

}  // namespace databound
