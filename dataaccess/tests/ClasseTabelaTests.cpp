// The table class over every engine: column access by Indice, the value rules,
// cached updates, binding and attaching, snapshots and the messages.
#include <gtest/gtest.h>

#include <QPointer>

#include "TableTest.h"
#include "platform/data/Provider.h"
#include "platform/os/Exceptions.h"

using namespace dataaccess;
using namespace dataaccess::testing;
using namespace platform::data;
using namespace platform::data::testing;

namespace {

class ClasseTabelaTest : public TableTest {};
VEX_INSTANTIATE_ENGINE_SUITE(ClasseTabelaTest);

template <class T>
std::unique_ptr<T> Make() {
    return std::unique_ptr<T>(CreateClasseTabela<T>());
}

QString Message(const std::function<void()>& Run) {
    try {
        Run();
    } catch (const std::exception& E) {
        return QString::fromUtf8(E.what());
    }
    return QString();
}

QStringList Sorted(QStringList List) {
    List.sort();
    return List;
}

// "IdCliente|Nome|Cidade|Saldo" per row as the fixture's Table() reads the server, sorted as text.
QStringList Rows(TDataSet& DataSet) {
    QStringList Out;
    for (DataSet.First(); !DataSet.Eof(); DataSet.Next())
        Out << QString("%1|%2|%3|%4").arg(DataSet.FieldByName("IdCliente")->AsString(),
                                         DataSet.FieldByName("Nome")->AsString(),
                                         DataSet.FieldByName("Cidade")->AsString(),
                                         DataSet.FieldByName("Saldo")->AsString());
    Out.sort();
    return Out;
}

// Posts a new city for customer Id, and a new customer.
void PostCidade(TClienteTeste& Cliente, int Id, const QString& Cidade) {
    Cliente.DataSet()->Locate("IdCliente", Id);
    Cliente.SetAsString(TClienteTeste::idxCidade, Cidade);
    Cliente.DataSet()->Post();
}

void PostCliente(TClienteTeste& Cliente, int Id, const QString& Nome) {
    Cliente.DataSet()->Append();
    Cliente.SetFieldValues({"IdCliente", "Nome"}, {Id, Nome});
    Cliente.DataSet()->Post();
}

TEST_P(ClasseTabelaTest, WritingZeroStoresNullInKeyReferenceAndDateColumnsOnly) {
    const QDateTime Origin(QDate(1899, 12, 30), QTime(0, 0));
    struct {
        int Index;
        QVariant Value;
        bool KeepZeroDates;
        QVariant Expected;  // Null or the value stored
    } const Cases[] = {
        {TPedidoTeste::idxIdPedido, 0, false, Null()},
        {TPedidoTeste::idxIdCliente, 0, false, Null()},
        {TPedidoTeste::idxIdCliente, 0.0, false, Null()},
        {TPedidoTeste::idxIdCliente, 2, false, 2},
        {TPedidoTeste::idxQuantidade, 0, false, 0},
        {TPedidoTeste::idxEntrega, 0, false, Null()},
        {TPedidoTeste::idxEntrega, Origin, false, Null()},
        {TPedidoTeste::idxEntrega, 0, true, Origin},
        {TPedidoTeste::idxEntrega, Origin, true, Origin},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(QString("index %1, value %2, keep %3")
                         .arg(Case.Index).arg(Case.Value.toString()).arg(Case.KeepZeroDates).toStdString());
        auto Pedido = Make<TPedidoTeste>();
        Pedido->SetKeepZeroDates(Case.KeepZeroDates);
        Pedido->SetManualApply(true);
        ASSERT_TRUE(Pedido->Load({"IdPedido"}, {1}));
        Pedido->SetValue(TPedidoTeste::idxEntrega, QDateTime(QDate(2024, 5, 1), QTime(10, 0)));
        Pedido->SetValue(Case.Index, Case.Value);
        const QVariant Stored = Pedido->FieldByIndex(Case.Index)->Value();
        const TFieldType Type = Pedido->FieldByIndex(Case.Index)->DataType();
        EXPECT_EQ(VarIsNull(Stored), VarIsNull(Case.Expected));
        if (!VarIsNull(Case.Expected)) {
            EXPECT_EQ(Stored, ConvertValue(Case.Expected, Type));
        }
    }

    // Through a post to the server: the reference and the date become Null, the quantity 0.
    auto Pedido = Make<TPedidoTeste>();
    ASSERT_TRUE(Pedido->Load({"IdPedido"}, {1}));
    Pedido->SetValue(TPedidoTeste::idxIdCliente, 0);
    Pedido->SetValue(TPedidoTeste::idxQuantidade, 0);
    Pedido->SetValue(TPedidoTeste::idxEntrega, 0);
    Pedido->DataSet()->Post();
    EXPECT_EQ(Pedidos(), QStringList({"1||0|"}));
}

TEST_P(ClasseTabelaTest, FieldByIndexFindsColumnsByIndiceAndNamesTheOnesItMisses) {
    auto Cliente = Make<TClienteTeste>();
    ASSERT_TRUE(Cliente->Load({"IdCliente"}, {1}));
    EXPECT_EQ(Cliente->GetAsString(TClienteTeste::idxCidade), "São Paulo");
    EXPECT_EQ(Cliente->GetAsString(TClienteTeste::idxNome), "João Silva");
    EXPECT_EQ(Cliente->GetAsInteger(TClienteTeste::idxIdCliente), 1);
    EXPECT_EQ(Message([&] { Cliente->FieldByIndex(9); }), "Invalid field name '' (Index 9).");

    Cliente->SetAsString(TClienteTeste::idxCidade, "Campinas");
    Cliente->SetAsInteger(TClienteTeste::idxSaldo, 7);
    EXPECT_EQ(Cliente->DataSet()->FieldByName("Cidade")->AsString(), "Campinas");
    EXPECT_EQ(Cliente->DataSet()->FieldByName("Saldo")->AsFloat(), 7.0);
    Cliente->DataSet()->Cancel();

    // A declared column that the load did not bring.
    ASSERT_TRUE(Cliente->Load({"Nome"}, {"IdCliente"}, {1}, {}, QString(), {}, {}, {}, 0, nullptr, false));
    EXPECT_EQ(Message([&] { Cliente->FieldByIndex(TClienteTeste::idxCidade); }),
              "Invalid field name 'Cidade' (Index 1).");
}

TEST_P(ClasseTabelaTest, TwoBeginUpdatesAndOneEndUpdateSendNothing) {
    auto Cliente = Make<TClienteTeste>();
    ASSERT_TRUE(Cliente->Load({}, {}));
    int Sent = 0;
    Cliente->Provider()->BeforeUpdateRecord = [&Sent](QObject*, TDataSet*, TClientDataSet*, TUpdateKind, bool&) {
        ++Sent;
    };
    const QStringList Before = Table();
    Cliente->BeginUpdate();
    Cliente->BeginUpdate();
    PostCidade(*Cliente, 2, "Campinas");
    PostCliente(*Cliente, 10, "Novo");
    Cliente->EndUpdate();
    EXPECT_EQ(Sent, 0);
    EXPECT_TRUE(Cliente->ApplyPending());
    EXPECT_EQ(Table(), Before);

    Cliente->EndUpdate();
    EXPECT_EQ(Sent, 2);
    EXPECT_FALSE(Cliente->ApplyPending());
    EXPECT_EQ(Sorted(Table()), Rows(*Cliente->DataSet()));
    EXPECT_EQ(Table().size(), 4);
}

TEST_P(ClasseTabelaTest, AFailedAutomaticApplyDiscardsEveryCachedChange) {
    auto Cliente = Make<TClienteTeste>();
    ASSERT_TRUE(Cliente->Load({}, {}));
    auto* Client = qobject_cast<TClientDataSet*>(Cliente->DataSet());
    ASSERT_NE(Client, nullptr);

    Cliente->BeginUpdate();
    PostCidade(*Cliente, 2, "Campinas");
    PostCliente(*Cliente, 1, "Repetido");
    PostCliente(*Cliente, 11, "Outro");
    EXPECT_THROW(Cliente->EndUpdate(), platform::os::EAbort);
    EXPECT_EQ(Client->ChangeCount(), 0);
    EXPECT_EQ(Rows(*Client), Sorted(Table()));
    ASSERT_EQ(Dialogs.Calls.size(), 1u);
    EXPECT_EQ(Dialogs.Calls[0].Msg, "Ocorreu um erro ao tentar inserir o(a) cliente especial.");
    EXPECT_FALSE(Dialogs.Calls[0].Details.isEmpty());

    // Applied after each post: the rejected row does not stay cached either.
    const QStringList Before = Table();
    EXPECT_THROW(PostCliente(*Cliente, 3, "Repetido"), platform::os::EAbort);
    EXPECT_EQ(Client->ChangeCount(), 0);
    EXPECT_EQ(Rows(*Client), Sorted(Before));
    EXPECT_EQ(Table(), Before);
}

TEST_P(ClasseTabelaTest, SetFieldValuesSkipsNamesTheDataSetLacks) {
    auto Cliente = Make<TClienteTeste>();
    Cliente->SetFieldValues({"Cidade"}, {"Campinas"});
    EXPECT_EQ(Cliente->BoundDataSet(), nullptr);  // nothing bound: nothing loaded, nothing written

    ASSERT_TRUE(Cliente->Load({"IdCliente"}, {2}));
    Cliente->SetFieldValues({"Cidade", "NaoExiste", "saldo"}, {"Campinas", 1, 8});
    EXPECT_EQ(Cliente->DataSet()->FieldByName("Cidade")->AsString(), "Campinas");
    EXPECT_EQ(Cliente->DataSet()->FieldByName("Saldo")->AsFloat(), 8.0);
    Cliente->DataSet()->Post();
    EXPECT_EQ(Table()[1], "2|maria souza|Campinas|8");
}

TEST_P(ClasseTabelaTest, UnbindingGivesTheDataSetAndFieldsTheirOwnHandlersBack) {
    TClientDataSet Own;
    CreateClientes(Own);
    int UserPosts = 0, UserChanges = 0;
    Own.BeforePost = [&UserPosts](TDataSet*) { ++UserPosts; };
    Own.FieldByName("Nome")->OnChange = [&UserChanges](TField*) { ++UserChanges; };
    auto Edit = [&Own] {
        Own.Edit();
        Own.FieldByName("Nome")->SetAsString(Own.FieldByName("Nome")->AsString() + "!");
        Own.Post();
    };

    auto Cliente = Make<TClienteTeste>();
    Cliente->SetManualApply(true);
    Cliente->AttachDataSet(&Own);
    Edit();
    EXPECT_EQ(UserPosts, 1);
    EXPECT_EQ(UserChanges, 1);
    EXPECT_EQ(Cliente->BeforePostHooks, 1);

    Cliente->BindDataSet(nullptr);
    Edit();
    EXPECT_EQ(UserPosts, 2);
    EXPECT_EQ(UserChanges, 2);
    EXPECT_EQ(Cliente->BeforePostHooks, 1);
    EXPECT_FALSE(Own.BeforeEdit);
    EXPECT_FALSE(Own.OnPostError);
    EXPECT_FALSE(Own.OnReconcileError);
    EXPECT_FALSE(Own.FieldByName("Cidade")->OnValidate);
    EXPECT_EQ(Cliente->DataSource()->DataSet(), nullptr);
}

TEST_P(ClasseTabelaTest, ALoadFreesOnlyDataSetsTheTableCreated) {
    auto Own = std::make_unique<TClientDataSet>();
    CreateClientes(*Own);
    auto Cliente = Make<TClienteTeste>();
    Cliente->AttachDataSet(Own.get());
    ASSERT_TRUE(Cliente->Load({"IdCliente"}, {1}));
    EXPECT_NE(Cliente->BoundDataSet(), Own.get());
    EXPECT_FALSE(Own->BeforePost);
    EXPECT_EQ(Own->RecordCount(), 5);

    QPointer<TDataSet> Loaded = Cliente->BoundDataSet();
    ASSERT_TRUE(Cliente->Load({"IdCliente"}, {2}));
    EXPECT_TRUE(Loaded.isNull());

    // An attached dataset freed by its owner is forgotten; the next use loads anew.
    Cliente->AttachDataSet(Own.get());
    Own.reset();
    EXPECT_EQ(Cliente->BoundDataSet(), nullptr);
    EXPECT_EQ(Cliente->DataSet()->RecordCount(), 0);
}

TEST_P(ClasseTabelaTest, TheDataSetIsLoadedOnDemandWithTheDeclaredColumnsAndNoRow) {
    for (bool CreateEmpty : {true, false}) {
        SCOPED_TRACE(CreateEmpty ? "created empty" : "read from the server");
        auto Cliente = Make<TClienteTeste>();
        Cliente->SetCreateEmptyOnDemand(CreateEmpty);
        TDataSet* DataSet = Cliente->DataSet();
        ASSERT_NE(DataSet, nullptr);
        EXPECT_TRUE(DataSet->Active());
        EXPECT_EQ(DataSet->RecordCount(), 0);
        QStringList Names;
        for (TField* Field : DataSet->FieldList()) Names << Field->FieldName();
        EXPECT_EQ(Names, QStringList({"IdCliente", "Nome", "Cidade", "Saldo"}));
        EXPECT_EQ(Cliente->DataSource()->DataSet(), DataSet);
    }
}

TEST_P(ClasseTabelaTest, SnapshotsHoldTheValuesBeforeEditAndNullsBeforeInsert) {
    auto Cliente = Make<TClienteTeste>();
    ASSERT_TRUE(Cliente->Load({"IdCliente"}, {2}));
    Cliente->SetAsString(TClienteTeste::idxCidade, "Campinas");
    EXPECT_EQ(Cliente->SavedFieldValue("cidade").toString(), "Rio");
    EXPECT_EQ(Cliente->SavedFieldValue("IdCliente").toInt(), 2);
    Cliente->DataSet()->Cancel();
    Cliente->DataSet()->Append();
    EXPECT_TRUE(VarIsNull(Cliente->SavedFieldValue("Cidade")));
    EXPECT_FALSE(Cliente->SavedFieldValue("Desconhecido").isValid());

    // Other columns in another order: each name gives its own value, and a column no longer read keeps its last.
    Cliente->DataSet()->Cancel();
    ASSERT_TRUE(Cliente->LoadFields({"Saldo", "IdCliente"}, {"IdCliente"}, {1}));
    Cliente->SetValue(TClienteTeste::idxSaldo, 7.5);
    EXPECT_EQ(Cliente->SavedFieldValue("Saldo").toDouble(), 100.5);
    EXPECT_EQ(Cliente->SavedFieldValue("idcliente").toInt(), 1);
    EXPECT_TRUE(VarIsNull(Cliente->SavedFieldValue("Cidade")));
}

// Refuses the city "Nenhuma" and records the column changes it hears of.
class TValidada : public TClienteTeste {
public:
    using TClienteTeste::TClienteTeste;
    QStringList Changed;

protected:
    void DoValidateField(const QString& FieldName, const QString& Text, bool& Accept) override {
        Accept = !(FieldName == "Cidade" && Text == "Nenhuma");
    }
    void DoFieldChanged(const QString& FieldName) override { Changed << FieldName; }
};

TEST_P(ClasseTabelaTest, FieldHooksValidateTextsAndReportChangesUnderTheirAlias) {
    auto Cliente = Make<TValidada>();
    ASSERT_TRUE(Cliente->Load({"IdCliente"}, {2}));
    Cliente->ColumnAliases() << "Localidade=cidade";
    TField* Cidade = Cliente->DataSet()->FieldByName("Cidade");
    Cliente->DataSet()->Edit();
    Cidade->SetText("Nenhuma");  // a refused text is dropped without a word
    EXPECT_EQ(Cidade->AsString(), "Rio");
    Cidade->SetText("Santos");
    EXPECT_EQ(Cidade->AsString(), "Santos");
    EXPECT_THROW(Cidade->SetAsString("Nenhuma"), platform::os::EAbort);
    Cliente->DataSet()->FieldByName("Nome")->SetAsString("Maria");
    EXPECT_EQ(Cliente->Changed, QStringList({"Localidade", "Nome"}));

    Cliente->SetSuppressFieldHooks(true);
    Cidade->SetAsString("Nenhuma");
    EXPECT_EQ(Cidade->AsString(), "Nenhuma");
    EXPECT_EQ(Cliente->Changed.size(), 2);
}

// Refuses as TValidada does, through the hook it inherits.
class TValidadaHerdada : public TValidada {
public:
    using TValidada::TValidada;
};

TEST_P(ClasseTabelaTest, OnlyAClassThatValidatesFieldsIsGivenTheirText) {
    const struct {
        const char* Name;
        std::function<std::unique_ptr<TClienteTeste>()> Create;
        bool Validates;
    } Cases[] = {
        {"own hook", [] { return Make<TValidada>(); }, true},
        {"inherited hook", [] { return Make<TValidadaHerdada>(); }, true},
        {"no hook", [] { return Make<TClienteTeste>(); }, false},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        auto Cliente = Case.Create();
        EXPECT_EQ(Cliente->ValidatesFields(), Case.Validates);
        ASSERT_TRUE(Cliente->Load({"IdCliente"}, {2}));
        TField* Cidade = Cliente->DataSet()->FieldByName("Cidade");
        int Formatted = 0;
        Cidade->OnGetText = [&Formatted](TField* Sender, QString& Text, bool) {
            ++Formatted;
            Text = Sender->AsString();
        };
        Cliente->DataSet()->Edit();
        if (Case.Validates) EXPECT_THROW(Cidade->SetAsString("Nenhuma"), platform::os::EAbort);
        else Cidade->SetAsString("Nenhuma");
        EXPECT_EQ(Cidade->AsString(), Case.Validates ? "Rio" : "Nenhuma");
        EXPECT_EQ(Formatted > 0, Case.Validates);
        Cliente->DataSet()->Cancel();
    }
}

TEST_P(ClasseTabelaTest, TheMessagesNameTheTableInLowerCase) {
    auto Cliente = Make<TClienteTeste>();
    const struct {
        std::function<void()> Show;
        QString Msg;
    } Cases[] = {
        {[&] { Cliente->ShowUpdateError("d"); }, "Ocorreu um erro ao tentar atualizar o(a) cliente especial."},
        {[&] { Cliente->ShowInsertError("d"); }, "Ocorreu um erro ao tentar inserir o(a) cliente especial."},
        {[&] { Cliente->ShowDeleteError("d"); }, "Ocorreu um erro ao tentar excluir o(a) cliente especial."},
        {[&] { Cliente->ShowTotalError("d"); }, "Ocorreu um erro ao tentar totalizar o(a) cliente especial."},
        {[&] { Cliente->ShowNotFound(); }, "Não foi possível localizar o(a) cliente especial."},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Msg.toStdString());
        Dialogs.Calls.clear();
        Case.Show();
        ASSERT_EQ(Dialogs.Calls.size(), 1u);
        EXPECT_EQ(Dialogs.Calls[0].Msg, Case.Msg);
        EXPECT_EQ(Dialogs.Calls[0].Kind, controls::dkError);
    }
    EXPECT_EQ(Dialogs.Calls[0].Details, "");
}

}  // namespace
