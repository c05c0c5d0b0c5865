#include <QAbstractItemView>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

#include "EngineTest.h"
#include "LookupScreens.h"
#include "controls/tests/MouseTesting.h"
#include "dataaccess/VexSchema.h"
#include "dataaccess/testhost/TestHost.h"
#include "databound/BevelKind.h"
#include "databound/CustomCombo.h"
#include "databound/VexDBCombo.h"
#include "databound/VexDBDataLabel.h"
#include "databound/VexDivisao.h"
#include "platform/data/Field.h"
#include "platform/ui/tests/DataControlsTesting.h"

using namespace databound;
using namespace platform::data;
using controls::TLabelButton;
using controls::TVexLabel;
using testing_data::TShownForm;
using testing_mouse::Click;

namespace {

// The client screen: a division with Prefixo "Cli" over a row of Clientes, whose IdCliente is a search field
// into the "Clientes" screen, Cidade and Apelido join fields shown through it, Apelido also kept in a companion
// table, Cadastro a date-time and Zera a reset option shown as "Zeramento".
class DataLabel : public ::testing::Test {
protected:
    void SetUp() override {
        Table = new TClientDataSet(&Shown.Form);
        Id = Add("IdCliente", ftInteger);
        Nome = Add("Nome", ftString);
        Cidade = Add("Cidade", ftString);
        Apelido = Add("Apelido", ftString);
        Cadastro = Add("Cadastro", ftDateTime);
        Zera = Add("Zera", ftString);
        Zera->SetDisplayLabel("Zeramento");
        Table->CreateDataSet();
        Table->AppendRecord({7, "Ana", "Recife", "Aninha", QDateTime(QDate(2026, 1, 2), QTime(3, 4)), "2"});
        Source = new TDataSource(&Shown.Form);
        Source->SetDataSet(Table);
        Divisao = new TVexDBDivisao(&Shown.Form);
        Divisao->SetDataSource(Source);
        Divisao->Campos().SetPrefixo("Cli");
        Search = Configure(Id, tfSearch);
        Search->SearchField().SetDivisao("Clientes");
        Search->SearchField().SetFieldName("IdCliente");
        Configure(Cidade, tfJoin)->JoinField().SetSearchField(Id);
        Configure(Apelido, tfJoin)->JoinField().SetSearchField(Id);
        TEspecializacaoItem* Companion = Divisao->Especializacao().Add();
        Companion->SetTabela("ClienteExtra");
        Companion->Campos().Add()->SetCampo(Apelido);
        TConfigCampo* Reset = Configure(Zera, 0);
        Reset->Valor().Items = QStringList{"0", "1", "2", "3"};
        Reset->Valor().ItemsEx = QStringList{"Nunca", "Diário", "Mensal", "Anual"};
    }

    TField* Add(const QString& Name, TFieldType Type) {
        auto* Field = new TField(Table, Name, Type, Type == ftString ? 40 : 0);
        Field->setObjectName("fldCli" + Name);
        return Field;
    }
    TConfigCampo* Configure(TField* Field, TTiposField Tipos) {
        TConfigCampo* Item = Divisao->Campos().Config().Add();
        Item->SetField(Field);
        Item->SetTipos(Tipos);
        return Item;
    }
    template <class TLabel = TVexDBLabel>
    TLabel* LabelOn(TField* Field, QWidget* Control) {
        auto* Label = new TLabel(&Shown.Form);
        Label->SetDivisao(Divisao);
        Label->SetDataSource(Source);
        Label->SetField(Field);
        Label->SetControl(Control);
        Label->show();
        return Label;
    }
    template <class TControl>
    TControl* NewControl(int Top) {
        auto* Control = new TControl(&Shown.Form);
        Control->setGeometry(10, Top, 200, 21);
        Control->show();
        return Control;
    }
    // Kind and Auto of each button, rightmost first.
    static QList<std::pair<controls::TTipoBotao, bool>> ButtonsOf(const TVexDBLabel& Label) {
        QList<std::pair<controls::TTipoBotao, bool>> Result;
        for (int I = 0; I < Label.Buttons().Count(); ++I)
            Result << std::pair{Label.Buttons().Items(I)->Tipo(), Label.Buttons().Items(I)->Auto()};
        return Result;
    }
    static void ClickButton(TVexDBLabel* Label, int Index) { Click(Label, Label->GetButtonRect(Index).center()); }

    TShownForm Shown{QSize(400, 400)};
    TClientDataSet* Table = nullptr;
    TDataSource* Source = nullptr;
    TVexDBDivisao* Divisao = nullptr;
    TConfigCampo* Search = nullptr;
    TField *Id = nullptr, *Nome = nullptr, *Cidade = nullptr, *Apelido = nullptr, *Cadastro = nullptr, *Zera = nullptr;
};

using TButtons = QList<std::pair<controls::TTipoBotao, bool>>;

}  // namespace

TEST_F(DataLabel, DrawsTheDisplayLabelOfItsFieldUnlessGivenACaption) {
    for (const auto& [Caption, Drawn] : {std::pair{"", "Zeramento"}, {"   ", "Zeramento"}, {"Fixo", "Fixo"}}) {
        SCOPED_TRACE(Caption);
        TVexDBLabel Label(&Shown.Form);
        Label.SetField(Zera);
        Label.SetCaption(Caption);
        TVexLabel Plain(&Shown.Form);
        Plain.SetCaption(Drawn);
        Label.setGeometry(10, 10, 150, 14);
        Plain.setGeometry(10, 30, 150, 14);
        EXPECT_EQ(Label.grab().toImage(), Plain.grab().toImage());
    }
}

TEST_F(DataLabel, BindsNamesAndFlattensItsControlAfterTheField) {
    auto* Edit = NewControl<platform::ui::TDBEdit>(60);
    TVexDBLabel* Label = LabelOn(Nome, Edit);
    EXPECT_EQ(Edit->objectName(), "edtCliNome");
    EXPECT_EQ(Label->objectName(), "lblCliNome");
    EXPECT_EQ(Edit->text(), "Ana") << "the empty source and field were filled";
    EXPECT_EQ(GetBevelKind(Edit), bkFlat);
    EXPECT_FALSE(Edit->hasFrame());

    auto* Combo = NewControl<TVexDBComboBox>(100);
    LabelOn(Zera, Combo);
    EXPECT_EQ(Combo->objectName(), "cbxCliZera");
    EXPECT_EQ(Combo->DisplayText(Combo->currentIndex()), "Mensal") << "items from the field's configuration";
    auto* Memo = NewControl<platform::ui::TDBMemo>(140);
    LabelOn(Cidade, Memo);
    EXPECT_EQ(Memo->objectName(), "mmoCliCidade");
    EXPECT_EQ(Memo->frameShape(), QFrame::NoFrame);

    auto* Clash = NewControl<platform::ui::TDBEdit>(180);
    Clash->setObjectName("Edit1");
    TVexDBLabel* Second = LabelOn(Nome, Clash);
    EXPECT_EQ(Clash->objectName(), "Edit1") << "edtCliNome is taken";
    EXPECT_TRUE(Second->objectName().isEmpty());
    EXPECT_TRUE(Clash->hasFrame());
    EXPECT_EQ(Clash->text(), "Ana") << "bound all the same";
}

TEST_F(DataLabel, KeepsAutomaticButtonsWhileTheFieldIsAReferenceAndLeavesHandMadeOnes) {
    TVexDBLabel* Label = LabelOn(Id, NewControl<platform::ui::TDBEdit>(60));
    EXPECT_EQ(ButtonsOf(*Label), TButtons({{controls::tbSearch, true}, {controls::tbClear, true}}));
    TLabelButton* Hand = Label->Buttons().Add();
    Hand->SetAuto(false);
    Hand->SetTipo(controls::tbSearch);
    Label->SetAutoButtonSearch(false);
    EXPECT_EQ(ButtonsOf(*Label), TButtons({{controls::tbClear, true}, {controls::tbSearch, false}}));
    Label->SetAutoButtonSearch(true);
    Search->SetAutoSearch(false);
    EXPECT_EQ(ButtonsOf(*Label), TButtons({{controls::tbSearch, false}})) << "the division rebinds its labels";
    TVexDBLabel* Date = LabelOn(Cadastro, NewControl<platform::ui::TDBEdit>(120));
    EXPECT_EQ(ButtonsOf(*Date), TButtons({{controls::tbClear, true}}));
}

TEST_F(DataLabel, TheClearButtonClearsTheSearchFieldOfAJoinButACompanionFieldItself) {
    for (const auto& [Shown, Cleared] : {std::pair{Cidade, Id}, {Apelido, Apelido}}) {
        SCOPED_TRACE(Shown->FieldName().toStdString());
        Table->Cancel();
        TVexDBLabel* Label = LabelOn(Shown, NewControl<platform::ui::TDBEdit>(60));
        ClickButton(Label, 1);
        for (TField* Field : {Id, Apelido}) EXPECT_EQ(Field->IsNull(), Field == Cleared);
    }
}

TEST_F(DataLabel, CtrlEnterAndTheSearchButtonSearchAlsoWithoutAutoEditButTheClearButtonWaitsForAnEdit) {
    dataaccess::testing::TTestHost Host;
    auto* Edit = NewControl<QLineEdit>(60);
    int Entered = 0, Clicks = 0;
    QObject::connect(Edit, &QLineEdit::returnPressed, [&Entered] { ++Entered; });
    TVexDBLabel* Label = LabelOn(Id, Edit);
    for (int I = 0; I < Label->Buttons().Count(); ++I)
        Label->Buttons().Items(I)->OnClick = [&Clicks](TLabelButton*) { ++Clicks; };
    QTest::keyClick(Edit, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(Host.Window().Received().size(), 1u) << "the search went to the host";
    EXPECT_EQ(Entered, 0) << "the Enter did not reach the control";
    Source->SetAutoEdit(false);
    ClickButton(Label, 1);
    EXPECT_FALSE(Id->IsNull());
    ClickButton(Label, 0);
    EXPECT_EQ(Host.Window().Received().size(), 2u);
    EXPECT_EQ(Clicks, 3) << "each button's own handler runs, also for Ctrl+Enter";
    QTest::keyClick(Edit, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(Entered, 1) << "keys need an editable dataset";
}

TEST(DataLabelLinking, TakesTheFirstDivisionSourceAndUnshownPlainFieldOfItsOwner) {
    QWidget Frame;
    auto* First = new TVexDBDivisao(&Frame);
    new TVexDBDivisao(&Frame);
    auto* Source = new TDataSource(&Frame);
    auto* Table = new TClientDataSet(&Frame);
    QList<TField*> Fields;
    for (const auto& [Component, Name] : {std::pair{"fldIdCliente", "IdCliente"}, {"fldAtivo", "Ativo"},
                                          {"fldDados", "Dados_Registro"}, {"fldNome", "Nome"}, {"Porto", "Porto"},
                                          {"fldCidade", "Cidade"}}) {
        Fields << new TField(Table, Name, ftString, 20);
        Fields.back()->setObjectName(Component);
    }
    (new TVexDBLabel(&Frame))->SetField(Fields[3]);
    auto* Label = new TVexDBLabel(&Frame);
    Label->LinkFromOwner();
    EXPECT_EQ(Label->Divisao(), First);
    EXPECT_EQ(Label->DataSource(), Source);
    EXPECT_EQ(Label->Field(), Fields[5]) << "keys, Ativo, Dados_Registro, shown fields and other names are passed over";
    delete First;
    EXPECT_EQ(Label->Divisao(), nullptr) << "a destroyed division is forgotten";
}

TEST_F(DataLabel, PictureOfAFormWithDataLabelsTheirButtonsAndTheComboOpen) {
    Id->SetDisplayLabel("Cliente");
    Zera->setObjectName("fldCliZeramento");
    Shown.Form.resize(360, 150);
    auto Place = [&](TField* Field, QWidget* Control, int Left, int Top, int Width) {
        Control->setGeometry(Left, Top, Width, 21);
        LabelOn(Field, Control);
    };
    Place(Id, NewControl<platform::ui::TDBEdit>(0), 10, 30, 80);
    Place(Nome, NewControl<platform::ui::TDBEdit>(0), 100, 30, 250);
    Place(Cidade, NewControl<platform::ui::TDBEdit>(0), 10, 80, 120);
    Place(Cadastro, NewControl<platform::ui::TDBEdit>(0), 140, 80, 125);
    auto* Combo = NewControl<TVexDBComboBox>(0);
    Combo->SetDrawEx(true);
    Place(Zera, Combo, 275, 80, 60);
    // The first item keeps the list below the combo and its label.
    Table->Edit();
    Zera->SetAsString("0");
    Combo->setFocus();
    Combo->showPopup();
    QWidget* List = Combo->view()->window();
    ASSERT_TRUE(QTest::qWaitFor([&] { return List->isVisible(); }));

    QImage Picture = Shown.Form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage Dropped = List->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QPoint At = List->mapToGlobal(QPoint()) - Shown.Form.mapToGlobal(QPoint());
    QPainter(&Picture).drawImage(At, Dropped);
    EXPECT_EQ(Combo->objectName(), "cbxCliZeramento");
    EXPECT_GT(List->width(), Combo->width()) << "\"2 - Mensal\" is wider than the combo";
    const QColor Highlight = platform::ui::SysColor(platform::ui::TSysColor::clHighlight);
    const QRect Current = Combo->view()->visualRect(Combo->view()->model()->index(0, 0));
    EXPECT_EQ(Dropped.pixelColor(Combo->view()->mapTo(List, QPoint(Current.left() + 1, Current.center().y()))),
              Highlight)
        << "the chosen item is drawn highlighted";
    Combo->hidePopup();
    EXPECT_TRUE(testing_data::SaveTo(
        "VEX_DATA_LABELS_OUT", Picture.scaled(Picture.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
}

// A data label on the freight screen's looked-up name, over a plain data-aware edit.
class DataLabelSearch : public databound::testing::FreightLookupFixture {
protected:
    void SetUp() override {
        FreightLookupFixture::SetUp();
        if (IsSkipped()) return;
        Edit = new platform::ui::TDBEdit(&Shown.Form);
        Edit->setGeometry(20, 40, 200, 21);
        Edit->show();
        auto* Label = new TVexDBLabel(&Shown.Form);
        Label->SetDivisao(Freight.Divisao);
        Label->SetDataSource(Freight.Source);
        Label->SetField(Freight.Client->FieldByName("NomePessoa"));
        Label->SetControl(Edit);
        Edit->setFocus();
    }

    TShownForm Shown;
    platform::ui::TDBEdit* Edit = nullptr;
};

TEST_P(DataLabelSearch, ATypedLetterOnAReadOnlyReferenceOpensTheSearchWithThatLetter) {
    QTest::keyClick(Edit, Qt::Key_Space);
    EXPECT_EQ(TfrmCustomCombo::Current(), nullptr) << "a blank starts no search";
    QTest::keyClick(Edit, Qt::Key_B);
    TfrmCustomCombo* Combo = TfrmCustomCombo::Current();
    ASSERT_NE(Combo, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Combo->edtIdentidade()->text() == "b"; }));
    EXPECT_EQ(Edit->text(), "Bruno Souza") << "the letter went to the search, not the field";
}

VEX_INSTANTIATE_ENGINE_SUITE(DataLabelSearch);
