#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/tests/MouseTesting.h"
#include "dataaccess/testhost/TestHost.h"
#include "databound/BevelKind.h"
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

// A label that plays the search combo: it records each opening and answers Shows.
class TRecordingLabel : public TVexDBLabel {
public:
    using TVexDBLabel::TVexDBLabel;
    struct TOpening {
        TVexDBDivisao* Division;
        QWidget* Control;
        TField* Field;
        bool SendEnterOnApply;
        Qt::KeyboardModifiers Shift;
    };
    QList<TOpening> Openings;
    bool Shows = true;

protected:
    bool ShowSearchCombo(TVexDBDivisao& Division, QWidget& Control, TField& Field, bool SendEnterOnApply,
                         Qt::KeyboardModifiers Shift) override {
        Openings << TOpening{&Division, &Control, &Field, SendEnterOnApply, Shift};
        return Shows;
    }
};

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
    struct TCase {
        QString Caption;
        bool Handler;
        QString Drawn;
    };
    for (const TCase& Case : {TCase{"", false, "Zeramento"}, {"   ", false, "Zeramento"}, {"Fixo", false, "Fixo"},
                              {"", true, "Zeramento!"}, {"Fixo", true, "Fixo"}}) {
        SCOPED_TRACE(QString("caption '%1', handler %2").arg(Case.Caption).arg(Case.Handler).toStdString());
        TVexDBLabel Label(&Shown.Form);
        Label.SetField(Zera);
        Label.SetCaption(Case.Caption);
        if (Case.Handler) Label.OnGetCaption = [](controls::TCustomVexLabel*, QString& Text) { Text += "!"; };
        TVexLabel Plain(&Shown.Form);
        Plain.SetCaption(Case.Drawn);
        Label.setGeometry(10, 10, 150, 14);
        Plain.setGeometry(10, 30, 150, 14);
        EXPECT_EQ(Label.grab().toImage(), Plain.grab().toImage());
        Plain.SetCaption(Case.Drawn + "x");
        EXPECT_NE(Label.grab().toImage(), Plain.grab().toImage());
    }
}

TEST_F(DataLabel, BindsNamesAndFlattensItsControlAfterTheField) {
    struct TCase {
        QString Kind;
        std::function<QWidget*()> Make;
        QString Name;
        bool LosesBorder;
    };
    const QList<TCase> Cases{
        {"edit", [&] { return NewControl<platform::ui::TDBEdit>(60); }, "edtCliNome", true},
        {"memo", [&] { return NewControl<platform::ui::TDBMemo>(60); }, "mmoCliNome", true},
        {"combo", [&] { return NewControl<TVexDBComboBox>(60); }, "cbxCliNome", false},
        {"list", [&] { return NewControl<QListWidget>(60); }, "lbxCliNome", true},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Kind.toStdString());
        QWidget* Control = Case.Make();
        TVexDBLabel* Label = LabelOn(Nome, Control);
        EXPECT_EQ(Control->objectName(), Case.Name);
        EXPECT_EQ(Label->objectName(), "lblCliNome");
        EXPECT_EQ(GetBevelKind(Control), bkFlat);
        if (auto* Edit = qobject_cast<platform::ui::TDBEdit*>(Control)) {
            EXPECT_EQ(Edit->DataSource(), Source);
            EXPECT_EQ(Edit->DataField(), "Nome");
            EXPECT_EQ(Edit->text(), "Ana");
            EXPECT_FALSE(Edit->hasFrame());
        }
        if (auto* Memo = qobject_cast<platform::ui::TDBMemo*>(Control)) {
            EXPECT_EQ(Memo->DataField(), "Nome");
            EXPECT_EQ(Memo->frameShape() == QFrame::NoFrame, Case.LosesBorder);
        }
        if (auto* Combo = qobject_cast<TVexDBComboBox*>(Control)) {
            EXPECT_EQ(Combo->DataField(), "Nome");
        }
        delete Label;
        delete Control;
    }
}

TEST_F(DataLabel, AClashingNameLeavesBothNamesAndTheBorderButStillBinds) {
    auto* Taken = NewControl<QLineEdit>(100);
    Taken->setObjectName("edtCliNome");
    auto* Edit = NewControl<platform::ui::TDBEdit>(60);
    Edit->setObjectName("Edit1");
    TVexDBLabel* Label = LabelOn(Nome, Edit);
    EXPECT_EQ(Edit->objectName(), "Edit1");
    EXPECT_TRUE(Label->objectName().isEmpty());
    EXPECT_TRUE(Edit->hasFrame());
    EXPECT_EQ(GetBevelKind(Edit), bkNone);
    EXPECT_EQ(Edit->DataField(), "Nome");
}

TEST_F(DataLabel, KeepsTheBindingThatTheControlAlreadyHas) {
    platform::data::TDataSource Other;
    auto* Edit = NewControl<platform::ui::TDBEdit>(60);
    Edit->SetDataSource(&Other);
    Edit->SetDataField("Cidade");
    LabelOn(Nome, Edit);
    EXPECT_EQ(Edit->DataSource(), &Other);
    EXPECT_EQ(Edit->DataField(), "Cidade");
}

TEST_F(DataLabel, FillsAComboWithTheValuesAndNamesOfItsFieldsConfiguration) {
    auto* Combo = NewControl<TVexDBComboBox>(60);
    LabelOn(Zera, Combo);
    EXPECT_EQ(Combo->Items(), QStringList({"0", "1", "2", "3"}));
    EXPECT_EQ(Combo->DisplayText(Combo->currentIndex()), "Mensal");
}

TEST_F(DataLabel, KeepsAutomaticButtonsWhileTheFieldIsAReferenceAndLeavesHandMadeOnes) {
    auto* Edit = NewControl<platform::ui::TDBEdit>(60);
    TVexDBLabel* Label = LabelOn(Id, Edit);
    EXPECT_EQ(ButtonsOf(*Label), TButtons({{controls::tbSearch, true}, {controls::tbClear, true}}))
        << "search rightmost, clear to its left";
    EXPECT_EQ(Label->Buttons().Items(0)->Hint(), "Pesquisar...");
    EXPECT_EQ(Label->Buttons().Items(1)->Hint(), "Apagar");

    TLabelButton* Hand = Label->Buttons().Add();
    Hand->SetAuto(false);
    Hand->SetTipo(controls::tbSearch);
    Label->SetAutoButtonSearch(false);
    EXPECT_EQ(ButtonsOf(*Label), TButtons({{controls::tbClear, true}, {controls::tbSearch, false}}));
    Label->SetAutoButtonSearch(true);
    EXPECT_EQ(ButtonsOf(*Label).size(), 3) << "a hand-made button does not stand for the automatic one";

    Search->SetAutoSearch(false);
    EXPECT_EQ(ButtonsOf(*Label), TButtons({{controls::tbSearch, false}})) << "the division rebinds its labels";
    Search->SetAutoSearch(true);
    Label->SetDivisao(nullptr);
    EXPECT_FALSE(Divisao->Labels().contains(Label));
    Search->SetTipos(0);
    EXPECT_EQ(ButtonsOf(*Label).size(), 3) << "no longer told of the division's changes";

    TVexDBLabel* Date = LabelOn(Cadastro, NewControl<platform::ui::TDBEdit>(120));
    EXPECT_EQ(ButtonsOf(*Date), TButtons({{controls::tbClear, true}})) << "a date-time field can be cleared";
    TVexDBLabel* Plain = LabelOn(Nome, NewControl<platform::ui::TDBEdit>(180));
    EXPECT_TRUE(ButtonsOf(*Plain).isEmpty());
}

TEST_F(DataLabel, TheClearButtonClearsTheSearchFieldOfAJoinButACompanionFieldItself) {
    struct TCase {
        TField* Shown;
        TField* Cleared;
    };
    for (const TCase& Case : {TCase{Cidade, Id}, {Apelido, Apelido}, {Cadastro, Cadastro}}) {
        SCOPED_TRACE(Case.Shown->FieldName().toStdString());
        Table->Cancel();
        TVexDBLabel* Label = LabelOn(Case.Shown, NewControl<platform::ui::TDBEdit>(60));
        int Clicks = 0;
        TLabelButton* Clear = Label->Buttons().Items(Label->Buttons().Count() - 1);
        ASSERT_EQ(Clear->Tipo(), controls::tbClear);
        Clear->OnClick = [&Clicks](TLabelButton*) { ++Clicks; };
        ClickButton(Label, Label->Buttons().Count() - 1);
        EXPECT_TRUE(Case.Cleared->IsNull());
        for (TField* Other : {Id, Apelido, Cadastro})
            if (Other != Case.Cleared) {
                EXPECT_FALSE(Other->IsNull()) << Other->FieldName().toStdString();
            }
        EXPECT_EQ(Clicks, 1);
        delete Label->Control();
        delete Label;
    }
}

TEST_F(DataLabel, WithoutAutoEditTheClearButtonWaitsForAnEditButTheSearchButtonSearches) {
    dataaccess::testing::TTestHost Host;
    Source->SetAutoEdit(false);
    TVexDBLabel* Label = LabelOn(Id, NewControl<platform::ui::TDBEdit>(60));
    int Clicks = 0;
    for (int I = 0; I < Label->Buttons().Count(); ++I)
        Label->Buttons().Items(I)->OnClick = [&Clicks](TLabelButton*) { ++Clicks; };
    ClickButton(Label, 1);
    EXPECT_FALSE(Id->IsNull()) << "browsing without AutoEdit";
    ClickButton(Label, 0);
    EXPECT_EQ(Host.Window().Received().size(), 1u) << "the search went to the host";
    EXPECT_EQ(Clicks, 2) << "each button's own handler runs";
    Table->Edit();
    ClickButton(Label, 1);
    EXPECT_TRUE(Id->IsNull());
}

TEST_F(DataLabel, ATypedLetterOnAReadOnlyReferenceOpensTheSearchWithThatLetter) {
    Cidade->SetReadOnly(true);
    auto* Edit = NewControl<QLineEdit>(60);
    auto* Label = LabelOn<TRecordingLabel>(Cidade, Edit);
    Label->SetAutoTab(false);
    QWidget Combo;
    auto* SearchEdit = new QLineEdit(&Combo);
    SearchEdit->setObjectName("edtIdentidade");
    Combo.show();
    // As the open combo has it: the focus is in its search edit.
    Combo.activateWindow();
    SearchEdit->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return SearchEdit->hasFocus(); }));

    QTest::keyClick(Edit, Qt::Key_A, Qt::ShiftModifier);
    ASSERT_EQ(Label->Openings.size(), 1);
    const TRecordingLabel::TOpening& Opened = Label->Openings.front();
    EXPECT_EQ(Opened.Division, Divisao);
    EXPECT_EQ(Opened.Control, Edit);
    EXPECT_EQ(Opened.Field, Cidade);
    EXPECT_FALSE(Opened.SendEnterOnApply) << "AutoTab";
    EXPECT_EQ(Opened.Shift, Qt::ShiftModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return SearchEdit->text() == "a"; }));
    EXPECT_TRUE(Edit->text().isEmpty()) << "the letter went to the search";

    QTest::keyClick(Edit, Qt::Key_Space);
    EXPECT_EQ(Label->Openings.size(), 1) << "a blank starts no search";
    QTest::keyClick(Edit, Qt::Key_Down);
    EXPECT_EQ(Label->Openings.size(), 2);

    Label->Shows = false;
    QTest::keyClick(Edit, Qt::Key_B);
    EXPECT_EQ(Label->Openings.size(), 3);
    EXPECT_EQ(Edit->text(), " b") << "not shown: the control takes the key";
    Cidade->SetReadOnly(false);
    QTest::keyClick(Edit, Qt::Key_C);
    EXPECT_EQ(Label->Openings.size(), 3) << "letters search only in a read-only field";
}

TEST_F(DataLabel, CtrlEnterSearchesWithoutTheEnterReachingTheControl) {
    dataaccess::testing::TTestHost Host;
    auto* Edit = NewControl<QLineEdit>(60);
    int Entered = 0;
    QObject::connect(Edit, &QLineEdit::returnPressed, [&Entered] { ++Entered; });
    TVexDBLabel* Label = LabelOn(Id, Edit);
    Edit->setFocus();
    QTest::keyClick(Edit, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(Host.Window().Received().size(), 1u);
    EXPECT_EQ(Entered, 0);
    Label->Buttons().Items(0)->SetEnabled(false);
    QTest::keyClick(Edit, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(Host.Window().Received().size(), 1u) << "no enabled search button";
    EXPECT_EQ(Entered, 1);
}

TEST_F(DataLabel, ForgetsItsDivisionSourceAndFieldWhenTheyAreDestroyed) {
    TVexDBLabel* Label = LabelOn(Nome, NewControl<platform::ui::TDBEdit>(60));
    EXPECT_TRUE(Divisao->Labels().contains(Label));
    delete Divisao;
    EXPECT_EQ(Label->Divisao(), nullptr);
    delete Source;
    EXPECT_EQ(Label->DataSource(), nullptr);
    delete Table;
    EXPECT_EQ(Label->Field(), nullptr);
    EXPECT_FALSE(Label->CanEdit(false));
}

TEST(DataLabelLinking, TakesTheFirstDivisionSourceAndUnshownPlainFieldOfItsOwner) {
    QWidget Frame;
    auto* First = new TVexDBDivisao(&Frame);
    new TVexDBDivisao(&Frame);
    auto* Source = new TDataSource(&Frame);
    new TDataSource(&Frame);
    auto* Table = new TClientDataSet(&Frame);
    TField* Shown = nullptr;
    TField* Expected = nullptr;
    for (const auto& [Component, Name] : {std::pair{"fldIdCliente", "IdCliente"}, {"fldAtivo", "Ativo"},
                                          {"fldDados", "Dados_Registro"}, {"fldNome", "Nome"}, {"Porto", "Porto"},
                                          {"fldCidade", "Cidade"}, {"fldPais", "Pais"}}) {
        auto* Field = new TField(Table, Name, ftString, 20);
        Field->setObjectName(Component);
        if (QString(Name) == "Nome") Shown = Field;
        if (QString(Name) == "Cidade") Expected = Field;
    }
    auto* Other = new TVexDBLabel(&Frame);
    Other->SetField(Shown);
    auto* Label = new TVexDBLabel(&Frame);
    Label->LinkFromOwner();
    EXPECT_EQ(Label->Divisao(), First);
    EXPECT_EQ(Label->DataSource(), Source);
    EXPECT_EQ(Label->Field(), Expected) << "keys, Ativo, Dados_Registro, shown fields and other names are passed over";
    Label->SetField(nullptr);
    Label->SetDivisao(nullptr);
    Label->LinkFromOwner();
    EXPECT_EQ(Label->Divisao(), First);
    EXPECT_EQ(Label->Field(), Expected);
}

TEST_F(DataLabel, WhileLoadingLeavesTheControlAloneAndBindsItOnceLoaded) {
    auto* Edit = NewControl<platform::ui::TDBEdit>(60);
    auto* Label = new TVexDBLabel(&Shown.Form);
    Label->BeginLoading();
    Label->SetDivisao(Divisao);
    Label->SetDataSource(Source);
    Label->SetField(Id);
    Label->SetControl(Edit);
    EXPECT_EQ(Edit->DataSource(), nullptr);
    EXPECT_TRUE(Edit->objectName().isEmpty());
    EXPECT_EQ(Label->Buttons().Count(), 2) << "buttons follow the configuration while loading too";
    Label->Loaded();
    EXPECT_EQ(Edit->DataField(), "IdCliente");
    EXPECT_EQ(Edit->objectName(), "edtCliIdCliente");
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
