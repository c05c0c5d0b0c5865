#include "samples/navitrex/NavitrexPrincipal.h"

#include <QHBoxLayout>
#include <functional>
#include <QVBoxLayout>

#include "controls/VexButton.h"
#include "controls/VexFocus.h"
#include "controls/VexPageControl.h"
#include "dataaccess/VexClasse.h"
#include "dataaccess/VexDbIni.h"
#include "dataaccess/VexHost.h"
#include "dataaccess/VexMenu.h"
#include "dataaccess/VexModulo.h"
#include "dataaccess/VexSearch.h"
#include "dataaccess/VexSession.h"
#include "databound/DivisionScreen.h"
#include "databound/RefreshSettings.h"
#include "databound/VexDBGrid.h"
#include "databound/VexDivisao.h"
#include "platform/data/DBClient.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/DBGrids.h"
#include "platform/ui/Menus.h"
#include "samples/navitrex/NavitrexBusca.h"
#include "samples/navitrex/NavitrexConhecimentos.h"
#include "samples/navitrex/NavitrexDivisao.h"
#include "samples/navitrex/NavitrexMessages.h"
#include "samples/navitrex/NavitrexTexts.h"

namespace navitrex {

using namespace platform::ui;

namespace {

const char* const kChaveJanela = "Navitrex.frmPrincipal";
const char* const kSecaoJanela = "Janela";

TPopupMenu* NewMenu(QObject* Owner) {
    auto* Menu = new TPopupMenu(Owner);
    Menu->SetOwnerDraw(true);
    return Menu;
}

void AddItem(TPopupMenu* Menu, const QString& Caption, std::function<void()> Action) {
    TMenuItem* Item = dataaccess::OwnerDrawn(Menu->Items()->Add(Caption));
    Item->OnClick = [Action = std::move(Action)](QObject*) { Attempt(Action); };
}

controls::TVexButton* MenuButton(QWidget* Parent, const char* Name, const char* Caption, TPopupMenu* Menu) {
    auto* Button = new controls::TVexButton(Parent);
    Button->setObjectName(Name);
    Button->SetCaption(Caption);
    Button->setFixedSize(110, 24);
    Button->OnClick = [Button, Menu](QObject*) {
        const QPoint At = Button->mapToGlobal(QPoint(0, Button->height()));
        Menu->Popup(At.x(), At.y());
    };
    return Button;
}

// The page's screen takes the whole page and follows its size.
void FillPage(TTabSheet* Page, QWidget* Screen) {
    auto* Layout = new QVBoxLayout(Page);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->addWidget(Screen);
}

void AddRelation(dataaccess::TVexModulo& Modulo, const QString& Nome, const QString& Caption) {
    dataaccess::TRelacaoModulo* Relacao = Modulo.Relacoes().Add();
    Relacao->Nome = Nome;
    Relacao->Caption = Caption;
}

}  // namespace

TfrmPrincipal::TfrmPrincipal(const QString& Customer, const TRegrasEquipamento& Regras, QWidget* AOwner)
    : TCustomForm(AOwner), pgcPrincipal(new controls::TVexPageControl(this)), Modulo(new dataaccess::TVexModulo(this)),
      mnuCadastros(NewMenu(this)), mnuMovimentacao(NewMenu(this)), mnuFerramentas(NewMenu(this)) {
    setObjectName("frmPrincipal");
    SetCaption(Customer.isEmpty() ? QString(kCaption) : QString("%1 - %2").arg(kCaption, Customer));
    Modulo->setObjectName(kModulo);

    FIni = std::make_unique<dataaccess::TVexDBIni>(kChaveJanela, nullptr, dataaccess::CurrentUserId());
    // The divisions come first, so that they hear of the window being built.
    Conhecimentos = new TfrmConhecimentos(Regras, this);
    for (const TCadastro Cadastro : kCadastros) Cadastros[Cadastro] = CreateCadastro(Cadastro, this);
    databound::CreateDivisionScreen(*this, FIni.get(), [this] { Montar(); });
}

TfrmPrincipal::~TfrmPrincipal() {
    Attempt([this] { databound::DestroyDivisionScreen(*this, FIni.get()); });
}

void TfrmPrincipal::Montar() {
    FillPage(pgcPrincipal->AddPage(kCaptionConhecimentos), Conhecimentos);
    AddRelation(*Modulo, kRelacaoConhecimentos, kCaptionConhecimentos);
    for (const TCadastro Cadastro : kCadastros) {
        FillPage(pgcPrincipal->AddPage(CaptionCadastro(Cadastro)), Cadastros[Cadastro]);
        // The office keeps its lists on these pages, typed into their grids.
        Cadastros[Cadastro]->Grid->SetOptions(Cadastros[Cadastro]->Grid->Options() | dgEditing);
        AddRelation(*Modulo, NomeCadastro(Cadastro), CaptionCadastro(Cadastro));
        AddItem(mnuCadastros, CaptionCadastro(Cadastro), [this, Cadastro] { ShowCadastro(Cadastro); });
    }
    for (TFrameDivisao* Frame : Frames()) Frame->OnGravado = [this](TFrameDivisao* Origem) { FrameGravado(Origem); };

    // The bills' commands work on the bills page: it comes to the front first.
    const auto OnBills = [this](std::function<void()> Action) {
        return [this, Action = std::move(Action)] {
            pgcPrincipal->SetActivePageIndex(0);
            Action();
        };
    };
    AddItem(mnuMovimentacao, kMenuNovoConhecimento, OnBills([this] { Conhecimentos->NovoConhecimento(); }));
    AddItem(mnuMovimentacao, kMenuNovoItem, OnBills([this] { Conhecimentos->NovoItem(); }));
    AddItem(mnuMovimentacao, kMenuGravar, OnBills([this] { Conhecimentos->Gravar(); }));
    AddItem(mnuMovimentacao, kMenuDescartar, OnBills([this] { Conhecimentos->Descartar(); }));
    AddItem(mnuMovimentacao, kMenuExcluir, OnBills([this] { Conhecimentos->ExcluirConhecimento(); }));
    AddItem(mnuFerramentas, kMenuNumeracao,
            [this] { Conhecimentos->Conhecimentos->Tabela->ConfigureNumbering(); });

    btnCadastros = MenuButton(this, "btnCadastros", kMenuCadastros, mnuCadastros);
    btnMovimentacao = MenuButton(this, "btnMovimentacao", kMenuMovimentacao, mnuMovimentacao);
    btnFerramentas = MenuButton(this, "btnFerramentas", kMenuFerramentas, mnuFerramentas);
    auto* Bar = new QHBoxLayout;
    for (controls::TVexButton* Button : {btnCadastros, btnMovimentacao, btnFerramentas}) Bar->addWidget(Button);
    Bar->addStretch();
    auto* Layout = new QVBoxLayout(this);
    Layout->addLayout(Bar);
    Layout->addWidget(pgcPrincipal);

    SetMessageHandler(controls::WM_FOCUSCONTROL, [](TMessage& Message) { controls::HandleFocusRequest(Message); });
    SetMessageHandler(dataaccess::WM_SEARCHREQUEST, [this](TMessage& Message) { Message.Result = Search(Message); });
    SetClientSize(960, 640);
}

void TfrmPrincipal::Abrir() {
    RestaurarJanela();
    Conhecimentos->Abrir();
    for (TFrameDivisao* Frame : Cadastros) Frame->Client->Open();
    for (TFrameDivisao* Frame : Frames()) Frame->Divisao->Activate();
}

void TfrmPrincipal::RestaurarJanela() {
    resize(FIni->ReadInteger(kSecaoJanela, "Width", width()), FIni->ReadInteger(kSecaoJanela, "Height", height()));
    const int Page = FIni->ReadInteger(kSecaoJanela, "Page", 0);
    if (Page >= 0 && Page < pgcPrincipal->PageCount()) pgcPrincipal->SetActivePageIndex(Page);
}

void TfrmPrincipal::GuardarJanela() {
    FIni->WriteInteger(kSecaoJanela, "Width", width());
    FIni->WriteInteger(kSecaoJanela, "Height", height());
    FIni->WriteInteger(kSecaoJanela, "Page", pgcPrincipal->ActivePageIndex());
    FIni->Save();
}

void TfrmPrincipal::DefaultHandler(TMessage& Message) {
    if (!databound::DispatchRelacaoMessage(*this, Message)) TCustomForm::DefaultHandler(Message);
}

void TfrmPrincipal::DoClose(TCloseAction& Action) {
    TCustomForm::DoClose(Action);
    Attempt([this] { GuardarJanela(); });
}

void TfrmPrincipal::ShowCadastro(TCadastro Cadastro) {
    pgcPrincipal->SetActivePageIndex(static_cast<int>(Cadastro) + 1);
}

QList<TFrameDivisao*> TfrmPrincipal::Frames() const { return findChildren<TFrameDivisao*>(); }

void TfrmPrincipal::FrameGravado(TFrameDivisao* Origem) {
    const databound::TRefreshSettings Tabela{Origem->Divisao->Tabela(), {}};
    for (TFrameDivisao* Frame : Frames())
        if (Frame != Origem) Frame->Divisao->AddRefreshSettings(&Tabela);
}

LRESULT TfrmPrincipal::Search(TMessage& Message) {
    const auto* Request = reinterpret_cast<const dataaccess::TSearchRequest*>(Message.WParam);
    if (!Request || !Request->Relacao || !Request->ResultList) return 0;
    for (const TCadastro Cadastro : kCadastros) {
        if (NomeCadastro(Cadastro).compare(Request->Relacao->Nome, Qt::CaseInsensitive) != 0) continue;
        TfrmBusca Busca(Cadastro, Request->Relacao->Caption, this);
        if (Busca.ShowModal() != mrOk) return 0;
        *Request->ResultList = Busca.Resultado();
        return Request->ResultList->isEmpty() ? 0 : 1;
    }
    return 0;
}

}  // namespace navitrex
