#include "databound/ConfigNumeracaoFra.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <exception>

#include "controls/VexButton.h"
#include "controls/VexDataLabel.h"
#include "controls/VexMessage.h"
#include "controls/VexPageControl.h"
#include "controls/VexPanels.h"
#include "dataaccess/TabelasSistema.h"
#include "dataaccess/VexHost.h"
#include "dataaccess/VexSession.h"
#include "databound/ConfigNumeracaoRes.h"
#include "databound/Numeracao.h"
#include "databound/VexDBCombo.h"
#include "databound/VexDBDataLabel.h"
#include "databound/VexDBGrid.h"
#include "databound/VexDivisao.h"
#include "platform/data/ADODataSet.h"
#include "platform/data/DBClient.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/os/Exceptions.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/DBCtrls.h"
#include "platform/ui/Fonts.h"
#include "platform/ui/Graphics.h"

namespace databound {

using namespace platform::data;
using controls::ButtonSet;
using controls::dbCancel;
using controls::dbNo;
using controls::dbOK;
using controls::dbYes;
using platform::os::EAbort;
using platform::ui::mrCancel;
using platform::ui::mrOk;
using platform::ui::mrYes;

namespace {

const char* const kStoredRowsSql =
    "Select\r\n  Nmr.IdNumeracao,\r\n  Nmr.IdEmpresa_Sistema,\r\n  Nmr.Chave,\r\n  Nmr.Campo,\r\n"
    "  Nmr.Opcao_Zeramento,\r\n  Nmr.Mascara,\r\n  Nmr.Quantidade_Digitos\r\nFrom\r\n  sys_Numeracao Nmr\r\n"
    "Where\r\n  Nmr.Chave like :Chave";
const char* const kStoredItemsSql =
    "Select\r\n  Nit.IdNumeracao_Item, \r\n  Nit.IdNumeracao, \r\n  Nit.Numero, \r\n  Nit.Dia, \r\n  Nit.Mes, \r\n"
    "  Nit.Ano\r\nFrom\r\n  sys_Numeracao_Item Nit\r\nLeft Outer Join\r\n"
    "  sys_Numeracao Nmr on Nit.IdNumeracao = Nmr.IdNumeracao\r\nWhere\r\n  (Nmr.Chave like :Chave)\r\n  ";

constexpr int kClientWidth = 323;
constexpr int kClientHeight = 367;
constexpr int kExampleNumber = 13;
const QColor kTokenHot(0, 0, 128);

struct TToken {
    const char* Caption;
    const char* Text;
};
const TToken kTokens[] = {{"Número", "[Numero]"}, {"Dia - D", "[D]"},   {"Dia - DD", "[DD]"},    {"Mês - M", "[M]"},
                          {"Mês - MM", "[MM]"},   {"Ano - YY", "[YY]"}, {"Ano - YYYY", "[YYYY]"}};

// A label that runs OnClick and turns navy while the mouse is over it.
class TTokenLabel : public QLabel {
public:
    TTokenLabel(const QString& Caption, QWidget* Parent) : QLabel(Caption, Parent) { setCursor(Qt::PointingHandCursor); }
    std::function<void()> OnClick;

protected:
    void mouseReleaseEvent(QMouseEvent*) override {
        if (OnClick) OnClick();
    }
    void enterEvent(QEnterEvent*) override { SetTextColor(kTokenHot); }
    void leaveEvent(QEvent*) override { SetTextColor(palette().color(QPalette::WindowText)); }

private:
    void SetTextColor(QColor Color) { setStyleSheet(QString("color: %1").arg(Color.name())); }
};

bool Warn(const QString& Text) {
    controls::ShowMessageDialog(Text, QString(), controls::dkWarning, ButtonSet({dbOK}), 0, 0,
                                controls::AutoCancelResult);
    return false;
}

int Ask(const QString& Text, controls::TDialogButtons Buttons) {
    return controls::ShowMessageDialog(Text, QString(), controls::dkConfirmation, Buttons, 0, 0,
                                       controls::AutoCancelResult);
}

TField* AddField(TDataSet* DataSet, const char* Name, TFieldType Type, int Size = 0, const QString& Label = {}) {
    auto* Field = new TField(DataSet, QString::fromLatin1(Name), Type, Size);
    if (!Label.isEmpty()) Field->SetDisplayLabel(Label);
    return Field;
}

QLabel* AddText(QWidget* Parent, const char* Name, const QString& Text, const QRect& Bounds) {
    auto* Label = new QLabel(Text, Parent);
    Label->setObjectName(QString::fromLatin1(Name));
    Label->setGeometry(Bounds);
    return Label;
}

controls::TVexLabel* AddCaption(QWidget* Parent, const char* Name, const QString& Caption, QWidget* Control) {
    auto* Label = new controls::TVexLabel(Parent);
    Label->setObjectName(QString::fromLatin1(Name));
    Label->SetCaption(Caption);
    Label->SetControl(Control);
    return Label;
}

// A caption from the field's display label, without a division.
TVexDBLabel* AddDataLabel(QWidget* Parent, const char* Name, TDataSource* Source, const char* Field,
                          QWidget* Control) {
    auto* Label = new TVexDBLabel(Parent);
    Label->setObjectName(QString::fromLatin1(Name));
    Label->SetControl(Control);
    Label->SetDataSource(Source);
    Label->SetField(Source->DataSet()->FieldByName(QString::fromLatin1(Field)));
    return Label;
}

controls::TVexButton* AddButton(QWidget* Parent, const char* Name, const QString& Caption, int Left, int TabOrder) {
    auto* Button = new controls::TVexButton(Parent);
    Button->setObjectName(QString::fromLatin1(Name));
    Button->SetCaption(Caption);
    Button->SetBounds(Left, kClientHeight - 31, 75, 25);
    Button->SetTabOrder(TabOrder);
    return Button;
}

// The period of Date that a reset option tells apart: {day, month, year}, 0 where it is ignored.
std::array<int, 3> PeriodOf(const QDate& Date, int Opcao_Zeramento) {
    switch (Opcao_Zeramento) {
    case kZeramentoDiario: return {Date.day(), Date.month(), Date.year()};
    case kZeramentoMensal: return {0, Date.month(), Date.year()};
    case kZeramentoAnual: return {0, 0, Date.year()};
    default: return {0, 0, 0};
    }
}

bool IsEditing(const TDataSet* DataSet) { return DataSet->State() == dsEdit || DataSet->State() == dsInsert; }

}  // namespace

void RegisterNumberingDialog() {
    dataaccess::SetNumberingDialog([](const QString& Chave, const std::vector<dataaccess::TNumberedField>& Fields) {
        TConfigNumeracao Config(Chave);
        for (const dataaccess::TNumberedField& F : Fields)
            Config.AddItem(F.Campo, F.Caption, F.Opcao_Zeramento, F.Quantidade_Digitos, F.Mascara, F.Automatica);
        ConfigurarNumeracao(Config);
    });
}

// Both datasets as they stood when the save began: the rows are written from these, never from the live view.
struct TfrmConfigNumeracao::TWorkingCopy {
    TDataPacket Rows;
    TDataPacket Items;
    QVariant Value(const TDataPacket& Packet, const TDataPacket::TRow& Row, const char* Name) const {
        return Row.Values.at(Packet.FieldDefs.IndexOf(QString::fromLatin1(Name)));
    }
};

void TConfigNumeracao::AddItem(const QString& Campo, const QString& Caption, int Opcao_Zeramento,
                               int Quantidade_Digitos, const QString& Mascara, bool Automatica) {
    FItems.push_back({Campo, Caption, Opcao_Zeramento, Quantidade_Digitos, Mascara, Automatica});
}

void ConfigurarNumeracao(const TConfigNumeracao& Config) {
    if (Config.Count() == 0) {
        Warn(kNoNumberedField);
        return;
    }
    std::unique_ptr<TfrmConfigNumeracao, controls::TFormReleaser> Form(new TfrmConfigNumeracao());
    Form->LoadConfig(Config);
    Form->ShowModal();
}

TfrmConfigNumeracao::TfrmConfigNumeracao(QWidget* AOwner)
    : TCustomForm(AOwner),
      FNumeracao(dataaccess::CreateClasseTabela<TNumeracao>(this)),
      FNumeracaoItem(dataaccess::CreateClasseTabela<TNumeracaoItem>(this)) {
    setObjectName(QStringLiteral("frmConfigNumeracao"));
    SetCaption(kConfigNumeracaoCaption);
    SetFont(platform::ui::TFont(platform::ui::MakeFont(QStringLiteral("Tahoma"), 8, false)));
    SetPosition(platform::ui::TPosition::poScreenCenter);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    BuildDataSets();
    BuildLayout();
    SetClientSize(kClientWidth, kClientHeight);
    setFixedSize(size());
}

TfrmConfigNumeracao::~TfrmConfigNumeracao() {
    // The controls must not hear the datasets going away.
    dtsNumeracao->SetDataSet(nullptr);
    dtsNumeracaoItem->SetDataSet(nullptr);
}

void TfrmConfigNumeracao::BuildDataSets() {
    cdsNumeracao = new TClientDataSet(this);
    cdsNumeracao->SetName(QStringLiteral("cdsNumeracao"));
    AddField(cdsNumeracao, "IdTemp", ftInteger);
    AddField(cdsNumeracao, "IdNumeracao", ftInteger);
    AddField(cdsNumeracao, "IdEmpresa_Sistema", ftInteger);
    AddField(cdsNumeracao, "Campo", ftString, 50);
    AddField(cdsNumeracao, "Mascara", ftString, 25, QStringLiteral("Máscara"));
    AddField(cdsNumeracao, "Opcao_Zeramento", ftWord, 0, QStringLiteral("Zeramento"));
    TField* Digitos = AddField(cdsNumeracao, "Quantidade_Digitos", ftWord, 0, QStringLiteral("Dígitos"));
    Digitos->SetDisplayFormat(QStringLiteral("0"));
    Digitos->SetEditFormat(QStringLiteral("0"));
    for (const char* Name : {"Configurado", "Automatica", "Alterado"}) AddField(cdsNumeracao, Name, ftBoolean);
    cdsNumeracao->CreateDataSet();
    dtsNumeracao = new TDataSource(this);
    dtsNumeracao->SetDataSet(cdsNumeracao);

    cdsNumeracaoItem = new TClientDataSet(this);
    cdsNumeracaoItem->SetName(QStringLiteral("cdsNumeracaoItem"));
    AddField(cdsNumeracaoItem, "IdNumeracao_Item", ftInteger);
    AddField(cdsNumeracaoItem, "IdTemp", ftInteger);
    AddField(cdsNumeracaoItem, "Numero", ftInteger, 0, QStringLiteral("Número"));
    AddField(cdsNumeracaoItem, "Dia", ftWord);
    AddField(cdsNumeracaoItem, "Mes", ftWord, 0, QStringLiteral("Mês"));
    AddField(cdsNumeracaoItem, "Ano", ftWord);
    AddField(cdsNumeracaoItem, "Alterado", ftBoolean);
    AddField(cdsNumeracaoItem, "Excluido", ftBoolean);
    cdsNumeracaoItem->SetIndexFieldNames(QStringLiteral("IdTemp"));
    cdsNumeracaoItem->SetMasterSource(dtsNumeracao);
    cdsNumeracaoItem->SetMasterFields(QStringLiteral("IdTemp"));
    cdsNumeracaoItem->SetFilter(QStringLiteral("not Excluido"));
    cdsNumeracaoItem->SetFiltered(true);
    cdsNumeracaoItem->CreateDataSet();
    dtsNumeracaoItem = new TDataSource(this);
    dtsNumeracaoItem->SetDataSet(cdsNumeracaoItem);

    dstNumeracao = new TADOQuery(this);
    dstNumeracao->SetName(QStringLiteral("dstNumeracao"));
    dstNumeracao->SetSQL(kStoredRowsSql);
    dstNumeracaoItem = new TADOQuery(this);
    dstNumeracaoItem->SetName(QStringLiteral("dstNumeracaoItem"));
    dstNumeracaoItem->SetSQL(kStoredItemsSql);

    // Any change the user makes marks the row for the save.
    for (const char* Name : {"Mascara", "Opcao_Zeramento", "Quantidade_Digitos", "Configurado"})
        cdsNumeracao->FieldByName(Name)->OnChange = [this](TField*) {
            if (!FLoading) cdsNumeracao->FieldByName("Alterado")->SetAsBoolean(true);
            UpdateControls();
        };
    for (const char* Name : {"Numero", "Dia", "Mes", "Ano"})
        cdsNumeracaoItem->FieldByName(Name)->OnChange = [this](TField*) {
            if (!FLoading) cdsNumeracaoItem->FieldByName("Alterado")->SetAsBoolean(true);
        };
    cdsNumeracao->OnNewRecord = [this](TDataSet*) { cdsNumeracaoNewRecord(); };
    cdsNumeracao->BeforePost = [this](TDataSet*) { cdsNumeracaoBeforePost(); };
    cdsNumeracao->AfterEdit = [this](TDataSet*) {
        FOpcaoAoEditar = cdsNumeracao->FieldByName("Opcao_Zeramento")->AsInteger();
    };
    cdsNumeracaoItem->OnNewRecord = [this](TDataSet*) { cdsNumeracaoItemNewRecord(); };
    dtsNumeracao->OnDataChange = [this](QObject*, TField* Field) {
        if (!Field) UpdateControls();
    };
}

void TfrmConfigNumeracao::BuildLayout() {
    lblSelecione = AddText(this, "lblSelecione", QStringLiteral("Selecione o campo e a empresa:"),
                           QRect(8, 8, 307, 14));
    cbxCampo = new QComboBox(this);
    cbxCampo->setObjectName(QStringLiteral("cbxCampo"));
    cbxCampo->setGeometry(8, 44, 150, 21);
    platform::ui::SetTabOrder(cbxCampo, 0);
    cbxEmpresa = new QComboBox(this);
    cbxEmpresa->setObjectName(QStringLiteral("cbxEmpresa"));
    cbxEmpresa->setGeometry(165, 44, 150, 21);
    platform::ui::SetTabOrder(cbxEmpresa, 1);
    lblCampo = AddCaption(this, "lblCampo", QStringLiteral("Campo"), cbxCampo);
    lblEmpresa = AddCaption(this, "lblEmpresa", QStringLiteral("Empresa"), cbxEmpresa);
    QObject::connect(cbxCampo, &QComboBox::currentIndexChanged, this, [this] { SelectionChanged(cbxCampo); });
    QObject::connect(cbxEmpresa, &QComboBox::currentIndexChanged, this, [this] { SelectionChanged(cbxEmpresa); });

    alsConfig = new platform::ui::TActionList(this);
    actConfigurarNumeracao = alsConfig->Add(QStringLiteral("actConfigurarNumeracao"));
    actConfigurarNumeracao->SetCaption(QStringLiteral("Configurar numeração para este campo e empresa"));
    actConfigurarNumeracao->OnExecute = [this](QObject*) { actConfigurarNumeracaoExecute(); };
    chkConfigurarNumeracao = new controls::TVexButton(this);
    chkConfigurarNumeracao->setObjectName(QStringLiteral("chkConfigurarNumeracao"));
    chkConfigurarNumeracao->SetSkinName(QStringLiteral("check"));
    chkConfigurarNumeracao->SetAllowAllUp(true);
    chkConfigurarNumeracao->SetGroupIndex(1);
    chkConfigurarNumeracao->SetAction(actConfigurarNumeracao);
    chkConfigurarNumeracao->SetBounds(8, 76, 307, 17);
    chkConfigurarNumeracao->SetTabOrder(2);

    pctConfigNumeracao = new controls::TVexPageControl(this);
    pctConfigNumeracao->setObjectName(QStringLiteral("pctConfigNumeracao"));
    pctConfigNumeracao->SetBounds(8, 100, 307, 228);
    pctConfigNumeracao->SetTabOrder(3);
    tshConfiguracao = pctConfigNumeracao->AddPage(QStringLiteral("Configuração"));
    tshConfiguracao->setObjectName(QStringLiteral("tshConfiguracao"));
    tshValores = pctConfigNumeracao->AddPage(QStringLiteral("Valores"));
    tshValores->setObjectName(QStringLiteral("tshValores"));
    pctConfigNumeracao->OnChanging = [this](QObject*, bool& AllowChange) { AllowChange = PostPending(); };
    pctConfigNumeracao->OnChange = [this](QObject*) { UpdateCounterColumns(); };

    pnlConfiguracao = new controls::TVexPanel(tshConfiguracao);
    pnlConfiguracao->setObjectName(QStringLiteral("pnlConfiguracao"));
    pnlConfiguracao->SetAlign(platform::ui::TAlign::alClient);

    // Both edits feed the example as the user types.
    auto AddEdit = [this](const char* Name, const char* Field, const QRect& Bounds, int TabOrder) {
        auto* Edit = new platform::ui::TDBEdit(pnlConfiguracao);
        Edit->setObjectName(QString::fromLatin1(Name));
        Edit->setGeometry(Bounds);
        Edit->setFrame(false);
        Edit->SetDataSource(dtsNumeracao);
        Edit->SetDataField(QString::fromLatin1(Field));
        Edit->SetTabOrder(TabOrder);
        QObject::connect(Edit, &QLineEdit::textChanged, this, [this] { UpdateExample(); });
        return Edit;
    };
    edtMascara = AddEdit("edtMascara", "Mascara", QRect(8, 24, 180, 21), 0);
    edtDigitos = AddEdit("edtDigitos", "Quantidade_Digitos", QRect(196, 24, 50, 21), 1);
    cbxZeramento = new TVexDBComboBox(pnlConfiguracao);
    cbxZeramento->setObjectName(QStringLiteral("cbxZeramento"));
    cbxZeramento->setGeometry(8, 68, 120, 21);
    cbxZeramento->SetItems({"0", "1", "2", "3"});
    cbxZeramento->SetItemsEx({QStringLiteral("Nunca"), QStringLiteral("Diário"), QStringLiteral("Mensal"),
                              QStringLiteral("Anual")});
    cbxZeramento->SetDataSource(dtsNumeracao);
    cbxZeramento->SetDataField(QStringLiteral("Opcao_Zeramento"));
    cbxZeramento->SetTabOrder(2);
    lblMascara = AddDataLabel(pnlConfiguracao, "lblMascara", dtsNumeracao, "Mascara", edtMascara);
    lblDigitos = AddDataLabel(pnlConfiguracao, "lblDigitos", dtsNumeracao, "Quantidade_Digitos", edtDigitos);
    lblZeramento = AddDataLabel(pnlConfiguracao, "lblZeramento", dtsNumeracao, "Opcao_Zeramento", cbxZeramento);

    lblExemploTxt = AddText(pnlConfiguracao, "lblExemploTxt", QStringLiteral("Exemplo com nº 13:"),
                            QRect(136, 72, 160, 14));
    lblExemplo = AddText(pnlConfiguracao, "lblExemplo", kEmptyExample, QRect(136, 88, 155, 14));
    lblExemplo->setFont(platform::ui::MakeFont(QStringLiteral("Tahoma"), 8, true));

    pnlTokens = new QWidget(pnlConfiguracao);
    pnlTokens->setObjectName(QStringLiteral("pnlTokens"));
    pnlTokens->setGeometry(8, 100, 287, 92);
    pnlTokens->setAutoFillBackground(true);
    for (size_t I = 0; I < std::size(kTokens); ++I) {
        auto* Label = new TTokenLabel(QString::fromUtf8(kTokens[I].Caption), pnlTokens);
        Label->setObjectName(QStringLiteral("lblToken%1").arg(I));
        // Número alone on the first line, then day, month and year in pairs.
        const int Row = I == 0 ? 0 : static_cast<int>((I + 1) / 2);
        const int Col = I == 0 ? 0 : static_cast<int>((I + 1) % 2);
        Label->setGeometry(8 + Col * 140, 6 + Row * 21, 130, 16);
        const QString Token = QString::fromLatin1(kTokens[I].Text);
        Label->OnClick = [this, Token] { InsertToken(Token); };
        TokenLabels.push_back(Label);
    }

    grdNumeracaoItem = new TVexDBGrid(tshValores);
    grdNumeracaoItem->setObjectName(QStringLiteral("grdNumeracaoItem"));
    grdNumeracaoItem->SetAlign(platform::ui::TAlign::alClient);
    grdNumeracaoItem->SetDataSource(dtsNumeracaoItem);
    // Counters are edited in place, added with Insert and removed with Ctrl+Delete.
    grdNumeracaoItem->SetOptions(grdNumeracaoItem->Options() | platform::ui::dgEditing);
    grdNumeracaoItem->SetAtalhosEdicao(true);
    const std::pair<const char*, int> kColumns[] = {{"Numero", 70}, {"Dia", 50}, {"Mes", 50}, {"Ano", 50}};
    for (const auto& [Name, Width] : kColumns) {
        platform::ui::TColumn* Column = grdNumeracaoItem->Columns().Add();
        Column->SetFieldName(QString::fromLatin1(Name));
        Column->SetWidth(Width);
        Column->SetReadOnly(QByteArray(Name) != "Numero");
    }

    btnOK = AddButton(this, "btnOK", QStringLiteral("OK"), kClientWidth - 8 - 75 - 6 - 75, 4);
    btnOK->SetDefault(true);
    btnOK->OnClick = [this](QObject*) { btnOKClick(); };
    btnCancelar = AddButton(this, "btnCancelar", QStringLiteral("Cancelar"), kClientWidth - 8 - 75, 5);
    btnCancelar->SetCancel(true);
    btnCancelar->SetModalResult(mrCancel);
}

void TfrmConfigNumeracao::LoadConfig(const TConfigNumeracao& Config) {
    FConfig = std::make_unique<TConfigNumeracao>(Config);
    FLoading = true;
    {
        const auto Done = qScopeGuard([this] { FLoading = false; });
        cbxEmpresa->clear();
        cbxEmpresa->addItem(kAllCompanies, 0);
        std::unique_ptr<dataaccess::TEmpresaSistema> Empresas(
            dataaccess::CreateClasseTabela<dataaccess::TEmpresaSistema>());
        Empresas->Load(QStringList(), QVariantList());
        for (TDataSet* Rows = Empresas->DataSet(); !Rows->Eof(); Rows->Next())
            cbxEmpresa->addItem(Rows->FieldByName("Nome")->AsString(),
                                Rows->FieldByName("IdEmpresa_Sistema")->AsInteger());
        cbxEmpresa->setCurrentIndex(0);
        cbxCampo->clear();
        for (int I = 0; I < FConfig->Count(); ++I) cbxCampo->addItem(FConfig->Items(I).Caption, I);
        if (cbxCampo->count() > 0) cbxCampo->setCurrentIndex(0);
        ReadStoredRows();
    }
    ShowSelection();
}

void TfrmConfigNumeracao::ReadStoredRows() {
    for (TADOQuery* Query : {dstNumeracao, dstNumeracaoItem}) {
        dataaccess::AssignConnection(Query);
        Query->Parameters().ParamByName(QStringLiteral("Chave")).SetValue(FConfig->Chave());
        Query->Open();
    }
    const auto Close = qScopeGuard([this] {
        dstNumeracao->Close();
        dstNumeracaoItem->Close();
    });
    for (dstNumeracao->First(); !dstNumeracao->Eof(); dstNumeracao->Next()) {
        const QString Campo = dstNumeracao->FieldByName("Campo")->AsString();
        const int Empresa = dstNumeracao->FieldByName("IdEmpresa_Sistema")->AsInteger();
        bool Automatica = false;
        for (int I = 0; I < FConfig->Count() && Empresa == 0; ++I)
            if (FConfig->Items(I).Campo.compare(Campo, Qt::CaseInsensitive) == 0)
                Automatica = FConfig->Items(I).Automatica;
        const int IdNumeracao = dstNumeracao->FieldByName("IdNumeracao")->AsInteger();
        cdsNumeracao->AppendRecord({FNextIdTemp, IdNumeracao, Empresa, Campo,
                                    dstNumeracao->FieldByName("Mascara")->AsString(),
                                    dstNumeracao->FieldByName("Opcao_Zeramento")->AsInteger(),
                                    dstNumeracao->FieldByName("Quantidade_Digitos")->AsInteger(), true, Automatica,
                                    false});
        for (dstNumeracaoItem->First(); !dstNumeracaoItem->Eof(); dstNumeracaoItem->Next()) {
            if (dstNumeracaoItem->FieldByName("IdNumeracao")->AsInteger() != IdNumeracao) continue;
            cdsNumeracaoItem->AppendRecord({dstNumeracaoItem->FieldByName("IdNumeracao_Item")->AsInteger(),
                                            FNextIdTemp, dstNumeracaoItem->FieldByName("Numero")->AsInteger(),
                                            dstNumeracaoItem->FieldByName("Dia")->AsInteger(),
                                            dstNumeracaoItem->FieldByName("Mes")->AsInteger(),
                                            dstNumeracaoItem->FieldByName("Ano")->AsInteger(), false, false});
        }
        ++FNextIdTemp;
    }
}

int TfrmConfigNumeracao::CurrentCompany() const { return cbxEmpresa->currentData().toInt(); }

void TfrmConfigNumeracao::ShowSelection() {
    if (!FConfig || cbxCampo->currentIndex() < 0) return;
    const dataaccess::TNumberedField& Item = FConfig->Items(cbxCampo->currentData().toInt());
    const bool AutomaticForAll = CurrentCompany() == 0 && Item.Automatica;
    FDefaults = AutomaticForAll ? TRowDefaults{Item.Mascara, Item.Quantidade_Digitos, Item.Opcao_Zeramento, true}
                                : TRowDefaults{};
    FCheckEnabled = !AutomaticForAll;
    if (!cdsNumeracao->Locate(QStringLiteral("IdEmpresa_Sistema;Campo"), QVariantList{CurrentCompany(), Item.Campo},
                              loCaseInsensitive))
        cdsNumeracao->Append();
    FOpcaoAoEditar = cdsNumeracao->FieldByName("Opcao_Zeramento")->AsInteger();
    UpdateControls();
    UpdateCounterColumns();
}

void TfrmConfigNumeracao::SelectionChanged(QComboBox* Sender) {
    if (FLoading) return;
    if (!PostPending()) {
        // Back to the entry of the row that could not be posted.
        const QSignalBlocker Quiet(Sender);
        const int Index = Sender == cbxEmpresa
                              ? cbxEmpresa->findData(cdsNumeracao->FieldByName("IdEmpresa_Sistema")->AsInteger())
                              : [this] {
                                    const QString Campo = cdsNumeracao->FieldByName("Campo")->AsString();
                                    for (int I = 0; I < FConfig->Count(); ++I)
                                        if (FConfig->Items(I).Campo.compare(Campo, Qt::CaseInsensitive) == 0)
                                            return cbxCampo->findData(I);
                                    return -1;
                                }();
        Sender->setCurrentIndex(Index);
        return;
    }
    ShowSelection();
}

bool TfrmConfigNumeracao::PostPending() {
    try {
        if (IsEditing(cdsNumeracaoItem)) cdsNumeracaoItem->Post();
        if (IsEditing(cdsNumeracao)) cdsNumeracao->Post();
        return true;
    } catch (const EAbort&) {
        return false;
    } catch (const std::exception& E) {
        controls::ShowMessageDialog(QString::fromUtf8(E.what()), QString(), controls::dkError, ButtonSet({dbOK}), 0,
                                    0, controls::AutoCancelResult);
        return false;
    }
}

void TfrmConfigNumeracao::UpdateControls() {
    const bool Configurado = cdsNumeracao->Active() && cdsNumeracao->FieldByName("Configurado")->AsBoolean();
    actConfigurarNumeracao->SetChecked(Configurado);
    actConfigurarNumeracao->SetEnabled(FCheckEnabled);
    const QColor Color = platform::ui::SysColor(Configurado ? platform::ui::TSysColor::clWindow
                                                            : platform::ui::TSysColor::clBtnFace);
    std::vector<QWidget*> Editors{edtMascara, edtDigitos, cbxZeramento, pnlTokens, grdNumeracaoItem};
    Editors.insert(Editors.end(), TokenLabels.begin(), TokenLabels.end());
    for (QWidget* Editor : Editors) {
        Editor->setEnabled(Configurado);
        QPalette Palette = Editor->palette();
        Palette.setColor(QPalette::Base, Color);
        Palette.setColor(QPalette::Window, Color);
        Editor->setPalette(Palette);
    }
    UpdateExample();
}

void TfrmConfigNumeracao::UpdateExample() {
    bool Ok = false;
    const int Digitos = edtDigitos->text().toInt(&Ok);
    const QString Example = FormatarNumeracao(kExampleNumber, edtMascara->text(), Ok ? Digitos : 0,
                                              QDateTime::currentDateTime());
    lblExemplo->setText(Example.isEmpty() ? QString(kEmptyExample) : Example);
}

void TfrmConfigNumeracao::UpdateCounterColumns() {
    const int Opcao = cdsNumeracao->FieldByName("Opcao_Zeramento")->AsInteger();
    const std::pair<const char*, bool> kShown[] = {
        {"Dia", Opcao == kZeramentoDiario},
        {"Mes", Opcao == kZeramentoDiario || Opcao == kZeramentoMensal},
        {"Ano", Opcao >= kZeramentoDiario && Opcao <= kZeramentoAnual}};
    for (const auto& [Name, Shown] : kShown) {
        const int Index = grdNumeracaoItem->Columns().IndexOfField(QString::fromLatin1(Name));
        if (Index >= 0) grdNumeracaoItem->Columns()[Index]->SetVisible(Shown);
    }
}

void TfrmConfigNumeracao::InsertToken(const QString& Token) {
    if (!edtMascara->isEnabled()) return;
    if (!IsEditing(cdsNumeracao)) cdsNumeracao->Edit();
    if (!edtMascara->hasFocus()) {
        edtMascara->setFocus();
        edtMascara->setCursorPosition(0);
    }
    edtMascara->insert(Token);
}

void TfrmConfigNumeracao::actConfigurarNumeracaoExecute() {
    if (!FCheckEnabled) return;
    if (!IsEditing(cdsNumeracao)) cdsNumeracao->Edit();
    TField* Configurado = cdsNumeracao->FieldByName("Configurado");
    Configurado->SetAsBoolean(!Configurado->AsBoolean());
}

void TfrmConfigNumeracao::cdsNumeracaoNewRecord() {
    if (FLoading) return;
    const dataaccess::TNumberedField& Item = FConfig->Items(cbxCampo->currentData().toInt());
    cdsNumeracao->FieldByName("IdTemp")->SetAsInteger(FNextIdTemp++);
    cdsNumeracao->FieldByName("IdNumeracao")->SetAsInteger(0);
    cdsNumeracao->FieldByName("IdEmpresa_Sistema")->SetAsInteger(CurrentCompany());
    cdsNumeracao->FieldByName("Campo")->SetAsString(Item.Campo);
    // Quiet while the defaults go in: only the new-row rule below decides Alterado.
    FLoading = true;
    const auto Done = qScopeGuard([this] { FLoading = false; });
    cdsNumeracao->FieldByName("Mascara")->SetAsString(FDefaults.Mascara);
    cdsNumeracao->FieldByName("Opcao_Zeramento")->SetAsInteger(FDefaults.Opcao_Zeramento);
    cdsNumeracao->FieldByName("Quantidade_Digitos")->SetAsInteger(FDefaults.Quantidade_Digitos);
    for (const char* Name : {"Configurado", "Automatica", "Alterado"})
        cdsNumeracao->FieldByName(Name)->SetAsBoolean(FDefaults.Configurado);
}

void TfrmConfigNumeracao::cdsNumeracaoBeforePost() {
    if (FLoading || !cdsNumeracao->FieldByName("Configurado")->AsBoolean()) return;
    if (cdsNumeracao->FieldByName("Opcao_Zeramento")->AsInteger() != FOpcaoAoEditar && !cdsNumeracaoItem->IsEmpty()) {
        if (Ask(kResetQuestion, ButtonSet({dbYes, dbCancel})) != mrYes) throw EAbort();
        // The counters leave the filtered view as they are marked.
        while (!cdsNumeracaoItem->IsEmpty()) {
            cdsNumeracaoItem->First();
            cdsNumeracaoItem->Edit();
            cdsNumeracaoItem->FieldByName("Excluido")->SetAsBoolean(true);
            cdsNumeracaoItem->FieldByName("Alterado")->SetAsBoolean(true);
            cdsNumeracaoItem->Post();
        }
    }
    if (cdsNumeracao->FieldByName("Mascara")->AsString().trimmed().isEmpty()) {
        const bool AutomaticForAll = cdsNumeracao->FieldByName("IdEmpresa_Sistema")->AsInteger() == 0 &&
                                     cdsNumeracao->FieldByName("Automatica")->AsBoolean();
        if (!AutomaticForAll) {
            Warn(QString(kFillField).arg(cdsNumeracao->FieldByName("Mascara")->DisplayLabel()));
            throw EAbort();
        }
        if (Ask(kEmptyMaskQuestion, ButtonSet({dbYes, dbNo})) != mrYes) throw EAbort();
    }
    if (cdsNumeracao->FieldByName("Quantidade_Digitos")->AsInteger() <= 0) {
        Warn(QString(kFillField).arg(cdsNumeracao->FieldByName("Quantidade_Digitos")->DisplayLabel()));
        throw EAbort();
    }
}

void TfrmConfigNumeracao::cdsNumeracaoItemNewRecord() {
    if (FLoading) return;
    const auto Period = PeriodOf(dataaccess::ServerNow().date(),
                                 cdsNumeracao->FieldByName("Opcao_Zeramento")->AsInteger());
    FLoading = true;
    const auto Done = qScopeGuard([this] { FLoading = false; });
    cdsNumeracaoItem->FieldByName("IdNumeracao_Item")->SetAsInteger(0);
    cdsNumeracaoItem->FieldByName("IdTemp")->SetAsInteger(cdsNumeracao->FieldByName("IdTemp")->AsInteger());
    cdsNumeracaoItem->FieldByName("Excluido")->SetAsBoolean(false);
    cdsNumeracaoItem->FieldByName("Alterado")->SetAsBoolean(true);
    cdsNumeracaoItem->FieldByName("Dia")->SetAsInteger(Period[0]);
    cdsNumeracaoItem->FieldByName("Mes")->SetAsInteger(Period[1]);
    cdsNumeracaoItem->FieldByName("Ano")->SetAsInteger(Period[2]);
}

bool TfrmConfigNumeracao::WriteRows(const TWorkingCopy& Copy) {
    for (const TDataPacket::TRow& Row : Copy.Rows.Rows) {
        auto Value = [&](const char* Name) { return Copy.Value(Copy.Rows, Row, Name); };
        if (!Value("Alterado").toBool()) continue;
        int IdNumeracao = Value("IdNumeracao").toInt();
        if (!Value("Configurado").toBool()) {
            // Switched off: the configuration goes, and its counters with it.
            if (IdNumeracao != 0 &&
                (FNumeracaoItem->DeleteRecords({QStringLiteral("IdNumeracao")}, {IdNumeracao}) == 0 ||
                 FNumeracao->DeleteRecords({QStringLiteral("IdNumeracao")}, {IdNumeracao}) == 0))
                return false;
            continue;
        }
        IdNumeracao = FNumeracao->SaveConfig(IdNumeracao, Value("IdEmpresa_Sistema").toInt(),
                                             Value("Mascara").toString(), Value("Campo").toString(), FConfig->Chave(),
                                             Value("Quantidade_Digitos").toInt(), Value("Opcao_Zeramento").toInt());
        if (IdNumeracao < 0) return false;
        for (const TDataPacket::TRow& ItemRow : Copy.Items.Rows) {
            auto Item = [&](const char* Name) { return Copy.Value(Copy.Items, ItemRow, Name); };
            if (Item("IdTemp") != Value("IdTemp") || !Item("Alterado").toBool()) continue;
            const int Key = Item("IdNumeracao_Item").toInt();
            if (Item("Excluido").toBool()) {
                // A counter added and removed in this session was never stored.
                if (Key != 0 && FNumeracaoItem->DeleteItem(Key) == 0) return false;
            } else if (FNumeracaoItem->SaveItem(Key, IdNumeracao, Item("Ano").toInt(), Item("Mes").toInt(),
                                                Item("Dia").toInt(), Item("Numero").toInt()) < 0) {
                return false;
            }
        }
    }
    return true;
}

bool TfrmConfigNumeracao::Save() {
    if (!PostPending()) return false;
    // New keys are never written into the working rows: a failed save must leave them pointing where they did.
    const TWorkingCopy Copy{cdsNumeracao->Data(), cdsNumeracaoItem->Data()};
    const bool Saved = RunNumberingWrite(
        0, [&] { return WriteRows(Copy) ? 1 : 0; },
        [](const QString& Details) {
            dataaccess::SessionMessages().AddMessage(kSaveNumberingError, Details, controls::dkError,
                                                     ButtonSet({dbOK}), 0, 0);
        });
    if (!Saved) return false;
    // The working copy now stands for what is stored, with the stored keys.
    FLoading = true;
    {
        const auto Done = qScopeGuard([this] { FLoading = false; });
        cdsNumeracaoItem->EmptyDataSet();
        cdsNumeracao->EmptyDataSet();
        ReadStoredRows();
    }
    ShowSelection();
    return true;
}

void TfrmConfigNumeracao::btnOKClick() {
    if (Save()) SetModalResult(mrOk);
}

}  // namespace databound
