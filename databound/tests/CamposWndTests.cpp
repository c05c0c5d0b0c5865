#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/VexButton.h"
#include "controls/tests/MessageBoxTesting.h"
#include "databound/CamposWnd.h"
#include "platform/ui/tests/DataControlsTesting.h"

using namespace databound;
using platform::ui::ColorFromRef;
using testing_data::TPeople;

namespace {

const QColor kCinza = ColorFromRef(0x808080);
const QColor kAzul = ColorFromRef(0xFF0000);
const QColor kOdd(0x12, 0x34, 0x56);

// Five columns; Cidade hidden and grey, Saldo in a colour of no name.
struct TDialogOnGrid {
    TPeople People;
    TVexDBGrid Grid;
    TDialogOnGrid() {
        for (const char* Name : {"Nome", "Cidade", "Saldo", "Ativo", "Tipo"}) Grid.Columns().Add()->SetFieldName(Name);
        Grid.SetDataSource(&People.Source);
        Grid.Columns()[1]->SetVisible(false);
        Grid.Columns()[1]->SetColor(kCinza);
        Grid.Columns()[2]->SetColor(kOdd);
    }
    QStringList ColumnTitles() const {
        QStringList Titles;
        for (int I = 0; I < Grid.Columns().Count(); ++I) Titles << Grid.Columns()[I]->Title().Caption();
        return Titles;
    }
};

QStringList Entries(const QListWidget& List) {
    QStringList Texts;
    for (int I = 0; I < List.count(); ++I)
        Texts << (List.item(I)->checkState() == Qt::Checked ? "+" : "-") + List.item(I)->text();
    return Texts;
}

void ChooseColor(TfrmCamposWnd& Dialog, int Entry) {
    Dialog.cbxCor->setCurrentIndex(Entry);
    emit Dialog.cbxCor->activated(Entry);
}

}  // namespace

TEST(ColumnDialog, ListsTheColumnsInOrderTickedWhenVisibleWithTheColourTable) {
    TDialogOnGrid On;
    TfrmCamposWnd Dialog(On.Grid);
    EXPECT_EQ(Dialog.Caption(), "Configurar campos");
    EXPECT_EQ(Dialog.lblTexto->text(), "Selecione os campos que você deseja exibir para os itens nesta grade.");
    EXPECT_EQ(Entries(*Dialog.lstCampos), QStringList({"+Nome", "-Cidade", "+Saldo", "+Ativo", "+Tipo"}));
    QStringList Colours;
    for (int I = 0; I < Dialog.cbxCor->count(); ++I) Colours << Dialog.cbxCor->itemText(I);
    EXPECT_EQ(Colours, QStringList({"Outra...", "Preto", "Castanho", "Verde", "Verde-oliva", "Azul-marinho", "Roxo",
                                    "Azul-petróleo", "Cinza", "Prateado", "Vermelho", "Verde-limão", "Amarelo",
                                    "Azul", "Fúcsia", "Azul-piscina", "Branco"}));
    EXPECT_EQ(Dialog.cbxCor->itemData(2).value<QColor>(), QColor(0x80, 0, 0)) << "Castanho is dark red";
    EXPECT_EQ(Dialog.cbxCor->iconSize().width(), 15);
    const QStringList Captions = {Dialog.btnAcima->Caption(), Dialog.btnAbaixo->Caption(),
                                  Dialog.btnMostrar->Caption(), Dialog.btnOcultar->Caption(),
                                  Dialog.btnOK->Caption(), Dialog.btnCancelar->Caption()};
    EXPECT_EQ(Captions, QStringList({"Mover para &cima", "Mover para &baixo", "&Mostrar", "&Ocultar", "OK",
                                     "Cancelar"}));

    // Selecting a column shows its colour: its named entry, else the first.
    const struct {
        int Row, Entry;
    } Shown[] = {{1, 8}, {2, 0}, {0, 0}};
    for (const auto& Case : Shown) {
        SCOPED_TRACE(Case.Row);
        Dialog.lstCampos->setCurrentRow(Case.Row);
        EXPECT_EQ(Dialog.cbxCor->currentIndex(), Case.Entry);
    }
}

TEST(ColumnDialog, ActionsAreEnabledOnlyWhereTheyChangeTheFocusedColumn) {
    TDialogOnGrid On;
    TfrmCamposWnd Dialog(On.Grid);
    const struct {
        int Row;
        bool Up, Down, Show, Hide;
    } Cases[] = {{0, false, true, false, true}, {1, true, true, true, false}, {4, true, false, false, true}};
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Row);
        Dialog.lstCampos->setCurrentRow(Case.Row);
        EXPECT_EQ(Dialog.actAcima->Enabled(), Case.Up);
        EXPECT_EQ(Dialog.actAbaixo->Enabled(), Case.Down);
        EXPECT_EQ(Dialog.actMostrar->Enabled(), Case.Show);
        EXPECT_EQ(Dialog.actOcultar->Enabled(), Case.Hide);
    }
}

TEST(ColumnDialog, KeysAndButtonsMoveShowHideAndColourAndOkGivesItAllToTheGrid) {
    TDialogOnGrid On;
    TfrmCamposWnd Dialog(On.Grid);
    QColor Asked;
    Dialog.OnChooseColor = [&Asked](QColor& Color) {
        Asked = Color;
        Color = QColor(0x20, 0x40, 0x60);
        return true;
    };
    Dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Dialog));
    Dialog.lstCampos->setFocus();
    Dialog.lstCampos->setCurrentRow(2);
    QTest::keyClick(Dialog.lstCampos, Qt::Key_Up, Qt::ControlModifier);
    QTest::keyClick(Dialog.lstCampos, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(Entries(*Dialog.lstCampos), QStringList({"+Saldo", "+Nome", "-Cidade", "+Ativo", "+Tipo"}));
    EXPECT_EQ(Dialog.lstCampos->currentRow(), 0) << "the moved column keeps the focus";
    QTest::keyClick(Dialog.lstCampos, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(Dialog.lstCampos->currentRow(), 0) << "nothing above the first";
    Dialog.lstCampos->setCurrentRow(3);
    QTest::keyClick(Dialog.lstCampos, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(Entries(*Dialog.lstCampos), QStringList({"+Saldo", "+Nome", "-Cidade", "+Tipo", "+Ativo"}));

    // Show Cidade, hide Ativo and Tipo together.
    Dialog.lstCampos->setCurrentRow(2);
    QTest::mouseClick(Dialog.btnMostrar, Qt::LeftButton);
    Dialog.lstCampos->setCurrentRow(3);
    Dialog.lstCampos->item(4)->setSelected(true);
    QTest::mouseClick(Dialog.btnOcultar, Qt::LeftButton);
    EXPECT_EQ(Entries(*Dialog.lstCampos), QStringList({"+Saldo", "+Nome", "+Cidade", "-Tipo", "-Ativo"}));

    // Azul for Nome; the custom colour for Cidade, which starts from the last custom one.
    Dialog.lstCampos->setCurrentRow(1);
    ChooseColor(Dialog, 13);
    Dialog.lstCampos->setCurrentRow(2);
    ChooseColor(Dialog, 0);
    EXPECT_EQ(Asked, QColor(Qt::white));
    EXPECT_EQ(Dialog.cbxCor->itemIcon(0).pixmap(15, 11).toImage().pixelColor(7, 5), QColor(0x20, 0x40, 0x60));
    Dialog.lstCampos->setCurrentRow(1);
    EXPECT_EQ(Dialog.cbxCor->currentIndex(), 13);
    Dialog.OnChooseColor = [](QColor&) { return false; };
    ChooseColor(Dialog, 0);
    EXPECT_EQ(Dialog.cbxCor->currentIndex(), 13) << "a cancelled colour dialog changes nothing";

    Dialog.Apply();
    EXPECT_EQ(On.ColumnTitles(), QStringList({"Saldo", "Nome", "Cidade", "Tipo", "Ativo"}));
    const struct {
        int Column;
        bool Visible;
        std::optional<QColor> Color;
    } Expected[] = {{0, true, kOdd}, {1, true, kAzul}, {2, true, QColor(0x20, 0x40, 0x60)}, {3, false, {}},
                    {4, false, {}}};
    for (const auto& Case : Expected) {
        SCOPED_TRACE(Case.Column);
        EXPECT_EQ(On.Grid.Columns()[Case.Column]->Visible(), Case.Visible);
        EXPECT_EQ(On.Grid.Columns()[Case.Column]->Color(), Case.Color);
    }
}

TEST(ColumnDialog, CancelLeavesTheGridAsItWasAndOkChangesIt) {
    TDialogOnGrid On;
    WhenShows<TfrmCamposWnd>([](TfrmCamposWnd& Dialog) {
        Dialog.lstCampos->setCurrentRow(0);
        QTest::mouseClick(Dialog.btnAbaixo, Qt::LeftButton);
        QTest::mouseClick(Dialog.btnCancelar, Qt::LeftButton);
    });
    EXPECT_FALSE(ShowColumnDialog(On.Grid));
    EXPECT_EQ(On.ColumnTitles(), QStringList({"Nome", "Cidade", "Saldo", "Ativo", "Tipo"}));
    WhenShows<TfrmCamposWnd>([](TfrmCamposWnd& Dialog) {
        Dialog.lstCampos->setCurrentRow(0);
        QTest::mouseClick(Dialog.btnAbaixo, Qt::LeftButton);
        QTest::mouseClick(Dialog.btnOK, Qt::LeftButton);
    });
    EXPECT_TRUE(ShowColumnDialog(On.Grid));
    EXPECT_EQ(On.ColumnTitles(), QStringList({"Cidade", "Nome", "Saldo", "Ativo", "Tipo"}));
}

// The picture of the documentation, written where VEX_COLUMN_DIALOG_OUT points.
TEST(ColumnDialog, PictureShowsTheSelectedColumnsColour) {
    TDialogOnGrid On;
    TfrmCamposWnd Dialog(On.Grid);
    Dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dialog));
    Dialog.lstCampos->setCurrentRow(1);
    const QImage Picture = Dialog.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect Combo = Dialog.cbxCor->geometry();
    int Grey = 0;
    for (int Y = Combo.top(); Y <= Combo.bottom(); ++Y)
        for (int X = Combo.left(); X < Combo.left() + 40; ++X) Grey += Picture.pixelColor(X, Y) == kCinza ? 1 : 0;
    EXPECT_GT(Grey, 20) << "the swatch of Cinza";
    if (const QString Out = qEnvironmentVariable("VEX_COLUMN_DIALOG_OUT"); !Out.isEmpty()) {
        EXPECT_TRUE(Picture.save(Out, "PNG"));
    }
}
