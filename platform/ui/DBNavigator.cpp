#include "platform/ui/DBNavigator.h"

#include <QPainter>
#include <QPainterPath>

#include "platform/ui/DBConsts.h"
#include "platform/ui/Messages.h"

namespace platform::ui {

using platform::data::TDataSet;

namespace {

constexpr int kGlyphSize = 16;

// The button's picture, drawn so that it needs no font.
QIcon GlyphOf(TNavigateBtn Which) {
    QPixmap Pixmap(kGlyphSize, kGlyphSize);
    Pixmap.fill(Qt::transparent);
    QPainter P(&Pixmap);
    P.setRenderHint(QPainter::Antialiasing);
    P.setPen(QPen(Qt::black, 1.5));
    P.setBrush(Qt::black);
    auto Triangle = [&P](bool Left, int X) {
        const QPolygonF Shape = Left ? QPolygonF({QPointF(X + 5, 3), QPointF(X, 8), QPointF(X + 5, 13)})
                                     : QPolygonF({QPointF(X, 3), QPointF(X + 5, 8), QPointF(X, 13)});
        P.drawPolygon(Shape);
    };
    switch (Which) {
        case nbFirst: P.drawLine(4, 3, 4, 13); Triangle(true, 6); break;
        case nbPrior: Triangle(true, 5); break;
        case nbNext: Triangle(false, 6); break;
        case nbLast: Triangle(false, 5); P.drawLine(12, 3, 12, 13); break;
        case nbInsert: P.drawLine(8, 3, 8, 13); P.drawLine(3, 8, 13, 8); break;
        case nbDelete: P.drawLine(3, 8, 13, 8); break;
        case nbEdit: P.drawPolygon(QPolygonF({QPointF(8, 3), QPointF(3, 12), QPointF(13, 12)})); break;
        case nbPost: P.setBrush(Qt::NoBrush); P.drawPolyline(QPolygonF({QPointF(3, 8), QPointF(7, 12), QPointF(13, 4)})); break;
        case nbCancel: P.drawLine(4, 4, 12, 12); P.drawLine(12, 4, 4, 12); break;
        case nbRefresh: {
            P.setBrush(Qt::NoBrush);
            P.drawArc(QRectF(3, 3, 10, 10), 30 * 16, 300 * 16);
            P.setBrush(Qt::black);
            P.drawPolygon(QPolygonF({QPointF(11, 2), QPointF(14, 6), QPointF(10, 7)}));
            break;
        }
    }
    return QIcon(Pixmap);
}

const QString& HintOf(TNavigateBtn Which) {
    static const QString* const kHints[kNavigateBtnCount] = {
        &kSFirstRecord, &kSPriorRecord, &kSNextRecord, &kSLastRecord, &kSInsertRecord,
        &kSDeleteRecord, &kSEditRecord, &kSPostEdit, &kSCancelEdit, &kSRefreshRecord};
    return *kHints[Which];
}

}  // namespace

class TDBNavigator::TNavLink : public platform::data::TDataLink {
public:
    explicit TNavLink(TDBNavigator* Navigator) : FNavigator(Navigator) {}

protected:
    void ActiveChanged() override { FNavigator->UpdateButtons(); }
    void DataSetChanged() override { FNavigator->UpdateButtons(); }
    void DataSetScrolled(int) override { FNavigator->UpdateButtons(); }
    void EditingChanged() override { FNavigator->UpdateButtons(); }
    void RecordChanged(platform::data::TField*) override { FNavigator->UpdateButtons(); }

private:
    TDBNavigator* FNavigator;
};

TDBNavigator::TDBNavigator(QWidget* AParent) : QWidget(AParent), FLink(std::make_unique<TNavLink>(this)) {
    for (int I = 0; I < kNavigateBtnCount; ++I) {
        const auto Which = static_cast<TNavigateBtn>(I);
        auto* Button = new QToolButton(this);
        Button->setObjectName(QStringLiteral("nb%1").arg(I));
        Button->setIcon(GlyphOf(Which));
        Button->setToolTip(HintOf(Which));
        Button->setFocusPolicy(Qt::NoFocus);
        connect(Button, &QToolButton::clicked, this, [this, Which] { RunGuarded([&] { BtnClick(Which); }); });
        FButtons[I] = Button;
    }
    UpdateButtons();
}

TDBNavigator::~TDBNavigator() { FLink.reset(); }

platform::data::TDataSource* TDBNavigator::DataSource() const { return FLink->DataSource(); }

void TDBNavigator::SetDataSource(platform::data::TDataSource* Value) {
    FLink->SetDataSource(Value);
    UpdateButtons();
}

void TDBNavigator::SetVisibleButtons(TButtonSet Value) {
    FVisibleButtons = Value;
    Arrange();
}

void TDBNavigator::BtnClick(TNavigateBtn Which) {
    TDataSet* Data = FLink->Active() ? FLink->DataSet() : nullptr;
    if (!Data) return;
    if (BeforeAction) BeforeAction(this, Which);
    switch (Which) {
        case nbFirst: Data->First(); break;
        case nbPrior: Data->Prior(); break;
        case nbNext: Data->Next(); break;
        case nbLast: Data->Last(); break;
        case nbInsert: Data->Insert(); break;
        case nbDelete:
            if (FConfirmDelete && !AskConfirmation(kSDeleteRecordQuestion)) return;
            Data->Delete();
            break;
        case nbEdit: Data->Edit(); break;
        case nbPost: Data->Post(); break;
        case nbCancel: Data->Cancel(); break;
        case nbRefresh: Data->Refresh(); break;
    }
    if (OnClick) OnClick(this, Which);
}

void TDBNavigator::UpdateButtons() {
    TDataSet* Data = FLink && FLink->Active() ? FLink->DataSet() : nullptr;
    const bool Editing = Data && (Data->State() == platform::data::dsEdit || Data->State() == platform::data::dsInsert);
    const bool CanModify = Data && Data->CanModify() && !FLink->ReadOnly();
    const int Row = Data ? Data->ActiveDisplayIndex() : -1;
    const int Count = Data ? Data->DisplayRecordCount() : 0;
    const bool CanBack = Data && !Data->Bof() && Row > 0;
    const bool CanForward = Data && !Data->Eof() && Row >= 0 && Row < Count - 1;
    const bool Enabled[kNavigateBtnCount] = {CanBack,   CanBack,
                                             CanForward, CanForward,
                                             CanModify, CanModify && !Data->IsEmpty(),
                                             CanModify && !Editing, CanModify && Editing,
                                             CanModify && Editing, Data && !Editing};
    for (int I = 0; I < kNavigateBtnCount; ++I) FButtons[I]->setEnabled(Enabled[I]);
}

void TDBNavigator::resizeEvent(QResizeEvent*) { Arrange(); }

void TDBNavigator::Arrange() {
    QList<QToolButton*> Shown;
    for (int I = 0; I < kNavigateBtnCount; ++I) {
        FButtons[I]->setVisible((FVisibleButtons >> I) & 1u);
        if ((FVisibleButtons >> I) & 1u) Shown << FButtons[I];
    }
    if (Shown.isEmpty()) return;
    // The width is shared out; the spare pixels go to the first buttons.
    const int Each = width() / Shown.size();
    int Spare = width() - Each * Shown.size();
    int X = 0;
    for (QToolButton* Button : Shown) {
        const int W = Each + (Spare-- > 0 ? 1 : 0);
        Button->setGeometry(X, 0, W, height());
        X += W;
    }
}

}  // namespace platform::ui
