// The bill's header on every engine: each reference is filled by typing part
// of a name into its edit (or Down) and Enter in the search combo, shows the
// name and is written with the bill; the freight terms are chosen by key in
// their combo; a whole bill with its containers is made by keys alone.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <vector>

#include "NavitrexTesting.h"
#include "databound/CustomCombo.h"
#include "databound/VexDBCombo.h"
#include "databound/VexDBGrid.h"
#include "platform/data/ADODataSet.h"
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
    // Presses the keys of Text in Edit (the first opens the combo), then Keys in the combo's search edit.
    void Type(QLineEdit* Edit, const QString& Text, const std::vector<Qt::Key>& Keys) {
        Edit->setFocus();
        QTest::keyClicks(Edit, Text.left(1));
        TfrmCustomCombo* Combo = TfrmCustomCombo::Current();
        ASSERT_NE(Combo, nullptr) << "the first key opened the search";
        QLineEdit* Search = Combo->edtIdentidade();
        ASSERT_TRUE(QTest::qWaitFor([&] { return Search->text() == Text.left(1); }));
        QTest::keyClicks(Search, Text.mid(1));
        for (const Qt::Key Key : Keys) QTest::keyClick(Search, Key);
        ASSERT_TRUE(QTest::qWaitFor([] { return TfrmCustomCombo::Current() == nullptr; })) << "applied and closed";
        // As the window manager does when the combo's window goes.
        Shown.Form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Shown.Form));
    }
    // A key pressed where the focus is.
    static void Press(int Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
        QWidget* Focused = QApplication::focusWidget();
        ASSERT_NE(Focused, nullptr);
        QTest::keyClick(Focused, Qt::Key(Key), Modifiers);
    }
    // Each character where the focus is then (the first may open an editor).
    static void TypeHere(const QString& Text) {
        for (const QChar Ch : Text) {
            QWidget* Focused = QApplication::focusWidget();
            ASSERT_NE(Focused, nullptr);
            QTest::keyClicks(Focused, QString(Ch));
        }
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
    ASSERT_TRUE(Screen->NovoConhecimento()) << Messages().join("\n").toStdString();
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

TEST_P(BillHeaderTest, TheDownKeyOpensTheSearchListingTheLookupAndEscapeLeavesTheReferenceAlone) {
    AddCadastro(cdNavios, "Estrela do Sul");
    AddCadastro(cdNavios, "Boreal Express");
    ASSERT_TRUE(Screen->NovoConhecimento());
    QLineEdit* Edit = Screen->Cabecalho->Edit("Navio");
    Edit->setFocus();
    QTest::keyClick(Edit, Qt::Key_Down);
    TfrmCustomCombo* Combo = TfrmCustomCombo::Current();
    ASSERT_NE(Combo, nullptr);
    EXPECT_EQ(Combo->dstCombo()->RecordCount(), 2);
    QTest::keyClick(Combo->edtIdentidade(), Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([] { return TfrmCustomCombo::Current() == nullptr; }));
    EXPECT_TRUE(Screen->Conhecimentos->Field("IdNavio")->IsNull());
    EXPECT_TRUE(Edit->text().isEmpty());
}

TEST_P(BillHeaderTest, TheFreightTermsAreChosenInTheirComboWhichShowsTheTermOfTheCurrentBill) {
    databound::TVexDBComboBox* Frete = Screen->Cabecalho->Frete();
    ASSERT_NE(Frete, nullptr);
    const int Shipper = AddCliente("Alfa Exportadora");
    auto NewBill = [&] {
        ASSERT_TRUE(Screen->NovoConhecimento());
        for (const char* Campo : {"IdCliente_Embarcador", "IdCliente_Consignatario"})
            Screen->Conhecimentos->Field(Campo)->SetValue(Shipper);
    };
    NewBill();
    EXPECT_EQ(Frete->DisplayText(Frete->currentIndex()), "Prepaid") << "a new bill is prepaid";
    Frete->setFocus();
    QTest::keyClick(Frete, Qt::Key_Down);
    EXPECT_EQ(Screen->Conhecimentos->Field("Frete")->AsString(), "C");
    ASSERT_TRUE(Screen->Gravar()) << Messages().join("\n").toStdString();
    NewBill();
    ASSERT_TRUE(Screen->Gravar()) << Messages().join("\n").toStdString();
    EXPECT_EQ(SelectRows("Select Frete From Conhecimento Order By Numero"), QStringList({"C", "P"}));

    // The combo follows the current bill.
    platform::data::TClientDataSet& Bills = *Screen->Conhecimentos->Client;
    QStringList Shown;
    for (Bills.First(); !Bills.Eof(); Bills.Next()) Shown << Frete->DisplayText(Frete->currentIndex());
    EXPECT_EQ(Shown, QStringList({"Collect", "Prepaid"}));
}

TEST_P(BillHeaderTest, ABillWithTwoContainersIsMadeAndWrittenThroughKeyPressesAlone) {
    const int Shipper = AddCliente("Alfa Exportadora");
    const int Consignee = AddCliente("Beta Importadora");
    Screen->Conhecimentos->Grid->setFocus();
    Press(Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(QApplication::focusWidget(), Screen->Cabecalho->Edit("Embarcador")) << Messages().join("\n").toStdString();
    Type(Screen->Cabecalho->Edit("Embarcador"), "expo", {Qt::Key_Return});
    Type(Screen->Cabecalho->Edit("Consignatario"), "impo", {Qt::Key_Return});
    for (const char* Conteiner : {"TGHU1234567", "TGHU7654321"}) {
        SCOPED_TRACE(Conteiner);
        Press(Qt::Key_I, Qt::ControlModifier);
        QWidget* Focused = QApplication::focusWidget();
        ASSERT_TRUE(Focused == Screen->Itens->Grid || Screen->Itens->Grid->isAncestorOf(Focused))
            << "the items grid or its cell editor";
        TypeHere(Conteiner);
        Press(Qt::Key_Return);
    }
    Press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(Messages().isEmpty()) << Messages().join("\n").toStdString();
    EXPECT_EQ(SelectRows("Select IdCliente_Embarcador, IdCliente_Consignatario From Conhecimento"),
              QStringList(QString("%1|%2").arg(Shipper).arg(Consignee)));
    EXPECT_EQ(SelectRows("Select i.Sequencia, i.Conteiner From Conhecimento_Item i Join Conhecimento c "
                         "On c.IdConhecimento = i.IdConhecimento Order By i.Sequencia"),
              QStringList({"1|TGHU1234567", "2|TGHU7654321"}));
}

}  // namespace
}  // namespace navitrex::testing
