// Pictures of the data-aware controls for the documentation: the grid with
// its indicator, an open pick list and selected rows; a form with the edits,
// combo boxes, check box and navigator. Written where VEX_DATA_GRID_OUT and
// VEX_DATA_FORM_OUT point.
#include <QAbstractItemView>
#include <QLabel>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

#include "platform/ui/DBCtrls.h"
#include "platform/ui/DBGrids.h"
#include "platform/ui/DBLookup.h"
#include "platform/ui/DBNavigator.h"
#include "platform/ui/tests/DataControlsTesting.h"

using namespace platform::ui;
using namespace platform::data;
using testing_data::SaveTo;
using testing_data::TPeople;
using testing_data::TShownForm;

namespace {

QImage Grab(QWidget* Widget) { return Widget->grab().toImage().convertToFormat(QImage::Format_RGB32); }

}  // namespace

TEST(DataPictures, GridWithIndicatorPickListAndSelectedRows) {
    TPeople People(6);
    TShownForm Shown(QSize(420, 230));
    auto* Grid = new TDBGrid(&Shown.Form);
    Grid->SetBounds(8, 8, 404, 214);
    Grid->SetOptions(Grid->Options() | dgMultiSelect);
    for (const char* Name : {"Nome", "Cidade", "Saldo", "Ativo"}) Grid->Columns().Add()->SetFieldName(Name);
    Grid->Columns()[1]->SetPickList({"Natal", "Olinda", "Recife"});
    Grid->SetDataSource(&People.Source);
    Grid->show();
    for (int Row : {3, 5}) QTest::mouseClick(Grid, Qt::LeftButton, Qt::ControlModifier, Grid->CellRect(0, Row).center());
    QTest::mouseClick(Grid, Qt::LeftButton, {}, Grid->CellRect(1, 1).center());
    ASSERT_EQ(Grid->SelectedRows().Count(), 0) << "a plain click starts the selection again";
    for (int Row : {3, 5}) QTest::mouseClick(Grid, Qt::LeftButton, Qt::ControlModifier, Grid->CellRect(0, Row).center());
    QTest::mouseClick(Grid, Qt::LeftButton, Qt::ControlModifier, Grid->CellRect(1, 1).center());
    ASSERT_EQ(Grid->SelectedRows().Count(), 3);
    QTest::keyClick(Grid, Qt::Key_F2);
    auto* List = qobject_cast<QComboBox*>(QApplication::focusWidget());
    ASSERT_NE(List, nullptr);
    QTest::keyClick(List, Qt::Key_F4);
    ASSERT_TRUE(QTest::qWaitFor([&] { return List->view()->isVisible(); }));

    QImage Picture = Grab(&Shown.Form);
    const QColor Highlight = SysColor(TSysColor::clHighlight);
    EXPECT_EQ(Picture.pixelColor(Grid->geometry().topLeft() + Grid->CellRect(2, 5).topLeft() + QPoint(1, 1)), Highlight)
        << "a selected row is highlighted";
    EXPECT_NE(Picture.pixelColor(Grid->geometry().topLeft() + Grid->CellRect(2, 4).topLeft() + QPoint(1, 1)), Highlight);
    // The open list is a window of its own: it is laid over the form where it shows.
    QWidget* Popup = List->view()->window();
    QPainter(&Picture).drawImage(Popup->mapToGlobal(QPoint()) - Shown.Form.mapToGlobal(QPoint()), Grab(Popup));
    List->hidePopup();
    EXPECT_TRUE(
        SaveTo("VEX_DATA_GRID_OUT", Picture.scaled(Picture.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
}

TEST(DataPictures, FormWithDataAwareControlsAndNavigator) {
    TPeople People;
    TShownForm Shown(QSize(360, 210));
    testing_data::TKinds Kinds;

    auto* Navigator = new TDBNavigator(&Shown.Form);
    Navigator->setGeometry(8, 8, 250, 25);
    Navigator->SetDataSource(&People.Source);
    int Top = 44;
    auto Caption = [&](const QString& Text) {
        auto* Label = new QLabel(Text, &Shown.Form);
        Label->setGeometry(8, Top + 4, 80, 16);
    };
    auto Place = [&](QWidget* Control, const QString& Label) {
        Caption(Label);
        Control->setGeometry(90, Top, 200, 22);
        Top += 30;
    };
    auto* Name = new TDBEdit(&Shown.Form);
    Name->SetDataSource(&People.Source);
    Name->SetDataField("Nome");
    Place(Name, "Nome");
    auto* Balance = new TDBEdit(&Shown.Form);
    Balance->SetDataSource(&People.Source);
    Balance->SetDataField("Saldo");
    Place(Balance, "Saldo");
    auto* City = new TDBComboBox(&Shown.Form);
    City->SetItems({"Natal", "Olinda", "Recife"});
    City->SetDataSource(&People.Source);
    City->SetDataField("Cidade");
    Place(City, "Cidade");
    auto* Kind = new TDBLookupComboBox(&Shown.Form);
    Kind->SetListSource(&Kinds.Source);
    Kind->SetKeyField("Id");
    Kind->SetListField("Descricao");
    Kind->SetDataSource(&People.Source);
    Kind->SetDataField("Tipo");
    Place(Kind, "Tipo");
    auto* Active = new TDBCheckBox(&Shown.Form);
    Active->setText("Ativo");
    Active->SetDataSource(&People.Source);
    Active->SetDataField("Ativo");
    Active->setGeometry(90, Top, 200, 22);
    for (QWidget* W : Shown.Form.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) W->show();

    QTest::mouseClick(Navigator->Button(nbNext), Qt::LeftButton);
    Name->setFocus();
    QTest::keyClick(Name, Qt::Key_End);
    QTest::keyClicks(Name, " Souza");
    EXPECT_EQ(People.Table.State(), dsEdit);
    EXPECT_EQ(Kind->Text(), "Fornecedor");
    EXPECT_FALSE(Navigator->Button(nbEdit)->isEnabled());
    EXPECT_TRUE(Navigator->Button(nbPost)->isEnabled());
    const QImage Picture = Grab(&Shown.Form);
    EXPECT_TRUE(
        SaveTo("VEX_DATA_FORM_OUT", Picture.scaled(Picture.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
}
