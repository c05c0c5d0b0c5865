// The checks before a row changes: rows fixed by the system, and detail rows
// that need a master row and may be refused by the table or its monitors.
#include <gtest/gtest.h>

#include "TableTest.h"
#include "platform/os/Exceptions.h"
#include "platform/ui/Forms.h"

using namespace dataaccess;
using namespace dataaccess::testing;
using namespace platform::data;

namespace {

class TTravadoTeste : public TClasseTabela {
    Q_OBJECT
public:
    using TClasseTabela::TClasseTabela;
    void GetTableName(QString& Name) override { Name = "Travado"; }
    void GetCaption(QString& Caption) override { Caption = "Travado"; }

protected:
    void DefineFields() override {
        AddFields({{0, faNenhuma, "IdTravado", true, false, ftInteger, 0, 0},
                   {1, faNenhuma, "Fixo", false, false, ftInteger, 0, 0}});
    }
};

// A detail of Cliente through IdCliente; refuses when told, and says what it was offered.
class TPedidoDetalhe : public TPedidoTeste {
    Q_OBJECT
public:
    using TPedidoTeste::TPedidoTeste;
    bool Allow = true;
    QStringList Offered;

protected:
    bool CanInsertDetail(const TMasterFields& Fields, const TMasterValues& Values) override {
        for (int I = 0; I < Fields.size(); ++I) Offered << Fields[I] + "=" + Values.value(I).toString();
        return Allow;
    }
};

class TableRowChecksTest : public TableTest {};
VEX_INSTANTIATE_ENGINE_SUITE(TableRowChecksTest);

const QString kConfirm = "O registro que você está tentando modificar está travado pelo sistema. Não é aconselhável "
                         "fazer alterações neste registro.\r\nDeseja realmente continuar?";

TEST_P(TableRowChecksTest, AFixedRowIsRefusedToAnOrdinaryUserAndConfirmedByAModerator) {
    Conn->Execute("Create Table Travado (IdTravado Integer Not Null Primary Key, Fixo Integer)");
    Conn->Execute("Insert Into Travado (IdTravado, Fixo) Values (1, 1)");
    Conn->Execute("Insert Into Travado (IdTravado, Fixo) Values (2, 0)");
    std::unique_ptr<TTravadoTeste> Travado(CreateClasseTabela<TTravadoTeste>());
    ASSERT_TRUE(Travado->Load({}, {}));
    TDataSet* Rows = Travado->DataSet();

    Host->Login("maria", 50, 1);
    for (bool Delete : {false, true}) {
        SCOPED_TRACE(Delete ? "delete" : "edit");
        ASSERT_TRUE(Rows->Locate("IdTravado", 1));
        try {
            if (Delete) Rows->Delete();
            else Rows->Edit();
            ADD_FAILURE() << "the fixed row was let through";
        } catch (const controls::EDesktopError& E) {
            EXPECT_STREQ(E.what(), "Não é mais possível efetuar modificações no registro atual.");
            EXPECT_EQ(E.Details(), "Contacte o usuário administrador do sistema para gerenciar as suas permissões de "
                                   "acesso.");
        }
        EXPECT_EQ(Rows->State(), dsBrowse);
    }
    ASSERT_TRUE(Rows->Locate("IdTravado", 2));
    Rows->Edit();  // not fixed
    Rows->Cancel();

    Host->Login("dbo", 1, 1);
    ASSERT_TRUE(Rows->Locate("IdTravado", 1));
    Dialogs.Answer = platform::ui::mrNo;
    EXPECT_THROW(Rows->Edit(), platform::os::EAbort);
    ASSERT_EQ(Dialogs.Calls.size(), 1u);
    EXPECT_EQ(Dialogs.Calls[0].Msg, kConfirm);
    EXPECT_EQ(Dialogs.Calls[0].Kind, controls::dkConfirmation);
    Dialogs.Answer = platform::ui::mrYes;
    Rows->Edit();
    EXPECT_EQ(Rows->State(), dsEdit);
    Rows->Cancel();

    Travado->SetSkipFixedCheck(true);
    Dialogs.Calls.clear();
    Rows->Edit();
    EXPECT_TRUE(Dialogs.Calls.empty());
    Rows->Cancel();
}

TEST_P(TableRowChecksTest, ADetailRowNeedsAMasterRowAndIsOfferedItsKeyValues) {
    std::unique_ptr<TClienteTeste> Cliente(CreateClasseTabela<TClienteTeste>());
    ASSERT_TRUE(Cliente->Load({"IdCliente"}, {2}));
    std::unique_ptr<TPedidoDetalhe> Pedido(CreateClasseTabela<TPedidoDetalhe>());
    Pedido->Load({}, {});
    TDataSet* Detail = Pedido->DataSet();
    Detail->SetIndexFieldNames("IdCliente; ");
    Detail->SetMasterFields("IdCliente;");
    Detail->SetMasterSource(Cliente->DataSource());

    Pedido->Allow = false;
    EXPECT_THROW(Detail->Append(), platform::os::EAbort);
    EXPECT_EQ(Pedido->Offered, QStringList({"IdCliente=2"}));
    EXPECT_EQ(Detail->State(), dsBrowse);

    Pedido->Allow = true;
    Pedido->OnMasterValues = [](TMasterFields& Fields, TMasterValues& Values) {
        Fields << "Quantidade";
        Values << 3;
    };
    Detail->Append();
    EXPECT_EQ(Detail->State(), dsInsert);
    EXPECT_EQ(Pedido->Offered, QStringList({"IdCliente=2", "IdCliente=2", "Quantidade=3"}));
    Detail->Cancel();

    ASSERT_FALSE(Cliente->Load({"IdCliente"}, {99}));  // an empty master
    Detail->SetMasterSource(Cliente->DataSource());
    EXPECT_THROW(Detail->Append(), platform::os::EAbort);
    ASSERT_EQ(Dialogs.Calls.size(), 1u);
    EXPECT_EQ(Dialogs.Calls[0].Msg, "É preciso inserir um registro no cabeçalho antes de inserir um item.");
}

}  // namespace

#include "TableRowChecksTests.moc"
