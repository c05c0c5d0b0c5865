#include "samples/navitrex/NavitrexDemo.h"

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <exception>
#include <memory>
#include <QMenu>
#include <QSqlQuery>
#include <QWidgetAction>
#include <QWindow>

#include "controls/VexButton.h"
#include "dataaccess/VexSession.h"
#include "databound/ConfigNumeracaoFra.h"
#include "databound/CustomCombo.h"
#include "databound/VexDBGrid.h"
#include "platform/data/ADODB.h"
#include "platform/data/DBClient.h"
#include "platform/data/Field.h"
#include "platform/os/Exceptions.h"
#include "platform/ui/Menus.h"
#include "samples/navitrex/NavitrexConhecimentos.h"
#include "samples/navitrex/NavitrexDemoDriver.h"
#include "samples/navitrex/NavitrexDivisao.h"
#include "samples/navitrex/NavitrexPrincipal.h"
#include "samples/navitrex/NavitrexStart.h"
#include "samples/navitrex/NavitrexTexts.h"

namespace navitrex {

using namespace platform::data;

namespace {

struct TClienteDemo {
    const char* Nome;
    const char* Papel;  // the column that marks it shipper or consignee
};
const TClienteDemo kClientes[] = {{"Alfa Exportadora Ltda", "Embarcador"}, {"Beta Importadora GmbH", "Consignatario"}};

struct TConteinerDemo {
    const char* Numero;  // with its check digit
    const char* Descricao;
    const char* Peso;
};
const TConteinerDemo kConteineres[] = {{"MSKU6011672", "Café em grãos, 320 sacas", "19200"},
                                       {"TGHU7345125", "Açúcar cristal, 25 t", "25000"}};

void Report(const QString& Text) { std::fprintf(stderr, "Navitrex: %s\n", Text.toLocal8Bit().constData()); }

bool Editing(TDataSet& Data) { return Data.State() == dsInsert || Data.State() == dsEdit; }

template <class TWindow>
TWindow* Showing() {
    for (QWidget* Window : QApplication::topLevelWidgets())
        if (auto* Found = qobject_cast<TWindow*>(Window); Found && Found->isVisible()) return Found;
    return nullptr;
}

// A person's picture is of what the screen shows: wait until the window is there and painted.
bool OnScreen(const QWidget* Window) {
    return Window && Window->isVisible() && Window->windowHandle() && Window->windowHandle()->isExposed();
}

class TDemo {
public:
    TDemo(TfrmPrincipal& Principal, const QString& Folder, int TimeLimitMs)
        : P(Principal), FFolder(Folder), D(new TDemoDriver(TimeLimitMs, &Principal)) {}

    TDemoDriver* Build() {
        D->Step("the main window shows", [this] { return OnScreen(&P); }, [this] { P.activateWindow(); });
        D->Step("the main window is active", [this] { return QApplication::activeWindow() == &P; },
                [this] { Save(kDemoPictures[0]); });
        for (const TClienteDemo& Cliente : kClientes)
            if (!Existe(Cliente.Nome)) AddCliente(Cliente);
        NovoConhecimento();
        for (const TConteinerDemo& Conteiner : kConteineres) AddConteiner(Conteiner);
        Menu(P.btnMovimentacao, P.mnuMovimentacao, kMenuGravar);
        D->Step("the bill is written", [this] { return !Editing(Bills()) && Bills().ChangeCount() == 0; },
                [this] { Save(kDemoPictures[2]); });
        Menu(P.btnFerramentas, P.mnuFerramentas, kMenuNumeracao);
        D->Step("the numbering dialog shows", [] { return OnScreen(Showing<databound::TfrmConfigNumeracao>()); },
                [this] { Save(kDemoPictures[3]); });
        D->Step("the numbering dialog is closed with Esc", [] { TDemoDriver::Press(Qt::Key_Escape); });
        D->Step("the numbering dialog is gone", [] { return !Showing<databound::TfrmConfigNumeracao>(); }, [] {});
        return D;
    }

private:
    TClientDataSet& Bills() { return *P.Conhecimentos->Conhecimentos->Client; }
    TClientDataSet& Items() { return *P.Conhecimentos->Itens->Client; }
    TFrameDivisao& Clientes() { return *P.Cadastros[cdClientes]; }

    void Save(const char* File) {
        const QString Path = QDir(FFolder).filePath(File);
        if (!TDemoDriver::Picture(&P).save(Path, "PNG"))
            throw platform::os::Exception("the picture " + Path.toStdString() + " could not be written");
    }

    bool Existe(const char* Nome) { return Clientes().Client->Locate("Nome", QString(Nome)); }

    // A click on the menu button, then on the item: the menus are drawn by the application and answer the mouse.
    void Menu(controls::TVexButton* Button, platform::ui::TPopupMenu* Popup, const QString& Caption) {
        D->Step("the menu " + Button->Caption() + " opens", [Button] { TDemoDriver::Click(Button); });
        D->Step("the item " + Caption + " is clicked", [] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); },
                [Popup, Caption] {
                    auto* Open = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                    const platform::ui::TMenuItem& Items = *Popup->Items();
                    for (int Index = 0; Index < Items.Count(); ++Index) {
                        if (Items.Items(Index)->Caption() != Caption) continue;
                        auto* Entry = qobject_cast<QWidgetAction*>(Open->actions().value(Index));
                        if (!Entry) break;
                        return TDemoDriver::Click(Entry->defaultWidget());
                    }
                    throw platform::os::Exception("the menu has no item " + Caption.toStdString());
                });
        D->Step("the menu closes", [] { return !QApplication::activePopupWidget(); }, [] {});
    }

    // Home, then Right until the grid's cell is in the column of Field.
    void GoToColumn(databound::TVexDBGrid* Grid, const QString& Field) {
        TDemoDriver::Press(Qt::Key_Home);
        for (int Guard = 0; Guard < Grid->Columns().Count(); ++Guard) {
            if (Grid->SelectedField() && Grid->SelectedField()->FieldName() == Field) return;
            TDemoDriver::Press(Qt::Key_Right);
        }
        throw platform::os::Exception("the grid shows no column " + Field.toStdString());
    }

    // Types Text into the cell of Field in the grid's current row; Enter writes it to the row.
    void TypeInto(const QString& Step, databound::TVexDBGrid* Grid, const QString& Field, const QString& Text) {
        D->Step(Step, [this, Grid, Field, Text] {
            GoToColumn(Grid, Field);
            TDemoDriver::Type(Text);
            TDemoDriver::Press(Qt::Key_Return);
        });
    }

    void AddCliente(const TClienteDemo& Cliente) {
        databound::TVexDBGrid* Grid = Clientes().Grid;
        TClientDataSet* Data = Clientes().Client;
        Menu(P.btnCadastros, P.mnuCadastros, kCaptionClientes);
        D->Step("a click in the customers", [Grid] { return Grid->isVisible(); }, [Grid] { TDemoDriver::Click(Grid); });
        D->Step("Insert starts a customer", [Grid] { return Grid->hasFocus(); },
                [] { TDemoDriver::Press(Qt::Key_Insert); });
        D->Step("the new customer's row", [Data] { return Data->State() == dsInsert; }, [] {});
        TypeInto(QString("the customer %1").arg(Cliente.Nome), Grid, "Nome", Cliente.Nome);
        D->Step(QString("the customer is %1").arg(Cliente.Papel), [this, Grid, Cliente] {
            GoToColumn(Grid, Cliente.Papel);
            TDemoDriver::Press(Qt::Key_Space);
            // Up leaves the new row, which writes it.
            TDemoDriver::Press(Qt::Key_Up);
        });
        D->Step(QString("the customer %1 is written").arg(Cliente.Nome),
                [this, Data, Cliente] { return Data->State() == dsBrowse && Existe(Cliente.Nome); }, [] {});
    }

    void NovoConhecimento() {
        Menu(P.btnMovimentacao, P.mnuMovimentacao, kMenuNovoConhecimento);
        D->Step("a new bill is numbered", [this] { return Bills().State() == dsInsert; }, [] {});
    }

    void AddConteiner(const TConteinerDemo& Conteiner) {
        databound::TVexDBGrid* Grid = P.Conhecimentos->Itens->Grid;
        Menu(P.btnMovimentacao, P.mnuMovimentacao, kMenuNovoItem);
        D->Step("a click in the containers", [this] { return Items().State() == dsInsert; },
                [Grid] { TDemoDriver::Click(Grid); });
        TypeInto(QString("the container %1").arg(Conteiner.Numero), Grid, "Conteiner", Conteiner.Numero);
        TypeInto("its cargo", Grid, "Descricao", Conteiner.Descricao);
        TypeInto("its weight", Grid, "Peso", Conteiner.Peso);
    }

    TfrmPrincipal& P;
    QString FFolder;
    TDemoDriver* D;
};

}  // namespace

TDemoDriver* CreateDemo(TfrmPrincipal& Principal, const QString& Folder, int TimeLimitMs) {
    TDemo Demo(Principal, Folder, TimeLimitMs);
    TDemoDriver* Driver = Demo.Build();
    const QString FailurePicture = QDir(Folder).filePath(kDemoFailurePicture);
    Driver->OnFinished = [&Principal, FailurePicture](TDemoDriver* Sender) {
        if (Sender->Failed()) TDemoDriver::Picture(&Principal).save(FailurePicture, "PNG");
    };
    return Driver;
}

QStringList ResumoConhecimentos() {
    QSqlQuery Query = dataaccess::SessionConnection().Run(
        "Select c.Numero, (Select Count(*) From Conhecimento_Item i Where i.IdConhecimento = c.IdConhecimento) "
        "From Conhecimento c Order By c.IdConhecimento",
        nullptr);
    QStringList Out;
    while (Query.next()) Out << QString("%1 %2").arg(Query.value(0).toString()).arg(Query.value(1).toInt());
    return Out;
}

int RunDemo(const TCustomerView& View, const std::string& AppFolder, const QString& UserName, const QString& Folder) {
    if (!View.Problem.empty()) {
        Report(QString::fromStdString(View.Problem));
        return kDemoFailed;
    }
    if (!QDir().mkpath(Folder)) {
        Report("the folder " + Folder + " cannot be created");
        return kDemoFailed;
    }
    std::unique_ptr<TAplicacao> App;
    try {
        App = IniciarAplicacao(View, AppFolder, UserName);
    } catch (const std::exception& E) {
        Report(QString::fromUtf8(E.what()));
        return kDemoFailed;
    }
    // A person would read them in a box; the run has no one to close it.
    for (const QString& Aviso : App->Avisos) Report(Aviso);
    TDemoDriver* Driver = CreateDemo(*App->Principal, Folder);
    Driver->OnFinished = [Saved = Driver->OnFinished, &App](TDemoDriver* Sender) {
        Saved(Sender);
        if (Sender->Failed()) Report(Sender->Failure());
        App->Principal->close();
        // Leaves every loop, also a menu's or a dialog's that the failure came in.
        QApplication::exit(Sender->Failed() ? kDemoFailed : 0);
    };
    App->Principal->Show();
    Driver->Start();
    const int Result = QApplication::exec();
    for (const QString& Linha : ResumoConhecimentos()) std::printf("%s\n", Linha.toUtf8().constData());
    return Result;
}

}  // namespace navitrex
