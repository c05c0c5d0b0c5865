#include "setup/Principal.h"

#include <QFrame>
#include <QMouseEvent>
#include <QPixmap>

#include "controls/VexFocus.h"
#include "controls/VexMessage.h"
#include "installlib/InstaladorDefs.h"
#include "installlib/InstaladorLib.h"
#include "installlib/InstallJournal.h"
#include "platform/os/Files.h"
#include "platform/os/Shell.h"
#include "platform/os/Text.h"

namespace setup {

using namespace controls;
using namespace installlib;
using namespace platform::os;
using namespace platform::ui;

namespace {

const int kClientWidth = 496;
const int kClientHeight = 352;
const int kBandWidth = 164;
const int kBarHeight = 43;
const int kCenterBorder = 8;
const int kPageWidth = kClientWidth - kBandWidth - 2 * kCenterBorder;
const int kPageHeight = kClientHeight - kBarHeight - 2 * kCenterBorder;
const QColor kBandColor(0, 128, 192);
// Pages kept out of the history.
const intptr_t kNoHistory = 1;

QString Res(int Id) { return QString::fromStdString(LoadResString(Id)); }

int Ask(const QString& Msg, const QString& Details, TDialogKind Kind, TDialogButtons Buttons) {
    return ShowMessageDialog(Msg, Details, Kind, Buttons, 0, 0, AutoCancelResult);
}

void SetPlainColor(QWidget* Widget, QColor Color) {
    QPalette Palette = Widget->palette();
    Palette.setColor(QPalette::Window, Color);
    Widget->setPalette(Palette);
    Widget->setAutoFillBackground(true);
}

}  // namespace

void TLinkLabel::mouseReleaseEvent(QMouseEvent* Event) {
    QLabel::mouseReleaseEvent(Event);
    if (Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint()) && OnClick) OnClick();
}

TfrmPrincipal::TfrmPrincipal(QWidget* AOwner) : TCustomForm(AOwner) {
    CreateComponents();
    FormCreate();
}

TfrmPrincipal::~TfrmPrincipal() { FormDestroy(); }

// --- Components ---

void TfrmPrincipal::CreateComponents() {
    setObjectName(QStringLiteral("frmPrincipal"));
    SetCaption(QStringLiteral("Ostrevan Installer"));
    SetFont(TFont(QFont(QStringLiteral("Tahoma"), 8)));
    SetPosition(TPosition::poScreenCenter);
    SetClientSize(kClientWidth, kClientHeight);
    setFixedSize(size());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    sknPrincipal = new TVexSkin(this);
    sknPrincipal->setObjectName(QStringLiteral("sknPrincipal"));
    const std::pair<const char*, const char*> SkinItems[] = {{"std", "button"}, {"check", "check"}};
    for (const auto& [Name, BuiltIn] : SkinItems) {
        TButtonItem* Item = sknPrincipal->Buttons().Add();
        Item->Assign(*DefaultSkin()->Buttons().FindItem(QString::fromLatin1(BuiltIn)));
        Item->SetName(QString::fromLatin1(Name));
    }

    pnlBand = new QWidget(this);
    pnlBand->setObjectName(QStringLiteral("pnlBand"));
    pnlBand->setGeometry(0, 0, kBandWidth, kClientHeight - kBarHeight);
    SetPlainColor(pnlBand, kBandColor);

    pnlCenter = new QWidget(this);
    pnlCenter->setObjectName(QStringLiteral("pnlCenter"));
    pnlCenter->setGeometry(kBandWidth, 0, kClientWidth - kBandWidth, kClientHeight - kBarHeight);
    SetPlainColor(pnlCenter, Qt::white);
    pctAssist = new TPageControl(pnlCenter);
    pctAssist->setObjectName(QStringLiteral("pctAssist"));
    pctAssist->SetBounds(kCenterBorder, kCenterBorder, kPageWidth, kPageHeight);

    pnlBottom = new QWidget(this);
    pnlBottom->setObjectName(QStringLiteral("pnlBottom"));
    pnlBottom->setGeometry(0, kClientHeight - kBarHeight, kClientWidth, kBarHeight);
    auto* Bevel = new QFrame(pnlBottom);
    Bevel->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Bevel->setGeometry(0, 0, kClientWidth, 2);
    btnVoltar = AddButton(pnlBottom, "btnVoltar", QStringLiteral("< &Voltar"), 208);
    btnVoltar->SetEnabled(false);
    btnAvancar = AddButton(pnlBottom, "btnAvancar", Res(SNextCaption), 300);
    btnAvancar->SetDefault(true);
    btnCancelar = AddButton(pnlBottom, "btnCancelar", QStringLiteral("Cancelar"), 396);
    btnCancelar->SetCancel(true);
    btnVoltar->OnClick = [this](QObject*) { btnVoltarClick(); };
    btnAvancar->OnClick = [this](QObject*) { btnAvancarClick(); };
    btnCancelar->OnClick = [this](QObject*) { btnCancelarClick(); };

    const QString Continue = QStringLiteral("Para continuar clique em Avançar.");
    const QString Finish = QStringLiteral("Clique em Concluir para sair do Ostrevan Installer.");
    const QString Waiting = QStringLiteral("Aguarde enquanto o Ostrevan Installer configura o seu sistema...");

    tshInicial = AddPage("tshInicial", QStringLiteral("Bem vindo ao Ostrevan Installer para o Navitrex."), Continue);
    lblInicial = AddText(tshInicial,
                         QStringLiteral("O Ostrevan Installer irá instalar o Navitrex em seu computador e configurá-lo "
                                        "para emissão de BL's para [NVOCC]."),
                         40, 42);
    lblInicial->setObjectName(QStringLiteral("lblInicial"));
    // The customer's name comes from a package anyone can make: never markup.
    lblInicial->setTextFormat(Qt::PlainText);
    imgLogo = new QLabel(tshInicial);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setAlignment(Qt::AlignCenter);
    imgLogo->setGeometry(0, 88, kPageWidth, 150);
    lblInicialSite = new TLinkLabel(tshInicial);
    lblInicialSite->setObjectName(QStringLiteral("lblInicialSite"));
    lblInicialSite->setTextFormat(Qt::PlainText);
    lblInicialSite->setAlignment(Qt::AlignCenter);
    lblInicialSite->setGeometry(0, 244, kPageWidth, 16);
    lblInicialSite->setCursor(Qt::PointingHandCursor);
    QFont LinkFont = lblInicialSite->font();
    LinkFont.setUnderline(true);
    lblInicialSite->setFont(LinkFont);
    QPalette LinkPalette = lblInicialSite->palette();
    LinkPalette.setColor(QPalette::WindowText, Qt::blue);
    lblInicialSite->setPalette(LinkPalette);
    lblInicialSite->OnClick = [this] { lblInicialSiteClick(); };

    tshConfig = AddPage("tshConfig", QStringLiteral("Configurações da instalação."), Continue);
    AddText(tshConfig,
            QStringLiteral("Utilize as opções abaixo para configurar o modo em que o sistema será instalado no seu "
                           "computador."),
            40, 42);
    edtConfigLocal = new QLineEdit(tshConfig);
    edtConfigLocal->setObjectName(QStringLiteral("edtConfigLocal"));
    edtConfigLocal->setFrame(false);
    edtConfigLocal->setStyleSheet(QStringLiteral("QLineEdit { border: 1px solid #7F9DB9; }"));
    edtConfigLocal->setGeometry(0, 116, 233, 21);
    platform::ui::SetTabOrder(edtConfigLocal, 0);
    lblConfigLocal = new TVexLabel(tshConfig);
    lblConfigLocal->setObjectName(QStringLiteral("lblConfigLocal"));
    lblConfigLocal->SetCaption(QStringLiteral("Local da instalação"));
    lblConfigLocal->SetControl(edtConfigLocal);
    lblConfigLocal->SetColor(Qt::white);
    btnConfigLocalizar = AddButton(tshConfig, "btnConfigLocalizar", QStringLiteral("&Localizar..."), 241);
    btnConfigLocalizar->SetBounds(241, 115, 68, 23);
    btnConfigLocalizar->SetTabOrder(1);
    btnConfigLocalizar->OnClick = [this](QObject*) { btnConfigLocalizarClick(); };

    tshVerificar = AddPage("tshVerificar", QStringLiteral("Confira a instalação."),
                           QStringLiteral("Para iniciar a instalação clique em Avançar."));
    mmoConferir = new QPlainTextEdit(tshVerificar);
    mmoConferir->setObjectName(QStringLiteral("mmoConferir"));
    mmoConferir->setReadOnly(true);
    // Read-only: Enter belongs to the default button.
    mmoConferir->setProperty("WantReturns", false);
    mmoConferir->setFrameStyle(QFrame::Box | QFrame::Plain);
    mmoConferir->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmoConferir->setLineWrapMode(QPlainTextEdit::NoWrap);
    mmoConferir->setGeometry(0, 36, kPageWidth, kPageHeight - 36 - 24);

    tshInstalando = AddPage("tshInstalando", Waiting, QString());
    AddText(tshInstalando,
            QStringLiteral("O programa de instalação está copiando os arquivos e configurando o seu sistema para "
                           "utilizar o Navitrex."),
            56, 42);
    pbrInstall = new QProgressBar(tshInstalando);
    pbrInstall->setObjectName(QStringLiteral("pbrInstall"));
    pbrInstall->setTextVisible(false);
    pbrInstall->setGeometry(0, 110, kPageWidth, 17);

    tshConcluido = AddPage("tshConcluido", QStringLiteral("Assistente de instalação concluído."), Finish);
    AddText(tshConcluido, QStringLiteral("O programa de Instalação terminou de instalar o Navitrex."), 40, 30);
    chkIniciar = AddButton(tshConcluido, "chkIniciar", QStringLiteral("I&niciar Navitrex"), 0);
    chkIniciar->SetBounds(0, 80, 150, 17);
    chkIniciar->SetSkinName(QStringLiteral("check"));
    chkIniciar->SetGroupIndex(1);
    chkIniciar->SetAllowAllUp(true);
    chkIniciar->SetDefaultActions(false);
    chkIniciar->SetMargin(18);
    chkIniciar->SetChecked(true);
    chkIniciar->SetColor(Qt::white);

    tshCancelado = AddPage("tshCancelado", QStringLiteral("Assistente de instalação concluído."), Finish);
    AddText(tshCancelado,
            QStringLiteral("O assistente foi interrompido antes que o Navitrex pudesse ser completamente instalado."),
            40, 30);
    AddText(tshCancelado,
            QStringLiteral("Seu sistema não foi modificado. Para instalar este programa em um momento posterior, "
                           "execute a instalação novamente."),
            80, 42);
    tshCancelado->SetTag(kNoHistory);

    tshDesinstalando = AddPage("tshDesinstalando", Waiting, QString());
    AddText(tshDesinstalando,
            QStringLiteral("O programa de instalação está desinstalando a versão antiga do Navitrex e preparando o "
                           "seu sistema para utilizar o Navitrex."),
            56, 42);
    tshDesinstalando->SetTag(kNoHistory);

    OnCloseQuery = [this](QObject*, bool& CanClose) { FormCloseQuery(CanClose); };
    SetMessageHandler(WM_STARTUP, [this](TMessage&) { WMStartup(); });
    SetMessageHandler(WM_FOCUSCONTROL, [this](TMessage& Message) { WMFocusControl(Message); });
}

TTabSheet* TfrmPrincipal::AddPage(const char* Name, const QString& Title, const QString& Hint) {
    TTabSheet* Page = pctAssist->AddPage(QString());
    Page->setObjectName(QString::fromLatin1(Name));
    SetPlainColor(Page, Qt::white);
    // A page without controls holds the focus itself, so that no button of
    // the bar takes it (Enter during the run must not reach Cancel).
    Page->setFocusPolicy(Qt::ClickFocus);
    auto* TitleLabel = new QLabel(Title, Page);
    QFont TitleFont(QStringLiteral("Verdana"), 10);
    TitleFont.setBold(true);
    TitleLabel->setFont(TitleFont);
    TitleLabel->setWordWrap(true);
    TitleLabel->setGeometry(0, 0, kPageWidth, 34);
    TitleLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (!Hint.isEmpty()) AddText(Page, Hint, kPageHeight - 16, 16);
    return Page;
}

QLabel* TfrmPrincipal::AddText(TTabSheet* Page, const QString& Text, int Top, int Height) {
    auto* Label = new QLabel(Text, Page);
    Label->setWordWrap(true);
    Label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label->setGeometry(0, Top, kPageWidth, Height);
    return Label;
}

TVexButton* TfrmPrincipal::AddButton(QWidget* Parent, const char* Name, const QString& Caption, int Left) {
    auto* Button = new TVexButton(Parent);
    Button->setObjectName(QString::fromLatin1(Name));
    Button->SetSkin(sknPrincipal);
    Button->SetSkinName(QStringLiteral("std"));
    Button->SetCaption(Caption);
    Button->SetBounds(Left, 12, 90, 23);
    return Button;
}

// --- Start-up ---

void TfrmPrincipal::FormCreate() {
    FLaunch = {};
    FHistory.Clear();
    FCanClose = false;
    HidePages(pctAssist);
    // A run that died leaves its journal: undo it before anything is read.
    if (InterruptedInstallationFound()) {
        Ask(Res(SInterruptedInstallation), QString(), dkInformation, ButtonSet({dbOK}));
        RollbackInterruptedInstallation();
    }
    const TInstallationState State = ReadInstallationState();
    FInstalled = State.Installed;
    if (State.OldVersionInstalled) {
        const int Answer = Ask(Res(SOldVersionFound), QString(), dkConfirmation, ButtonSet({dbYes, dbNo}));
        if (Answer == mrYes)
            FRemoveOldVersion = true;
        else
            FCancelRequested = true;
    }
    edtConfigLocal->setText(QString::fromStdString(State.ProposedFolder));
    PostMessage(this, WM_STARTUP, 0, 0);
}

void TfrmPrincipal::WMStartup() {
    FOldRemovalFailed = false;
    if (FRemoveOldVersion) {
        GoToPage(tshDesinstalando);
        FOldRemovalFailed = !RemoveOldVersion();
    }
    // A package that cannot be read ends the wizard as a missing one does, but says why.
    try {
        FPackage = LoadPackage();
        if (FPackage && !FOldRemovalFailed && !FCancelRequested) ReadPackageContents();
    } catch (const std::exception& Error) {
        Ask(Res(SPackageUnreadable), QString::fromStdString(Error.what()), dkError, ButtonSet({dbOK}));
        FPackage.reset();
    }
    if (FOldRemovalFailed || FCancelRequested || !FPackage) {
        GoToPage(tshCancelado);
        return;
    }
    lblInicial->setText(QString::fromStdString(ReplaceCustomerTag(lblInicial->text().toStdString(), FNVOCC.Name)));
    const QString Site = QString::fromStdString(Trim(FNVOCC.Site));
    lblInicialSite->setText(Site);
    lblInicialSite->setVisible(!Site.isEmpty());
    GoToPage(tshInicial);
}

void TfrmPrincipal::ReadPackageContents() {
    const TPackageContents Contents = ReadPackage(*FPackage);
    FNVOCC = Contents.NVOCC;
    imgLogo->setPixmap(QPixmap::fromImage(Contents.Logo));
}

void TfrmPrincipal::WMFocusControl(TMessage& Message) { HandleFocusRequest(Message); }

void TfrmPrincipal::FormDestroy() {
    FHistory.Clear();
    ShowPages(pctAssist);
    FPackage.reset();
}

// --- Navigation ---

bool TfrmPrincipal::IsFinalPage(const TTabSheet* Page) const { return Page == tshConcluido || Page == tshCancelado; }

TTabSheet* TfrmPrincipal::NextPage() const {
    if (FCurrentPage == tshInicial) return FInstalled ? tshVerificar : tshConfig;
    return pctAssist->Pages(FCurrentPage->PageIndex() + 1);
}

void TfrmPrincipal::ValidatePage(TTabSheet*, bool& Ok) {
    if (FCurrentPage == tshConfig && !HasDrivePart(edtConfigLocal->text().toStdString())) {
        Ask(Res(SInvalidInstallFolder), QString(), dkWarning, ButtonSet({dbOK}));
        Ok = false;
    }
}

void TfrmPrincipal::ExecutePage() {
    if (FCurrentPage == tshVerificar) {
        mmoConferir->clear();
        for (const std::string& Line : ReviewLines(FInstalled, FNVOCC, edtConfigLocal->text().toStdString()))
            mmoConferir->appendPlainText(QString::fromStdString(Line));
    } else if (FCurrentPage == tshInstalando) {
        RunInstallation(*this, TInstallRequest{FNVOCC, edtConfigLocal->text().toStdString(), FPackage.get()}, FLaunch);
    }
}

void TfrmPrincipal::GoToPage(TTabSheet* Page) {
    if (!FGoingBack && Page->Tag() == 0) FHistory.Enter(Page);
    pctAssist->SetActivePage(Page);
    const bool Busy = Page == tshDesinstalando || Page == tshInstalando;
    btnVoltar->SetEnabled(!Busy && !IsFinalPage(Page) && !FHistory.Empty() && FHistory.Index() != 0 &&
                          Page->Tag() != kNoHistory);
    btnCancelar->SetEnabled(!IsFinalPage(Page));
    btnAvancar->SetEnabled(!Busy);
    btnAvancar->SetCaption(Res(IsFinalPage(Page) ? SFinishCaption : SNextCaption));
    FCurrentPage = Page;
    platform::ui::ProcessMessages();
    FocusFirstControl(Page);
    FCanClose = IsFinalPage(Page);
}

void TfrmPrincipal::btnAvancarClick() {
    // Before the start-up work has chosen a page there is nowhere to go.
    if (!FCurrentPage) return;
    if (IsFinalPage(FCurrentPage)) {
        if (FCurrentPage == tshConcluido && chkIniciar->Checked())
            ShellExecute("", FLaunch.File, FLaunch.Params, "", SW_SHOWNORMAL);
        Close();
        return;
    }
    bool Ok = true;
    TTabSheet* Next = NextPage();
    ValidatePage(Next, Ok);
    if (!Ok) return;
    GoToPage(Next);
    ExecutePage();
}

void TfrmPrincipal::btnVoltarClick() {
    FGoingBack = true;
    struct TResetGoingBack {
        bool& Flag;
        ~TResetGoingBack() { Flag = false; }
    } Reset{FGoingBack};
    GoToPage(FHistory.Back());
}

void TfrmPrincipal::btnCancelarClick() { Close(); }

void TfrmPrincipal::FormCloseQuery(bool& CanClose) {
    CanClose = FCanClose;
    if (CanClose || Ask(Res(SConfirmCancel), QString(), dkInformation, ButtonSet({dbYes, dbNo})) != mrYes) return;
    // A removal of the older edition that ends after the cancel keeps the wizard cancelled.
    if (FCurrentPage == tshInstalando || FCurrentPage == tshDesinstalando) FCancelRequested = true;
    if (FCurrentPage != tshInstalando) GoToPage(tshCancelado);
}

void TfrmPrincipal::btnConfigLocalizarClick() {
    const std::string Typed = edtConfigLocal->text().toStdString();
    const bool Created = !DirectoryExists(Typed) && ForceDirectories(Typed);
    std::string Chosen;
    if (BrowseForFolder(this, LoadResString(SSelectInstallFolder), Typed, Chosen))
        edtConfigLocal->setText(QString::fromStdString(Chosen));
    // Only a folder made for the browser and still empty goes again.
    if (Created) RemoveDir(Typed);
}

void TfrmPrincipal::lblInicialSiteClick() {
    ShellExecute("open", SiteAddress(lblInicialSite->text().toStdString()), "", "", SW_SHOWNORMAL);
}

// --- The installation run's view of the window ---

void TfrmPrincipal::ResetProgress(int Max) {
    pbrInstall->setRange(0, Max);
    pbrInstall->setValue(0);
}

void TfrmPrincipal::AdvanceProgress() { pbrInstall->setValue(std::min(pbrInstall->value() + 1, pbrInstall->maximum())); }

void TfrmPrincipal::ProcessMessages() { platform::ui::ProcessMessages(); }

int TfrmPrincipal::AskRetry(const std::string& Message) {
    return Ask(QString::fromStdString(Message), QString(), dkConfirmation, ButtonSet({dbRetry}));
}

void TfrmPrincipal::ReportFailure(const std::string& Message, const std::string& Details) {
    Ask(QString::fromStdString(Message), QString::fromStdString(Details), dkError, ButtonSet({dbOK}));
}

}  // namespace setup
