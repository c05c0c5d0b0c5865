#include "databound/CamposWnd.h"

#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <memory>
#include <vector>

#include "controls/VexButton.h"
#include "controls/VexMessage.h"
#include "platform/ui/Fonts.h"

namespace databound {

using platform::ui::ColorFromRef;

namespace {

constexpr int kClientWidth = 360;
constexpr int kClientHeight = 330;
constexpr int kColumnRole = Qt::UserRole;
constexpr int kColorRole = Qt::UserRole + 1;
const QSize kSwatch(15, 11);

QPixmap Swatch(QColor Color) {
    QPixmap Picture(kSwatch);
    Picture.fill(Color);
    QPainter Painter(&Picture);
    Painter.setPen(Qt::black);
    Painter.drawRect(QRect(QPoint(0, 0), kSwatch - QSize(1, 1)));
    return Picture;
}

controls::TVexButton* AddButton(QWidget* Parent, const char* Name, const QRect& Bounds, int TabOrder) {
    auto* Button = new controls::TVexButton(Parent);
    Button->setObjectName(QString::fromLatin1(Name));
    Button->SetSkinName("button");
    Button->SetBounds(Bounds.x(), Bounds.y(), Bounds.width(), Bounds.height());
    Button->SetTabOrder(TabOrder);
    return Button;
}

// The combo entry showing Color: its named entry, else the custom one.
int ColorEntry(QColor Color) {
    if (!Color.isValid()) return 0;
    for (int I = 0; I < static_cast<int>(std::size(kNamedColors)); ++I)
        if (ColorFromRef(kNamedColors[I].Value) == Color) return I + 1;
    return 0;
}

}  // namespace

TfrmCamposWnd::TfrmCamposWnd(TVexDBGrid& Grid, QWidget* AOwner) : TCustomForm(AOwner), FGrid(Grid) {
    setObjectName(QStringLiteral("frmCamposWnd"));
    SetCaption(QString::fromUtf8(kColumnDialogCaption));
    SetFont(platform::ui::TFont(platform::ui::DefaultFont()));
    SetPosition(platform::ui::TPosition::poScreenCenter);
    SetClientSize(kClientWidth, kClientHeight);
    OnChooseColor = [this](QColor& Color) {
        const QColor Chosen = QColorDialog::getColor(Color, this);
        if (!Chosen.isValid()) return false;
        Color = Chosen;
        return true;
    };

    lblTexto = new QLabel(QString::fromUtf8(kColumnDialogText), this);
    lblTexto->setObjectName(QStringLiteral("lblTexto"));
    lblTexto->setWordWrap(true);
    lblTexto->setGeometry(8, 8, 344, 28);
    lstCampos = new QListWidget(this);
    lstCampos->setObjectName(QStringLiteral("lstCampos"));
    lstCampos->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstCampos->setGeometry(8, 40, 240, 216);
    platform::ui::SetTabOrder(lstCampos, 0);
    cbxCor = new QComboBox(this);
    cbxCor->setObjectName(QStringLiteral("cbxCor"));
    cbxCor->setIconSize(kSwatch);
    cbxCor->setGeometry(8, 264, 240, 22);
    platform::ui::SetTabOrder(cbxCor, 1);

    CreateActions();
    btnAcima = AddButton(this, "btnAcima", QRect(256, 40, 96, 23), 2);
    btnAcima->SetAction(actAcima);
    btnAbaixo = AddButton(this, "btnAbaixo", QRect(256, 68, 96, 23), 3);
    btnAbaixo->SetAction(actAbaixo);
    btnMostrar = AddButton(this, "btnMostrar", QRect(256, 104, 96, 23), 4);
    btnMostrar->SetAction(actMostrar);
    btnOcultar = AddButton(this, "btnOcultar", QRect(256, 132, 96, 23), 5);
    btnOcultar->SetAction(actOcultar);
    btnOK = AddButton(this, "btnOK", QRect(196, 298, 75, 23), 6);
    btnOK->SetCaption(QStringLiteral("OK"));
    btnOK->SetDefault(true);
    btnOK->SetModalResult(platform::ui::mrOk);
    btnCancelar = AddButton(this, "btnCancelar", QRect(277, 298, 75, 23), 7);
    btnCancelar->SetCaption(QStringLiteral("Cancelar"));
    btnCancelar->SetCancel(true);
    btnCancelar->SetModalResult(platform::ui::mrCancel);

    FillColorCombo();
    FillList();
    connect(lstCampos, &QListWidget::currentRowChanged, this, [this] { lstCamposCurrentChanged(); });
    connect(lstCampos, &QListWidget::itemChanged, this, [this] { UpdateActions(); });
    connect(cbxCor, &QComboBox::activated, this,
            [this](int Index) { platform::ui::RunGuarded([&] { cbxCorActivated(Index); }); });
    if (lstCampos->count() > 0) lstCampos->setCurrentRow(0);
    lstCamposCurrentChanged();
}

void TfrmCamposWnd::CreateActions() {
    alsCampos = new platform::ui::TActionList(this);
    alsCampos->setObjectName(QStringLiteral("alsCampos"));
    const auto Add = [this](const char* Name, const QString& Caption, std::function<void()> Run,
                            std::function<bool()> Enabled) {
        platform::ui::TAction* Action = alsCampos->Add(Name);
        Action->SetCaption(Caption);
        Action->OnExecute = [Run](QObject*) { Run(); };
        Action->OnUpdate = [Action, Enabled](QObject*) { Action->SetEnabled(Enabled()); };
        return Action;
    };
    const auto Current = [this] { return lstCampos->currentItem(); };
    actAcima = Add("actAcima", QStringLiteral("Mover para &cima"), [this] { MoveFocused(-1); },
                   [this] { return lstCampos->currentRow() > 0; });
    actAcima->SetShortCut(QKeySequence(Qt::CTRL | Qt::Key_Up));
    actAbaixo = Add("actAbaixo", QStringLiteral("Mover para &baixo"), [this] { MoveFocused(1); },
                    [this] {
                        const int Row = lstCampos->currentRow();
                        return Row >= 0 && Row < lstCampos->count() - 1;
                    });
    actAbaixo->SetShortCut(QKeySequence(Qt::CTRL | Qt::Key_Down));
    actMostrar = Add("actMostrar", QStringLiteral("&Mostrar"), [this] { TickSelected(true); },
                     [Current] { return Current() && Current()->checkState() != Qt::Checked; });
    actOcultar = Add("actOcultar", QStringLiteral("&Ocultar"), [this] { TickSelected(false); },
                     [Current] { return Current() && Current()->checkState() == Qt::Checked; });
}

void TfrmCamposWnd::FillColorCombo() {
    cbxCor->addItem(Swatch(FCustomColor), QString::fromUtf8(kCustomColorName), FCustomColor);
    for (const TNamedColor& Named : kNamedColors)
        cbxCor->addItem(Swatch(ColorFromRef(Named.Value)), QString::fromUtf8(Named.Name), ColorFromRef(Named.Value));
}

void TfrmCamposWnd::FillList() {
    for (int I = 0; I < FGrid.Columns().Count(); ++I) {
        const TColumn* Column = FGrid.Columns()[I];
        auto* Item = new QListWidgetItem(Column->Title().Caption(), lstCampos);
        Item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        Item->setCheckState(Column->Visible() ? Qt::Checked : Qt::Unchecked);
        Item->setData(kColumnRole, I);
        Item->setData(kColorRole, Column->Color() ? QVariant(*Column->Color()) : QVariant());
    }
}

TColumn* TfrmCamposWnd::ColumnOf(const QListWidgetItem* Item) const {
    return FGrid.Columns()[Item->data(kColumnRole).toInt()];
}

void TfrmCamposWnd::lstCamposCurrentChanged() {
    const QListWidgetItem* Item = lstCampos->currentItem();
    cbxCor->setCurrentIndex(Item ? ColorEntry(Item->data(kColorRole).value<QColor>()) : 0);
    UpdateActions();
}

void TfrmCamposWnd::SetCustomColor(QColor Value) {
    FCustomColor = Value;
    cbxCor->setItemIcon(0, Swatch(Value));
    cbxCor->setItemData(0, Value);
}

void TfrmCamposWnd::cbxCorActivated(int Index) {
    QColor Color = cbxCor->itemData(Index).value<QColor>();
    if (Index == 0) {
        if (!OnChooseColor || !OnChooseColor(Color)) {
            lstCamposCurrentChanged();
            return;
        }
        SetCustomColor(Color);
    }
    if (QListWidgetItem* Item = lstCampos->currentItem()) Item->setData(kColorRole, Color);
}

void TfrmCamposWnd::MoveFocused(int Step) {
    const int From = lstCampos->currentRow();
    const int To = From + Step;
    if (From < 0 || To < 0 || To >= lstCampos->count()) return;
    QListWidgetItem* Item = lstCampos->takeItem(From);
    lstCampos->insertItem(To, Item);
    lstCampos->setCurrentRow(To);
    UpdateActions();
}

void TfrmCamposWnd::TickSelected(bool Checked) {
    for (QListWidgetItem* Item : lstCampos->selectedItems()) Item->setCheckState(Checked ? Qt::Checked : Qt::Unchecked);
    UpdateActions();
}

void TfrmCamposWnd::Apply() {
    std::vector<std::pair<TColumn*, const QListWidgetItem*>> Ordered;
    for (int P = 0; P < lstCampos->count(); ++P) Ordered.emplace_back(ColumnOf(lstCampos->item(P)), lstCampos->item(P));
    for (int P = 0; P < static_cast<int>(Ordered.size()); ++P) {
        const auto& [Column, Item] = Ordered[P];
        Column->SetIndex(P);
        if (const QColor Color = Item->data(kColorRole).value<QColor>(); Color.isValid()) Column->SetColor(Color);
        Column->SetVisible(Item->checkState() == Qt::Checked);
    }
}

bool ShowColumnDialog(TVexDBGrid& Grid) {
    const std::unique_ptr<TfrmCamposWnd, controls::TFormReleaser> Form(new TfrmCamposWnd(Grid));
    if (Form->ShowModal() != platform::ui::mrOk) return false;
    Form->Apply();
    return true;
}

}  // namespace databound
