#include <gtest/gtest.h>

#include <QObject>

#include "DivisionFixture.h"
#include "controls/tests/RecordedDialogs.h"
#include "dataaccess/VexModulo.h"
#include "dataaccess/testhost/TestHost.h"
#include "databound/AtualizaDivisaoList.h"
#include "databound/DivisionRules.h"
#include "databound/VexDivisao.h"
#include "platform/data/ADODataSet.h"
#include "platform/data/DBClient.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/data/Provider.h"
#include "platform/os/Exceptions.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Forms.h"

namespace databound {
namespace {

using platform::data::TDataSet;
using platform::data::TField;

const QString kConhecimentoSql = "Select IdConhecimento, Numero, Porto From Conhecimento Order By Numero";
const testing::TFieldList kConhecimentoFields = {{"IdConhecimento", platform::data::ftInteger},
                                                 {"Numero", platform::data::ftString},
                                                 {"Porto", platform::data::ftString}};

// A bill of lading division (master) and its items (detail) on one form, as a screen sets them up.
class DivisionTest : public testing::DivisionFixture {
protected:
    void SetUp() override {
        DivisionFixture::SetUp();
        if (IsSkipped()) return;
        Conn->Execute("Create Table Conhecimento (IdConhecimento Integer Not Null Primary Key, "
                      "Numero VarChar(20) Not Null, Porto VarChar(20))");
        Conn->Execute("Create Table Item (IdItem Integer Not Null Primary Key, IdConhecimento Integer Not Null, "
                      "Descricao VarChar(40) Not Null)");
        Conn->Execute("Insert Into Conhecimento Values (1, 'BL1', 'Santos')");
        Conn->Execute("Insert Into Conhecimento Values (2, 'O''Brien', 'Rio')");
        Conn->Execute("Insert Into Conhecimento Values (3, 'BL3', 'Santos')");
        Conn->Execute("Insert Into Item Values (10, 1, 'Caixa')");
        Conn->Execute("Insert Into Item Values (11, 2, 'Pallet')");
        Conn->Execute("Insert Into Item Values (12, 2, 'O''Brien')");
        Conn->Execute("Insert Into Item Values (13, 3, 'Tambor')");
        StartHost();
        Master = Make("Conhecimento", kConhecimentoSql, kConhecimentoFields);
        Detail = Make("Item", "Select IdItem, IdConhecimento, Descricao From Item",
                      {{"IdItem", platform::data::ftInteger}, {"IdConhecimento", platform::data::ftInteger},
                       {"Descricao", platform::data::ftString}});
        Detail.Divisao->SetMaster(Master.Divisao);
        Detail.Divisao->MasterFields = "IdConhecimento";
        Detail.Divisao->DetailFields = "IdConhecimento";
    }

    TParts Master{}, Detail{};
};

TEST_P(DivisionTest, CompanionComponentsAreNamedAfterTheDivisionWithoutUnderscores) {
    Master.Divisao->SetNome("Conh_Item");
    EXPECT_EQ(Master.Divisao->objectName(), "divConhItem");
    EXPECT_EQ(Master.Source->objectName(), "dtsConhItem");
    EXPECT_EQ(Master.Client->objectName(), "cdsConhItem");
    EXPECT_EQ(Master.Provider->objectName(), "prvConhItem");
    EXPECT_EQ(Master.Client->ProviderName(), "prvConhItem");
    EXPECT_EQ(Master.Query->objectName(), "dstConhItem");
    EXPECT_EQ(Form->objectName(), "frmConhItemDiv");
    EXPECT_EQ(Master.Divisao->GetProviderDataSet(), Master.Query);
}

TEST_P(DivisionTest, TheDetailShowsTheItemsOfWhatItsMasterSelects) {
    TFiltroDivisao& Porto = *Master.Divisao->Filtros().Add();
    Porto.SetField(Master.Client->FieldByName("Porto"));
    Porto.Values().Add()->SetValue("Santos");
    Master.Client->Open();
    EXPECT_EQ(Column(*Master.Client, "Numero"), QStringList({"BL1", "BL3"}));
    Detail.Client->Open();
    EXPECT_EQ(Column(*Detail.Client, "IdItem"), QStringList({"10", "13"}));
    // The master's Order By stays out of the In (...) and its parameters are copied into the detail's command.
    const QString Command = Detail.Query->CommandText();
    EXPECT_FALSE(Command.contains("Order By", Qt::CaseInsensitive)) << Command.toStdString();
    EXPECT_NE(Detail.Query->Parameters().FindParam(Porto.Values().Items(0)->Name()), nullptr);
    // A change of the master's filter reaches the detail.
    Porto.SetNegate(true);
    Master.Divisao->RefreshAll(true);
    EXPECT_EQ(Column(*Master.Client, "Numero"), QStringList({"O'Brien"}));
    EXPECT_EQ(Column(*Detail.Client, "IdItem"), QStringList({"11", "12"}));
}

TEST_P(DivisionTest, ADetailFieldWithoutOriginGetsNoRelation) {
    Detail.Client->FieldByName("IdConhecimento")->SetOrigin("");
    Master.Divisao->Filtros().Add()->SetField(Master.Client->FieldByName("Porto"));
    Master.Divisao->Filtros().Items(0)->Values().Add()->SetValue("Rio");
    Master.Client->Open();
    Detail.Client->Open();
    EXPECT_EQ(Column(*Detail.Client, "IdItem"), QStringList({"10", "11", "12", "13"}));
}

TEST_P(DivisionTest, AMissingMasterFieldKeepsTheDetailClosed) {
    Detail.Divisao->MasterFields = "SemCampo";
    Master.Client->Open();
    try {
        Detail.Client->Open();
        FAIL() << "the detail opened";
    } catch (const platform::data::EDatabaseError& E) {
        EXPECT_TRUE(QString(E.what()).contains("Field 'SemCampo' not found")) << E.what();
    }
    EXPECT_FALSE(Detail.Client->Active());
}

TEST_P(DivisionTest, LocateValuesBindsTheValuesThroughMasterAndDetail) {
    Master.Client->Open();
    Detail.Client->Open();
    ASSERT_TRUE(Detail.Divisao->LocateValues({"Descricao=O'Brien"}));
    EXPECT_EQ(Detail.Client->FieldByName("IdItem")->AsInteger(), 12);
    EXPECT_EQ(Master.Client->FieldByName("IdConhecimento")->AsInteger(), 2);
    ASSERT_TRUE(Master.Divisao->LocateValues({"Numero=O'Brien", "Ignorado=1"}));
    EXPECT_EQ(Master.Client->FieldByName("Numero")->AsString(), "O'Brien");
    for (const char* Crafted : {"Descricao=1' or '1'='1", "IdItem=1 or 1=1", "Descricao=x'; Delete From Item --"}) {
        SCOPED_TRACE(Crafted);
        EXPECT_FALSE(Detail.Divisao->LocateValues({Crafted}));
    }
    EXPECT_EQ(Scalar("Select Count(*) From Item").toInt(), 4);
}

TEST_P(DivisionTest, TheHostGatesInsertEditAndDelete) {
    dataaccess::testing::TTestDivisionHost Gate(dataaccess::kAllowEdit);
    Master.Divisao->SetHost(&Gate);
    Master.Client->Open();
    EXPECT_THROW(Master.Client->Insert(), platform::os::EAbort);
    EXPECT_EQ(Master.Client->State(), platform::data::dsBrowse);
    EXPECT_THROW(Master.Client->Delete(), platform::os::EAbort);
    EXPECT_TRUE(Gate.Window().Received().empty());
    Master.Client->Edit();
    ASSERT_EQ(Gate.Window().Received().size(), 1u);
    EXPECT_EQ(Gate.Window().Received()[0].Msg, dataaccess::WM_DIVISIONEDIT);
    Master.Client->FieldByName("Porto")->SetAsString("Itajaí");
    Master.Client->Post();
    ASSERT_EQ(Gate.Window().Received().size(), 2u);
    EXPECT_EQ(Gate.Window().Received()[1].Msg, dataaccess::WM_DIVISIONPOSTED);
}

TEST_P(DivisionTest, ReadOnlyFieldsAreWritableForTheNewRecordAndLockedAgainWhateverHappens) {
    Master.Client->Open();
    TField* Numero = Master.Client->FieldByName("Numero");
    Numero->SetReadOnly(true);
    bool Fail = true, Writable = false;
    Master.Divisao->SetDataSource(nullptr);
    Master.Divisao->Loaded();  // unhooked
    Master.Client->OnNewRecord = [&](platform::data::TDataSet*) {
        Writable = !Numero->ReadOnly();
        if (Fail) throw platform::data::EDatabaseError("falhou");
    };
    Master.Divisao->SetDataSource(Master.Source);
    Master.Divisao->Loaded();  // the division keeps the handler and calls it after its own work
    EXPECT_THROW(Master.Client->Insert(), platform::data::EDatabaseError);
    EXPECT_TRUE(Writable);
    EXPECT_TRUE(Numero->ReadOnly());
    Fail = false;
    Master.Client->Insert();
    EXPECT_TRUE(Numero->ReadOnly());
    Master.Client->Cancel();
}

TEST_P(DivisionTest, CloseQueryPostsCancelsOrRefusesAsAnswered) {
    Master.Client->Open();
    const struct {
        int Answer;
        bool CanClose;
        QString Porto;
    } Cases[] = {{platform::ui::mrCancel, false, "Santos"}, {platform::ui::mrNo, true, "Santos"},
                 {platform::ui::mrYes, true, "Paranaguá"}};
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Answer);
        ASSERT_TRUE(Master.Divisao->LocateValues({"IdConhecimento=1"}));
        if (Master.Client->State() != platform::data::dsEdit) Master.Client->Edit();
        Master.Client->FieldByName("Porto")->SetAsString("Paranaguá");
        TRecordedDialogs Dialogs;
        Dialogs.Answer = C.Answer;
        EXPECT_EQ(Master.Divisao->CloseQuery(), C.CanClose);
        ASSERT_EQ(Dialogs.Calls.size(), 1u);
        EXPECT_EQ(Dialogs.Calls[0].Msg, "Existem alterações em algum registro que ainda não foram salvas em "
                                        "'Conhecimentos'. Deseja gravar estas alterações?");
        if (C.CanClose) {
            EXPECT_EQ(Master.Client->State(), platform::data::dsBrowse);
            EXPECT_EQ(Master.Client->FieldByName("Porto")->AsString(), C.Porto);
        } else {
            EXPECT_EQ(Master.Client->State(), platform::data::dsEdit);
            Master.Client->Cancel();
        }
    }
    TRecordedDialogs None;
    EXPECT_TRUE(Master.Divisao->CloseQuery());
    EXPECT_TRUE(None.Calls.empty());
}

TEST_P(DivisionTest, RefreshRequestsWaitWhileADetailEditsAndThenReReadTheRow) {
    Master.Client->Open();
    Detail.Client->Open();
    Master.Divisao->Activate();
    ASSERT_TRUE(Detail.Divisao->LocateValues({"IdItem=12"}));
    Detail.Client->Edit();
    Conn->Execute("Update Conhecimento Set Porto = 'Vitória' Where IdConhecimento = 2");
    TRefreshSettings Request{"conhecimento", {{"IdConhecimento", 2}}};
    Master.Divisao->AddRefreshSettings(&Request);
    EXPECT_EQ(Master.Divisao->RefreshSettingsList().Count(), 1);
    EXPECT_EQ(Master.Client->FieldByName("Porto")->AsString(), "Rio");
    Detail.Client->Cancel();
    Master.Divisao->AtualizaDivisao();
    EXPECT_EQ(Master.Divisao->RefreshSettingsList().Count(), 0);
    ASSERT_TRUE(Master.Divisao->LocateValues({"IdConhecimento=2"}));
    EXPECT_EQ(Master.Client->FieldByName("Porto")->AsString(), "Vitória");
}

TEST_P(DivisionTest, ARecordRefreshReReadsThatRowAloneAndKeepsTheCursor) {
    TParts Plain = MakeQuery("Conhecimento", kConhecimentoSql, kConhecimentoFields);
    for (const TParts* P : {&Master, &Plain}) {
        SCOPED_TRACE(P->Client ? "client dataset" : "plain query");
        TDataSet& Shown = *P->Source->DataSet();
        Conn->Execute("Update Conhecimento Set Porto = 'Santos'");
        Shown.Open();
        ASSERT_TRUE(P->Divisao->LocateValues({"IdConhecimento=3"}));
        Conn->Execute("Update Conhecimento Set Porto = 'Vitória' Where IdConhecimento In (1, 2)");
        const QString Command = P->Query->CommandText();
        P->Divisao->RefreshRecord({"IdConhecimento"}, {2}, false);
        EXPECT_EQ(Shown.FieldByName("IdConhecimento")->AsInteger(), 3);
        EXPECT_EQ(P->Query->CommandText(), Command);
        EXPECT_EQ(Column(Shown, "Porto"), QStringList({"Santos", "Santos", "Vitória"}));
        P->Divisao->RefreshAll(false);
        EXPECT_EQ(Column(Shown, "Porto"), QStringList({"Vitória", "Santos", "Vitória"}));
        Shown.Close();
    }
}

TEST_P(DivisionTest, TheDivisionListTakesARequestToTheDivisionsOfThatTableOnly) {
    Master.Client->Open();
    Detail.Client->Open();
    Master.Divisao->Activate();
    Detail.Divisao->Activate();
    Conn->Execute("Update Item Set Descricao = 'Engradado' Where IdItem = 10");
    Conn->Execute("Update Conhecimento Set Porto = 'Vitória' Where IdConhecimento = 1");
    AtualizaDivisaoList().AddRefreshSettings({"ITEM", {{"IdItem", 10}}});
    EXPECT_EQ(Detail.Divisao->RefreshSettingsList().Count(), 0);
    ASSERT_TRUE(Detail.Divisao->LocateValues({"IdItem=10"}));
    EXPECT_EQ(Detail.Client->FieldByName("Descricao")->AsString(), "Engradado");
    ASSERT_TRUE(Master.Divisao->LocateValues({"IdConhecimento=1"}));
    EXPECT_EQ(Master.Client->FieldByName("Porto")->AsString(), "Santos");
    AtualizaDivisaoList().AddRefreshSettings({"Conhecimento", {}});
    EXPECT_EQ(Master.Client->FieldByName("Porto")->AsString(), "Vitória");
}

TEST_P(DivisionTest, UpdatesPropagateThroughTheTreeButNotBackIntoTheStartingSubtree) {
    QStringList Order;
    for (TVexDBDivisao* D : {Master.Divisao, Detail.Divisao}) {
        D->OnAtualizaDivisao = [&Order](TDivisao* Sender) { Order << Sender->Nome(); };
        D->Activate();
    }
    Order.clear();
    Detail.Divisao->AtualizaDivisao();
    EXPECT_EQ(Order, QStringList({"Item", "Conhecimento"}));
    Order.clear();
    Master.Divisao->AtualizaDivisao();
    EXPECT_EQ(Order, QStringList({"Conhecimento"}));
    EXPECT_EQ(Detail.Divisao->Caption(), "Items (Conhecimentos)");
}

TEST_P(DivisionTest, ARecordLimitLimitsTheCommandAndWarnsOnce) {
    for (int I = 4; I <= 150; ++I)
        Conn->Execute(QString("Insert Into Conhecimento Values (%1, 'BL%1', 'Santos')").arg(I));
    controls::TMessageQueue& Batch = controls::MessageQueue();
    Batch.BeginMessages();
    Master.Divisao->RecordLimit = 100;
    Master.Client->Open();
    EXPECT_EQ(Master.Divisao->ActiveLimit(), 100);
    EXPECT_EQ(Master.Client->RecordCount(), 100);
    ASSERT_EQ(Batch.Items().size(), 1u);
    TFiltroDivisao& Porto = *Master.Divisao->Filtros().Add();
    Porto.SetField(Master.Client->FieldByName("Porto"));
    Porto.Values().Add()->SetValue("Rio");
    Master.Divisao->RefreshAll(true);
    EXPECT_EQ(Master.Divisao->ActiveLimit(), -1);
    EXPECT_EQ(Master.Client->RecordCount(), 1);
    EXPECT_EQ(Batch.Items().size(), 1u);
    TRecordedDialogs Dialogs;
    Batch.EndMessages(true);
}

// Records what the division asks of its field rules; the update before the write counts as done when Take is set.
class TRecordingRules : public TDivisionRules {
public:
    void NewRecord(platform::data::TDataSet& DataSet) override {
        Calls << "new";
        DataSet.FieldByName("Porto")->SetAsString("Santos");
    }
    void BeforePost(platform::data::TDataSet&) override { Calls << "post"; }
    void BeforeUpdate(platform::data::TClientDataSet&, platform::data::TUpdateKind, bool& Applied) override {
        Calls << "before update";
        Applied = Take;
    }
    void AfterUpdate(platform::data::TClientDataSet&, platform::data::TUpdateKind) override { Calls << "after update"; }
    TSearchTarget SearchTarget(const TField& Field) const override {
        return Field.FieldName() == "Numero" ? TSearchTarget{"sys_Usuario", "IdUsuario"} : TSearchTarget{};
    }

    QStringList Calls;
    bool Take = false;
};

TEST_P(DivisionTest, FieldRulesAreAskedAroundNewRecordsPostsAndProviderUpdates) {
    TRecordingRules Rules;
    Master.Divisao->SetRules(&Rules);
    Master.Client->Open();
    Master.Client->Insert();
    Master.Client->FieldByName("IdConhecimento")->SetAsInteger(4);
    Master.Client->FieldByName("Numero")->SetAsString("BL4");
    Master.Client->Post();
    EXPECT_EQ(Master.Client->ApplyUpdates(0), 0);
    EXPECT_EQ(Rules.Calls, QStringList({"new", "post", "before update", "after update"}));
    EXPECT_EQ(Scalar("Select Porto From Conhecimento Where IdConhecimento = 4").toString(), "Santos");
    Rules.Take = true;
    Master.Client->Edit();
    Master.Client->FieldByName("Porto")->SetAsString("Rio");
    Master.Client->Post();
    EXPECT_EQ(Master.Client->ApplyUpdates(0), 0);
    EXPECT_EQ(Scalar("Select Porto From Conhecimento Where IdConhecimento = 4").toString(), "Santos");
}

TEST_P(DivisionTest, PossibleFilterValuesComeFromTheProvidersThenFromTheApplication) {
    TRecordingRules Rules;
    Master.Divisao->SetRules(&Rules);
    Master.Divisao->OnGetValoresPossiveisFiltro = [](TVexDBDivisao*, TField&, TValoresPossiveisFiltro& Lista) {
        Lista.Add({"(Outro)", "x", "Outro", 1});
    };
    for (const char* Name : {"Numero", "Porto"}) {
        SCOPED_TRACE(Name);
        TValoresPossiveisFiltro Lista;
        Master.Divisao->GetValoresPossiveisFiltro(*Master.Client->FieldByName(Name), Lista);
        QStringList Captions;
        for (int I = 0; I < Lista.Count(); ++I) Captions << Lista.Items(I).Caption;
        EXPECT_EQ(Captions, QString(Name) == "Numero" ? QStringList({kUsuarioLogadoCaption, "(Outro)"})
                                                      : QStringList({"(Outro)"}));
    }
}

VEX_INSTANTIATE_ENGINE_SUITE(DivisionTest);

TEST(DivisaoTest, AFrameThatIsATabPageTakesTheCaptionAlsoWhenTheMasterChangesIt) {
    platform::ui::TPageControl Pages;
    platform::ui::TTabSheet* Page = Pages.AddPage("Página");
    TDivisao Master;
    Master.SetCaption("Conhecimentos");
    TVexDBDivisao Detail;
    Detail.SetFrame(Page);
    Detail.SetCaption("Itens");
    EXPECT_EQ(Page->Caption(), "Itens");
    Detail.SetMaster(&Master);
    EXPECT_EQ(Page->Caption(), "Itens (Conhecimentos)");
    Detail.SetFrame(&Pages);  // not a page: its caption is the division's alone
    Detail.SetCaption("Volumes");
    EXPECT_EQ(Page->Caption(), "Itens (Conhecimentos)");
}

TEST(DivisaoTest, TheModuleIsForgottenWhenItGoesAway) {
    TDivisao Divisao;
    auto* Modulo = new dataaccess::TVexModulo;
    Divisao.SetModulo(Modulo);
    EXPECT_EQ(Divisao.Modulo(), Modulo);
    delete Modulo;
    EXPECT_EQ(Divisao.Modulo(), nullptr);
}

}  // namespace
}  // namespace databound
