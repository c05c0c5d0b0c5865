#include "controls/VexMessageEx.h"

#include <QEvent>
#include <QScrollBar>
#include <algorithm>
#include <memory>

#include "controls/VexButton.h"
#include "controls/VexStoredSettings.h"
#include "platform/ui/Fonts.h"

namespace controls {

using platform::data::TField;

namespace {

// Pictures of the list, in this order: information, error, warning.
enum { giInformation, giError, giWarning };

QImage GridPicture(TDialogKind Kind) {
    return DialogKindIcon(Kind, 16).toImage().scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

platform::ui::TCustomDBGrid* MakeReadOnlyGrid(TfrmVexMessageEx& Form, QWidget* Parent) {
    auto* Grid = new platform::ui::TDBReadOnlyGrid(Parent);
    Grid->SetImages(Form.ilsVexMessageExGrid);
    Grid->OnGetImageIndex = [&Form](platform::ui::TDBReadOnlyGrid*, TField* Field, int& ImageIndex) {
        Form.grdMensagemGetImageIndex(Field, ImageIndex);
    };
    return Grid;
}

TVexButton* NewButton(QWidget* Parent, const QString& Name, int Left, int Top) {
    auto* Button = new TVexButton(Parent);
    Button->setObjectName(Name);
    Button->SetSkinName("button");
    Button->SetBounds(Left, Top, 76, 23);
    Button->SetAnchors(platform::ui::akRight | platform::ui::akBottom);
    return Button;
}

}  // namespace

TfrmVexMessageEx::TfrmVexMessageEx(QWidget* AOwner, const TMessageGridMaker& MakeGrid) : TCustomForm(AOwner) {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    SetCaption(QStringLiteral("Informação"));
    SetColor(platform::ui::SysColor(platform::ui::TSysColor::clBtnFace));
    SetFont(platform::ui::TFont(platform::ui::DefaultFont(), Qt::black));
    SetPosition(platform::ui::TPosition::poScreenCenter);
    setWindowIcon(QIcon(DialogKindIcon(dkInformation, 32)));
    SetClientSize(465, 284);
    // The designed minimum of 258 x 243 is the window with its frame.
    setMinimumSize(258 - 8, 243 - 27);

    imgTipo = new QLabel(this);
    imgTipo->setObjectName("imgTipo");
    imgTipo->setPixmap(DialogKindIcon(dkInformation, 48));
    platform::ui::SetBounds(imgTipo, 8, 8, 48, 48);
    Label1 = new QLabel(QStringLiteral("A operação realizada retornou as seguintes mensagens:"), this);
    Label1->setObjectName("Label1");
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    platform::ui::SetBounds(Label1, 72, 8, 385, 33);
    platform::ui::SetAnchors(Label1, platform::ui::akLeft | platform::ui::akTop | platform::ui::akRight);

    pnlMensagem = new QWidget(this);
    pnlMensagem->setObjectName("pnlMensagem");
    platform::ui::SetBounds(pnlMensagem, 72, 48, 385, 193);
    platform::ui::SetAnchors(pnlMensagem,
                             platform::ui::akLeft | platform::ui::akTop | platform::ui::akRight | platform::ui::akBottom);
    splMensagem = new QSplitter(Qt::Vertical, pnlMensagem);
    splMensagem->setObjectName("splMensagem");
    splMensagem->setHandleWidth(8);
    splMensagem->setChildrenCollapsible(false);
    platform::ui::SetAlign(splMensagem, platform::ui::TAlign::alClient);

    ilsVexMessageExGrid = new platform::ui::TImageList(this);
    ilsVexMessageExGrid->setObjectName("ilsVexMessageExGrid");
    for (TDialogKind Kind : {dkInformation, dkError, dkWarning}) ilsVexMessageExGrid->Add(GridPicture(Kind));

    CreateMessageTable();
    grdMensagem = (MakeGrid ? MakeGrid : MakeReadOnlyGrid)(*this, splMensagem);
    grdMensagem->setObjectName("grdMensagem");
    grdMensagem->SetDataSource(dsrMensagem);
    // The grid fills the panel: it is resized last, by the splitter.
    grdMensagem->installEventFilter(this);
    CreateDetailsPane();
    dsrMensagem->OnDataChange = [this](QObject*, TField*) { ShowDetailsOfCurrent(); };

    alsMessageEx = new platform::ui::TActionList(this);
    alsMessageEx->setObjectName("alsMessageEx");
    actDetalhes = alsMessageEx->Add("actDetalhes");
    actDetalhes->SetCaption(QStringLiteral("&Detalhes"));
    actDetalhes->SetAutoCheck(true);
    actDetalhes->OnExecute = [this](QObject* Sender) { actDetalhesExecute(Sender); };
    actDetalhes->OnUpdate = [this](QObject* Sender) { actDetalhesUpdate(Sender); };

    btnOk = NewButton(this, "btnOk", 288, 252);
    btnOk->SetCaption(QStringLiteral("OK"));
    btnOk->SetDefault(true);
    btnOk->SetCancel(true);
    btnOk->SetModalResult(platform::ui::mrOk);
    btnDetalhes = NewButton(this, "btnDetalhes", 376, 251);
    btnDetalhes->SetGroupIndex(1);
    btnDetalhes->SetAllowAllUp(true);
    btnDetalhes->SetAction(actDetalhes);
    FormCreate();
}

TfrmVexMessageEx::~TfrmVexMessageEx() {
    FormDestroy();
    // The grid and the memo are told nothing more once the table goes.
    dsrMensagem->SetDataSet(nullptr);
}

void TfrmVexMessageEx::CreateMessageTable() {
    cdsMensagem = new platform::data::TClientDataSet(this);
    cdsMensagem->setObjectName("cdsMensagem");
    auto* Tipo = new TField(cdsMensagem, "Tipo", platform::data::ftBoolean, 0, platform::data::fkCalculated);
    Tipo->SetDisplayLabel(" ");
    Tipo->SetDisplayWidth(3);
    Tipo->SetReadOnly(true);
    auto* Kind = new TField(cdsMensagem, "MessageDlgType", platform::data::ftInteger);
    Kind->SetDisplayWidth(3);
    Kind->SetVisible(false);
    auto* Text = new TField(cdsMensagem, "Mensagem", platform::data::ftMemo);
    Text->SetDisplayWidth(50);
    auto* Details = new TField(cdsMensagem, "Detalhes", platform::data::ftMemo);
    Details->SetVisible(false);
    cdsMensagem->OnCalcFields = [](platform::data::TDataSet* DataSet) {
        DataSet->FieldByName("Tipo")->SetAsBoolean(false);
    };
    cdsMensagem->CreateDataSet();
    dsrMensagem = new platform::data::TDataSource(this);
    dsrMensagem->setObjectName("dsrMensagem");
    dsrMensagem->SetDataSet(cdsMensagem);
}

void TfrmVexMessageEx::CreateDetailsPane() {
    pnlDetalhes = new QWidget(splMensagem);
    pnlDetalhes->setObjectName("pnlDetalhes");
    pnlDetalhes->setMinimumHeight(55);
    pnlDetalhes->resize(385, 55);
    const TDetailsPaneParts Parts = FillDetailsPane(pnlDetalhes, "Label2", "Bevel1", "mmoDetalhes");
    Label2 = Parts.Label;
    Bevel1 = Parts.Bevel;
    mmoDetalhes = Parts.Memo;
    splMensagem->addWidget(pnlDetalhes);
    splMensagem->setStretchFactor(0, 1);
    splMensagem->setStretchFactor(1, 0);
    splMensagem->setSizes({193 - 55 - 8, 55});
    pnlDetalhes->hide();
}

void TfrmVexMessageEx::FormCreate() {
    grdMensagem->SetScrollBars(platform::ui::TScrollStyle::ssNone);
    const std::unique_ptr<TStoredSettings> Settings = OpenStoredSettings(kMessageWindowSettingsKey);
    if (!Settings) return;
    resize(Settings->ReadInteger("Form", "Width", width()), Settings->ReadInteger("Form", "Height", height()));
    SetDetailsHeight(Settings->ReadInteger("Detalhes", "Height", pnlDetalhes->height()));
    pnlDetalhes->setVisible(Settings->ReadBool("Detalhes", "Visible", false));
    actDetalhesUpdate(actDetalhes);
}

void TfrmVexMessageEx::FormDestroy() {
    const std::unique_ptr<TStoredSettings> Settings = OpenStoredSettings(kMessageWindowSettingsKey);
    if (!Settings) return;
    Settings->WriteInteger("Form", "Width", width());
    Settings->WriteInteger("Form", "Height", height());
    Settings->WriteInteger("Detalhes", "Height", pnlDetalhes->height());
    Settings->WriteBool("Detalhes", "Visible", pnlDetalhes->isVisibleTo(this));
}

void TfrmVexMessageEx::SetDetailsHeight(int Height) {
    pnlDetalhes->resize(pnlDetalhes->width(), Height);
    splMensagem->setSizes({std::max(0, splMensagem->height() - Height - splMensagem->handleWidth()), Height});
}

void TfrmVexMessageEx::ShowDetailsOfCurrent() {
    const bool HasRecord = cdsMensagem->Active() && !cdsMensagem->IsEmpty();
    mmoDetalhes->setPlainText(HasRecord ? cdsMensagem->FieldByName("Detalhes")->AsString() : QString());
}

void TfrmVexMessageEx::AddMessages(const std::vector<TMessageItem>& Items) {
    cdsMensagem->DisableControls();
    for (const TMessageItem& Item : Items) {
        cdsMensagem->Append();
        cdsMensagem->FieldByName("MessageDlgType")->SetAsInteger(Item.Kind);
        cdsMensagem->FieldByName("Mensagem")->SetAsString(Item.Msg);
        cdsMensagem->FieldByName("Detalhes")->SetAsString(Item.Details);
        cdsMensagem->Post();
    }
    cdsMensagem->First();
    cdsMensagem->EnableControls();
}

void TfrmVexMessageEx::grdMensagemGetImageIndex(const TField* Field, int& ImageIndex) {
    if (Field->FieldName() != QLatin1String("Tipo")) return;
    switch (cdsMensagem->FieldByName("MessageDlgType")->AsInteger()) {
        case dkWarning: ImageIndex = giWarning; break;
        case dkError: ImageIndex = giError; break;
        case dkInformation: ImageIndex = giInformation; break;
        default: break;
    }
}

void TfrmVexMessageEx::actDetalhesExecute(QObject*) {
    // The splitter shows its handle only above a visible pane.
    pnlDetalhes->setVisible(actDetalhes->Checked());
}

void TfrmVexMessageEx::actDetalhesUpdate(QObject*) { actDetalhes->SetChecked(pnlDetalhes->isVisibleTo(this)); }

void TfrmVexMessageEx::pnlMensagemResize() {
    platform::ui::TDBGridColumns& Columns = grdMensagem->Columns();
    const int Tipo = Columns.IndexOfField("Tipo");
    const int Mensagem = Columns.IndexOfField("Mensagem");
    if (Tipo < 0 || Mensagem < 0) return;
    Columns[Mensagem]->SetWidth(grdMensagem->ClientAreaWidth() - Columns[Tipo]->Width() - 16);
}

bool TfrmVexMessageEx::eventFilter(QObject* Watched, QEvent* Event) {
    if (grdMensagem && Watched == grdMensagem && Event->type() == QEvent::Resize) pnlMensagemResize();
    return TCustomForm::eventFilter(Watched, Event);
}

int ShowMessageList(const std::vector<TMessageItem>& Items, const TMessageGridMaker& MakeGrid) {
    const std::unique_ptr<TfrmVexMessageEx, TFormReleaser> Form(new TfrmVexMessageEx(nullptr, MakeGrid));
    Form->AddMessages(Items);
    Form->pnlMensagemResize();
    Form->grdMensagem->SetSelectedField(Form->cdsMensagem->FieldByName("Mensagem"));
    return Form->ShowModal();
}

}  // namespace controls
