#include "samples/navitrex/NavitrexDemo.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QSqlQuery>
#include <QWidgetAction>
#include <QWindow>
#include <cstdio>
#include <exception>
#include <memory>

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
#include "samples/navitrex/NavitrexCabecalho.h"
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

// What is typed into a reference of the bill's header: the first letter opens the search combo, the rest goes to
// its search edit, Enter takes the row.
struct TReferenciaDemo {
    const char* Nome;  // the reference's name column
    const char* Digitado;
};
const TReferenciaDemo kReferencias[] = {{"Embarcador", "Alfa Exp"},
                                        {"Consignatario", "Beta Imp"},
                                        {"Navio", "Borea"},
                                        {"Porto_Embarque", "Santos"},
                                        {"Porto_Descarga", "Rotterdam"}};
// The reference whose combo is pictured, with this much typed: a list of several rows, the typed part underlined.
const char* const kReferenciaRetratada = "Porto_Descarga";
const int kDigitadoRetratado = 1;

struct TConteinerDemo {
    const char* Numero;  // with its check digit
    const char* Equipamento;
    const char* Descricao;
    const char* Peso;
};
const TConteinerDemo kConteineres[] = {{"NVXU6011675", "40HC", "Café em grãos, 320 sacas", "19200"},
                                       {"NVXU7345126", "20DC", "Açúcar cristal, 25 t", "25000"}};

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

// Laid out and not hidden behind anything of its window.
bool Seen(const QWidget* Control) { return Control->isVisible() && !Control->visibleRegion().isEmpty(); }

bool ComboActive() {
    databound::TfrmCustomCombo* Combo = databound::TfrmCustomCombo::Current();
    return Combo && OnScreen(Combo) && QApplication::activeWindow() == Combo;
}

// The steps refer to it while they run: the driver owns it.
class TDemo : public QObject {
public:
    TDemo(TfrmPrincipal& Principal, const QString& Folder, TDemoDriver& Driver)
        : QObject(&Driver), P(Principal), FFolder(Folder), D(&Driver) {}

    void Build() {
        D->Step("the main window shows", [this] { return OnScreen(&P); }, [this] { P.activateWindow(); });
        D->Step("the main window is active", [this] { return QApplication::activeWindow() == &P; },
                [this] { Save(kDemoPictures[0]); });
        for (const TClienteDemo& Cliente : kClientes)
            if (!Existe(Cliente.Nome)) AddCliente(Cliente);
        Menu(P.btnMovimentacao, P.mnuMovimentacao, kMenuNovoConhecimento);
        D->Step("a new bill is numbered", [this] { return Bills().State() == dsInsert; }, [] {});
        for (const TReferenciaDemo& Referencia : kReferencias) Preencher(Referencia);
        for (const TConteinerDemo& Conteiner : kConteineres) AddConteiner(Conteiner);
        // The weights are the last columns: Home brings the first ones, the sequence and container, back to sight.
        databound::TVexDBGrid* Itens = P.Conhecimentos->Itens->Grid;
        D->Step("Home goes back to the first column", [] { TDemoDriver::Press(Qt::Key_Home); });
        D->Step("Ctrl+S writes the bill",
                [Itens] { return !Itens->CellRect(0, Itens->DataSet()->ActiveDisplayIndex()).isEmpty(); },
                [] { TDemoDriver::Press(Qt::Key_S, Qt::ControlModifier); });
        D->Step("the bill is written", [this] { return !Editing(Bills()) && Bills().ChangeCount() == 0; },
                [this] { Save(kDemoPictures[2]); });
        Menu(P.btnFerramentas, P.mnuFerramentas, kMenuNumeracao);
        D->Step("the numbering dialog shows", [] { return OnScreen(Showing<databound::TfrmConfigNumeracao>()); },
                [this] { Save(kDemoPictures[3]); });
        D->Step("the numbering dialog is closed with Esc", [] { TDemoDriver::Press(Qt::Key_Escape); });
        D->Step("the numbering dialog is gone", [] { return !Showing<databound::TfrmConfigNumeracao>(); }, [] {});
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

    // As the window manager does when a window of the application goes: the main window is active again.
    void BackToMainWindow(const QString& Why) {
        D->Step(Why, [] { return !databound::TfrmCustomCombo::Current(); }, [this] { P.activateWindow(); });
        D->Step("the main window is active again", [this] { return QApplication::activeWindow() == &P; }, [] {});
    }

    // A click on the menu button, then on the item: the menus are drawn by the application and answer the mouse.
    void Menu(controls::TVexButton* Button, platform::ui::TPopupMenu* Popup, const QString& Caption) {
        D->Step("the menu " + Button->Caption() + " opens", [Button] { TDemoDriver::Click(Button); });
        D->Step("the item " + Caption + " is clicked",
                [] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr; },
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

    // A click on the cell of Field in the grid's current row, as a person picks a column.
    static void ClickCell(databound::TVexDBGrid* Grid, const QString& Field) {
        const auto Cell = [Grid, Field] {
            return Grid->CellRect(Grid->Columns().IndexOfField(Field), Grid->DataSet()->ActiveDisplayIndex());
        };
        // Scrolled out of sight: the arrow keys go towards it a column at a time, as far as the grid has columns.
        const int Arrow = Grid->Columns().IndexOfField(Field) > Grid->SelectedIndex() ? Qt::Key_Right : Qt::Key_Left;
        for (int Guard = Grid->Columns().Count(); Cell().isEmpty() && Guard > 0; --Guard) TDemoDriver::Press(Arrow);
        if (Cell().isEmpty()) throw platform::os::Exception("the grid shows no cell of " + Field.toStdString());
        TDemoDriver::ClickAt(Grid, Cell().center());
    }

    // Types Text into the cell of Field in the grid's current row; Enter writes it to the row.
    void TypeInto(const QString& Step, databound::TVexDBGrid* Grid, const QString& Field, const QString& Text) {
        D->Step(Step, [Grid, Field, Text] {
            ClickCell(Grid, Field);
            TDemoDriver::Type(Text);
            TDemoDriver::Press(Qt::Key_Return);
        });
    }

    void AddCliente(const TClienteDemo& Cliente) {
        databound::TVexDBGrid* Grid = Clientes().Grid;
        TClientDataSet* Data = Clientes().Client;
        Menu(P.btnCadastros, P.mnuCadastros, kCaptionClientes);
        D->Step("a click in the customers", [Grid] { return Seen(Grid); }, [Grid] { TDemoDriver::Click(Grid); });
        D->Step("Down past the last customer starts a new one", [Grid] { return Grid->hasFocus(); }, [] {
            TDemoDriver::Press(Qt::Key_End, Qt::ControlModifier);
            TDemoDriver::Press(Qt::Key_Down);
        });
        D->Step("the new customer's row", [Data] { return Data->State() == dsInsert; }, [] {});
        TypeInto(QString("the customer %1").arg(Cliente.Nome), Grid, "Nome", Cliente.Nome);
        // A click on a check box ticks it; Up leaves the new row, which writes it.
        D->Step(QString("the customer is %1").arg(Cliente.Papel), [Grid, Cliente] {
            ClickCell(Grid, Cliente.Papel);
            TDemoDriver::Press(Qt::Key_Up);
        });
        D->Step(QString("the customer %1 is written").arg(Cliente.Nome),
                [this, Data, Cliente] { return Data->State() == dsBrowse && Existe(Cliente.Nome); }, [] {});
    }

    // Typing opens the search combo, where the rest is typed and Enter takes the row; when the first letter leaves
    // a single row, the search takes it at once and shows no combo.
    void Preencher(const TReferenciaDemo& Referencia) {
        QLineEdit* Edit = P.Conhecimentos->Cabecalho->Edit(Referencia.Nome);
        const QString Nome = Referencia.Nome;
        const QString Digitado = Referencia.Digitado;
        D->Step(QString("a click in %1").arg(Nome), [Edit] { TDemoDriver::Click(Edit); });
        if (Nome == kReferenciaRetratada) {
            D->Step(QString("Down opens the search of %1").arg(Nome), [Edit] { return Edit->hasFocus(); },
                    [] { TDemoDriver::Press(Qt::Key_Down); });
            D->Step(QString("the search of %1 is filtered").arg(Nome), [] { return ComboActive(); },
                    [Digitado] { TDemoDriver::Type(Digitado.left(kDigitadoRetratado)); });
            D->Step("the search combo lists the rows",
                    [] { return databound::TfrmCustomCombo::Current()->grdCombo()->isVisible(); },
                    [this] { Save(kDemoPictures[1]); });
            D->Step(QString("%1 is chosen").arg(Digitado), [Digitado] {
                TDemoDriver::Type(Digitado.mid(kDigitadoRetratado));
                TDemoDriver::Press(Qt::Key_Return);
            });
        } else {
            D->Step(QString("typing opens the search of %1").arg(Nome), [Edit] { return Edit->hasFocus(); },
                    [Digitado] { TDemoDriver::Type(Digitado.left(1)); });
            D->Step(QString("%1 is chosen").arg(Digitado), [this, Nome] { return ComboActive() || Filled(Nome); },
                    [this, Nome, Digitado] {
                        if (Filled(Nome)) return;
                        TDemoDriver::Type(Digitado.mid(1));
                        TDemoDriver::Press(Qt::Key_Return);
                    });
        }
        BackToMainWindow(QString("the reference %1 is filled").arg(Nome));
        D->Step(QString("%1 shows its name").arg(Nome), [this, Nome] { return Filled(Nome); }, [] {});
    }

    bool Filled(const QString& Nome) { return !Bills().FieldByName(Nome)->AsString().isEmpty(); }

    void AddConteiner(const TConteinerDemo& Conteiner) {
        databound::TVexDBGrid* Grid = P.Conhecimentos->Itens->Grid;
        D->Step("Ctrl+I starts a container", [] { TDemoDriver::Press(Qt::Key_I, Qt::ControlModifier); });
        D->Step(QString("the container %1").arg(Conteiner.Numero),
                [this, Grid] {
                    QWidget* Focus = QApplication::focusWidget();
                    return Items().State() == dsInsert && Focus && (Focus == Grid || Grid->isAncestorOf(Focus));
                },
                [Conteiner] {
                    TDemoDriver::Type(Conteiner.Numero);
                    TDemoDriver::Press(Qt::Key_Return);
                });
        D->Step("Ctrl+Down in the equipment opens its search", [Grid] {
            ClickCell(Grid, "Equipamento");
            TDemoDriver::Press(Qt::Key_Down, Qt::ControlModifier);
        });
        D->Step(QString("the equipment %1 is chosen").arg(Conteiner.Equipamento), [] { return ComboActive(); },
                [Conteiner] {
                    TDemoDriver::Type(Conteiner.Equipamento);
                    TDemoDriver::Press(Qt::Key_Return);
                });
        BackToMainWindow("the equipment is filled");
        D->Step("the equipment shows its code", [this] { return HasEquipment(); }, [] {});
        TypeInto("its cargo", Grid, "Descricao", Conteiner.Descricao);
        TypeInto("its weight", Grid, "Peso", Conteiner.Peso);
    }

    bool HasEquipment() { return !Items().FieldByName("Equipamento")->AsString().isEmpty(); }

    TfrmPrincipal& P;
    QString FFolder;
    TDemoDriver* D;
};

}  // namespace

TDemoDriver* CreateDemo(TfrmPrincipal& Principal, const QString& Folder, int TimeLimitMs) {
    auto* Driver = new TDemoDriver(TimeLimitMs, &Principal);
    (new TDemo(Principal, Folder, *Driver))->Build();
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
