// The bill's header on every engine: each reference is filled by typing part
// of a name into its edit and Enter in the search combo, shows the
// name and is written with the bill, and offers only the rows of its role;
// the freight terms are chosen by key in their combo.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <tuple>
#include <vector>

#include "NavitrexTesting.h"
#include "databound/CustomCombo.h"
#include "databound/VexDBCombo.h"
#include "databound/VexDBGrid.h"
#include "platform/data/DBClient.h"
#include "platform/data/Field.h"
#include "platform/ui/tests/DataControlsTesting.h"
#include "samples/navitrex/NavitrexCabecalho.h"
#include "samples/navitrex/NavitrexConhecimentos.h"
#include "samples/navitrex/NavitrexDivisao.h"

namespace navitrex::testing {
namespace {

using databound::TfrmCustomCombo;

class BillHeaderTest : public NavitrexEngineTest {
protected:
    void SetUp() override {
        NavitrexEngineTest::SetUp();
        if (IsSkipped()) return;
        OpenScreen();
    }
    void OpenScreen() {
        Screen = new TfrmConhecimentos({}, &Shown.Form);
        Screen->resize(Shown.Form.size());
        Screen->show();
        Screen->Abrir();
    }
    void TearDown() override {
        delete TfrmCustomCombo::Current();
        delete Screen;
        NavitrexEngineTest::TearDown();
    }
    // Presses the keys of Text in Edit (the first opens the combo), then Keys in the combo's search edit, which
    // applies a row and closes the combo.
    void Type(QLineEdit* Edit, const QString& Text, const std::vector<Qt::Key>& Keys) {
        Search(Edit, Text, Keys);
        ASSERT_TRUE(QTest::qWaitFor([] { return TfrmCustomCombo::Current() == nullptr; })) << "applied and closed";
        // As the window manager does when the combo's window goes.
        Shown.Form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Shown.Form));
    }
    // The same, leaving the combo as the keys leave it.
    static void Search(QLineEdit* Edit, const QString& Text, const std::vector<Qt::Key>& Keys) {
        Edit->setFocus();
        QTest::keyClicks(Edit, Text.left(1));
        TfrmCustomCombo* Combo = TfrmCustomCombo::Current();
        ASSERT_NE(Combo, nullptr) << "the first key opened the search";
        QLineEdit* Search = Combo->edtIdentidade();
        ASSERT_TRUE(QTest::qWaitFor([&] { return Search->text() == Text.left(1); }));
        QTest::keyClicks(Search, Text.mid(1));
        for (const Qt::Key Key : Keys) QTest::keyClick(Search, Key);
    }
    // Opens the search of the reference shown in the edit Nome with Down.
    static TfrmCustomCombo* OpenWithDown(QLineEdit* Edit) {
        Edit->setFocus();
        QTest::keyClick(Edit, Qt::Key_Down);
        return TfrmCustomCombo::Current();
    }
    // A key pressed where the focus is.
    static void Press(int Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
        QWidget* Focused = QApplication::focusWidget();
        ASSERT_NE(Focused, nullptr);
        QTest::keyClick(Focused, Qt::Key(Key), Modifiers);
    }
    testing_data::TShownForm Shown{QSize(900, 600)};
    TfrmConhecimentos* Screen = nullptr;
};
VEX_INSTANTIATE_ENGINE_SUITE(BillHeaderTest);

TEST_P(BillHeaderTest, TypingPartOfANameAndEnterFillsEachReferenceWhichIsWrittenWithTheBill) {
    AddCliente("Alfa Exportadora");
    const int Alfaiataria = AddCliente("Alfaiataria Central");
    const int Beta = AddCliente("Beta Importadora");
    AddCadastro(cdNavios, "Estrela do Sul");
    const int Boreal = AddCadastro(cdNavios, "Boreal Express");
    const int Novo = AddCadastro(cdPortos, "Porto Novo");
    const int Grande = AddCadastro(cdPortos, "Rio Grande");
    struct TCase {
        const char* Nome;
        QString Texto;
        std::vector<Qt::Key> Teclas;
        const char* Chave;
        int Id;
        const char* Mostrado;
    };
    // Customers are searched on the server when Enter is pressed: one match is taken at once, several are listed
    // and Down picks among them. Vessels and ports are listed at once and filtered as the user types.
    const TCase Cases[] = {
        {"Embarcador", "alfa", {Qt::Key_Return, Qt::Key_Down, Qt::Key_Return}, "IdCliente_Embarcador", Alfaiataria,
         "Alfaiataria Central"},
        {"Consignatario", "impo", {Qt::Key_Return}, "IdCliente_Consignatario", Beta, "Beta Importadora"},
        {"Navio", "bor", {Qt::Key_Return}, "IdNavio", Boreal, "Boreal Express"},
        {"Porto_Embarque", "nov", {Qt::Key_Return}, "IdPorto_Embarque", Novo, "Porto Novo"},
        {"Porto_Descarga", "gra", {Qt::Key_Return}, "IdPorto_Descarga", Grande, "Rio Grande"},
    };
    // Ctrl+N starts the bill in its first reference.
    Screen->Conhecimentos->Grid->setFocus();
    Press(Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(QApplication::focusWidget(), Screen->Cabecalho->Edit("Embarcador"))
        << Messages().join("\n").toStdString();
    platform::data::TClientDataSet& Bills = *Screen->Conhecimentos->Client;
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Nome);
        QLineEdit* Edit = Screen->Cabecalho->Edit(Case.Nome);
        ASSERT_NE(Edit, nullptr);
        Type(Edit, Case.Texto, Case.Teclas);
        EXPECT_EQ(Bills.FieldByName(Case.Chave)->AsInteger(), Case.Id);
        EXPECT_EQ(Edit->text(), Case.Mostrado);
    }
    ASSERT_TRUE(Screen->Gravar()) << Messages().join("\n").toStdString();
    EXPECT_EQ(SelectRows("Select IdCliente_Embarcador, IdCliente_Consignatario, IdNavio, IdPorto_Embarque, "
                         "IdPorto_Descarga From Conhecimento"),
              QStringList(QString("%1|%2|%3|%4|%5").arg(Alfaiataria).arg(Beta).arg(Boreal).arg(Novo).arg(Grande)));
    EXPECT_TRUE(Messages().isEmpty()) << Messages().join("\n").toStdString();
}

TEST_P(BillHeaderTest, EachReferenceOffersOnlyTheRowsOfItsRoleSoANameOfTheOtherRoleIsNotFound) {
    const int Alfa = AddCadastro(cdClientes, "Alfa Exportadora", {"Embarcador"});
    const int Beta = AddCadastro(cdClientes, "Beta Importadora", {"Consignatario"});
    // A port of both kinds keeps two rows under the first letter, so that the list stays open.
    AddCadastro(cdPortos, "Sepetiba", {"Embarque", "Descarga"});
    const int Santos = AddCadastro(cdPortos, "Santos Norte", {"Embarque"});
    const int Salvador = AddCadastro(cdPortos, "Salvador Sul", {"Descarga"});
    struct TCase {
        const char* Nome;
        TCadastro Cadastro;
        const char* Chave;
        QString Proprio;  // a name of the reference's role
        int Id;
        QString Alheio;   // a name of the other role only
        std::vector<Qt::Key> Teclas;
    };
    // Customers are read when Enter is pressed and an empty result is listed first; ports are listed at once.
    const TCase Cases[] = {
        {"Embarcador", cdClientes, "IdCliente_Embarcador", "alfa", Alfa, "beta", {Qt::Key_Return, Qt::Key_Return}},
        {"Consignatario", cdClientes, "IdCliente_Consignatario", "beta", Beta, "alfa",
         {Qt::Key_Return, Qt::Key_Return}},
        {"Porto_Embarque", cdPortos, "IdPorto_Embarque", "sant", Santos, "salv", {Qt::Key_Return}},
        {"Porto_Descarga", cdPortos, "IdPorto_Descarga", "salv", Salvador, "sant", {Qt::Key_Return}},
    };
    ASSERT_TRUE(Screen->NovoConhecimento()) << Messages().join("\n").toStdString();
    platform::data::TClientDataSet& Bills = *Screen->Conhecimentos->Client;
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Nome);
        QLineEdit* Edit = Screen->Cabecalho->Edit(Case.Nome);
        Dialogs.Calls.clear();
        Search(Edit, Case.Alheio, Case.Teclas);
        TfrmCustomCombo* Combo = TfrmCustomCombo::Current();
        ASSERT_NE(Combo, nullptr) << "nothing was applied";
        const QString Title = CaptionCadastro(Case.Cadastro).toLower();
        EXPECT_EQ(Messages(), QStringList(QString(databound::kComboNotFoundFor).arg(Title, Case.Alheio)));
        EXPECT_TRUE(Bills.FieldByName(Case.Chave)->IsNull());
        QTest::keyClick(Combo->edtIdentidade(), Qt::Key_Escape);
        ASSERT_TRUE(QTest::qWaitFor([] { return TfrmCustomCombo::Current() == nullptr; }));
        Type(Edit, Case.Proprio, {Qt::Key_Return});
        EXPECT_EQ(Bills.FieldByName(Case.Chave)->AsInteger(), Case.Id);
    }
}

TEST_P(BillHeaderTest, TheFreightTermsAreChosenInTheirComboWhichShowsTheTermOfTheCurrentBill) {
    databound::TVexDBComboBox* Frete = Screen->Cabecalho->Frete();
    ASSERT_NE(Frete, nullptr);
    const int Shipper = AddCliente("Alfa Exportadora");
    ASSERT_TRUE(NewBill(*Screen, Shipper, Shipper));
    EXPECT_EQ(Frete->DisplayText(Frete->currentIndex()), "Prepaid") << "a new bill is prepaid";
    Frete->setFocus();
    QTest::keyClick(Frete, Qt::Key_Down);
    EXPECT_EQ(Screen->Conhecimentos->Field("Frete")->AsString(), "C");
    ASSERT_TRUE(Screen->Gravar()) << Messages().join("\n").toStdString();
    ASSERT_TRUE(NewBill(*Screen, Shipper, Shipper));
    ASSERT_TRUE(Screen->Gravar()) << Messages().join("\n").toStdString();
    EXPECT_EQ(SelectRows("Select Frete From Conhecimento Order By Numero"), QStringList({"C", "P"}));

    // The combo follows the current bill.
    platform::data::TClientDataSet& Bills = *Screen->Conhecimentos->Client;
    QStringList Shown;
    for (Bills.First(); !Bills.Eof(); Bills.Next()) Shown << Frete->DisplayText(Frete->currentIndex());
    EXPECT_EQ(Shown, QStringList({"Collect", "Prepaid"}));
}

TEST_P(BillHeaderTest, EachSearchKeepsItsHeightForTheUserAndAfterARestartBothComeBackFromOneSettingsRow) {
    // Two ports, so that the list stays open.
    for (const char* Porto : {"Porto Novo", "Rio Grande"}) AddCadastro(cdPortos, Porto);
    ASSERT_TRUE(Screen->NovoConhecimento());
    const std::pair<const char*, int> Drags[] = {{"Porto_Embarque", 40}, {"Porto_Descarga", 80}};
    QList<int> Heights;
    for (const auto& [Nome, Down] : Drags) {
        SCOPED_TRACE(Nome);
        TfrmCustomCombo* Combo = OpenWithDown(Screen->Cabecalho->Edit(Nome));
        ASSERT_NE(Combo, nullptr);
        ASSERT_TRUE(Combo->Opened());
        // The sizer at the combo's foot drags its height.
        QWidget* Sizer = Combo->pnlSizer();
        const int Before = Combo->height();
        const QPoint Start = Sizer->mapToGlobal(QPoint(5, 2)), To = Start + QPoint(0, Down);
        for (const auto& [Type, At, Button, Held] :
             {std::tuple{QEvent::MouseButtonPress, Start, Qt::LeftButton, Qt::LeftButton},
              {QEvent::MouseMove, To, Qt::NoButton, Qt::LeftButton},
              {QEvent::MouseButtonRelease, To, Qt::LeftButton, Qt::NoButton}}) {
            QMouseEvent Event(Type, QPointF(Sizer->mapFromGlobal(At)), QPointF(At), Button, Held, Qt::NoModifier);
            QApplication::sendEvent(Sizer, &Event);
        }
        EXPECT_EQ(Combo->height(), Before + Down);
        Heights << Combo->height();
        QTest::keyClick(Combo->edtIdentidade(), Qt::Key_Escape);
        ASSERT_TRUE(QTest::qWaitFor([] { return TfrmCustomCombo::Current() == nullptr; }));
    }
    const QString Rows = "Select Count(*) From sys_Persistencia Where Lower(IdPersistencia) = 'rlcportos'";
    EXPECT_EQ(Scalar(Rows).toInt(), 1);

    // A restart: a new host logs the same user in and builds the screen again.
    Screen->Descartar();
    delete Screen;
    Host = std::make_unique<TNavitrexHost>(*Conn);
    Host->Login("ana");
    OpenScreen();
    ASSERT_TRUE(Screen->NovoConhecimento());
    for (int I = 0; I < 2; ++I) {
        SCOPED_TRACE(Drags[I].first);
        TfrmCustomCombo* Combo = OpenWithDown(Screen->Cabecalho->Edit(Drags[I].first));
        ASSERT_NE(Combo, nullptr);
        EXPECT_EQ(Combo->height(), Heights[I]);
        QTest::keyClick(Combo->edtIdentidade(), Qt::Key_Escape);
        ASSERT_TRUE(QTest::qWaitFor([] { return TfrmCustomCombo::Current() == nullptr; }));
    }
    EXPECT_EQ(Scalar(Rows).toInt(), 1);
}

}  // namespace
}  // namespace navitrex::testing
