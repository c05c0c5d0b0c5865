#include <QLineEdit>
#include <QAbstractItemView>
#include <QClipboard>
#include <QGuiApplication>
#include <QTest>
#include <gtest/gtest.h>

#include "platform/data/DBClient.h"
#include "platform/ui/DBCtrls.h"
#include "platform/ui/DBLookup.h"
#include "platform/ui/DBNavigator.h"
#include "platform/ui/tests/DataControlsTesting.h"

using namespace platform::ui;
using namespace platform::data;
using testing_data::Bound;
using testing_data::TPeople;
using testing_data::TPhotos;
using testing_data::TReports;
using testing_data::TShownForm;

namespace {

void TypeInto(QWidget* Control, const QString& Text) {
    Control->setFocus();
    QTest::keyClicks(Control, Text);
}

}  // namespace

TEST(DBEdit, TypingEditsEscTakesBackAndLeavingWritesTheField) {
    TPeople People;
    TShownForm Shown;
    People.Table.FieldByName("Saldo")->SetEditFormat("0.0");
    auto* Name = Bound<TDBEdit>(&Shown.Form, People.Source, "Nome", 10);
    auto* Balance = Bound<TDBEdit>(&Shown.Form, People.Source, "Saldo", 40);
    auto* Other = new QLineEdit(&Shown.Form);
    Other->setGeometry(10, 70, 200, 24);
    Other->show();
    EXPECT_EQ(Name->text(), "Ana");
    EXPECT_EQ(Name->maxLength(), 20) << "the field's size";
    EXPECT_EQ(Balance->text(), "10,50") << "display format without the focus";
    Balance->setFocus();
    EXPECT_EQ(Balance->text(), "10,5") << "edit text with the focus";

    TypeInto(Name, "x");
    EXPECT_EQ(People.Table.State(), dsEdit) << "auto-edit";
    EXPECT_EQ(Name->text(), "Anax");
    QTest::keyClick(Name, Qt::Key_Escape);
    EXPECT_EQ(Name->text(), "Ana");
    EXPECT_EQ(People.Name(), "Ana");
    QTest::keyClick(Name, Qt::Key_End);
    QTest::keyClicks(Name, "bela");
    Other->setFocus();
    EXPECT_EQ(People.Name(), "Anabela") << "leaving the edit writes the field";
    EXPECT_EQ(People.Table.State(), dsEdit);
    People.Table.Post();
    People.Table.Next();
    EXPECT_EQ(Name->text(), "Bia") << "the edit follows the cursor";
    EXPECT_EQ(Balance->text(), "20,00");
}

TEST(DBEdit, TypingOverASelectionOfABrowsingRowReplacesTheSelection) {
    TPeople People;
    TShownForm Shown;
    auto* Name = Bound<TDBEdit>(&Shown.Form, People.Source, "Nome", 10);
    Name->setFocus();
    QTest::keyClick(Name, Qt::Key_Home, Qt::ShiftModifier);
    ASSERT_EQ(Name->selectedText(), "Ana");
    // The first key puts the row into edit; the selection must survive that.
    QTest::keyClicks(Name, "Eva");
    EXPECT_EQ(People.Table.State(), dsEdit);
    EXPECT_EQ(Name->text(), "Eva");
}

TEST(DBEdit, AValueTheFieldRefusesIsReportedAndKeepsTheFocus) {
    TPeople People;
    TShownForm Shown;
    TReports Reports;
    auto* Balance = Bound<TDBEdit>(&Shown.Form, People.Source, "Saldo", 10);
    auto* Other = Bound<TDBEdit>(&Shown.Form, People.Source, "Cidade", 40);
    TypeInto(Balance, "x");
    Other->setFocus();
    EXPECT_EQ(Reports.Errors.size(), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Balance->hasFocus(); }));
    EXPECT_EQ(Balance->text(), "10,50x") << "the value typed stays for correction";
    EXPECT_DOUBLE_EQ(People.Table.FieldByName("Saldo")->AsFloat(), 10.5);
}

TEST(DBEdit, FieldsThatCannotChangeRefuseTyping) {
    TPeople People;
    TShownForm Shown;
    People.Table.FieldByName("Cidade")->SetReadOnly(true);
    auto* City = Bound<TDBEdit>(&Shown.Form, People.Source, "Cidade", 10);
    auto* Name = Bound<TDBEdit>(&Shown.Form, People.Source, "Nome", 40);
    Name->SetReadOnly(true);
    for (TDBEdit* Edit : {City, Name}) {
        SCOPED_TRACE(Edit->DataField().toStdString());
        TypeInto(Edit, "zz");
        EXPECT_EQ(People.Table.State(), dsBrowse);
        EXPECT_TRUE(Edit->isReadOnly());
    }
    EXPECT_EQ(City->text(), "Recife");
}

TEST(DBCheckBox, ClicksWriteCheckedAndUncheckedValues) {
    TPeople People;
    TShownForm Shown;
    auto* Active = Bound<TDBCheckBox>(&Shown.Form, People.Source, "Ativo", 10);
    auto* City = Bound<TDBCheckBox>(&Shown.Form, People.Source, "Cidade", 40);
    City->SetValueChecked("Recife;Olinda");
    City->SetValueUnchecked("Outra");
    EXPECT_TRUE(Active->isChecked());
    EXPECT_TRUE(City->isChecked());
    QTest::mouseClick(Active, Qt::LeftButton, {}, QPoint(6, 12));
    EXPECT_EQ(People.Table.State(), dsEdit);
    QTest::mouseClick(City, Qt::LeftButton, {}, QPoint(6, 12));
    People.Table.Post();
    EXPECT_FALSE(People.Table.FieldByName("Ativo")->AsBoolean());
    EXPECT_EQ(People.Table.FieldByName("Cidade")->AsString(), "Outra");
    People.Table.Last();
    EXPECT_TRUE(City->isChecked()) << "Olinda is a checked value too";
}

TEST(DBComboBox, TheFieldStoresTheTextShownAndItemsMayBeDrawnByTheForm) {
    TPeople People;
    TShownForm Shown;
    auto* City = Bound<TDBComboBox>(&Shown.Form, People.Source, "Cidade", 10);
    City->SetItems({"Natal", "Olinda", "Recife"});
    int Drawn = 0;
    City->OnDrawItem = [&](TDBComboBox*, int, const QRect&, TCanvas&, bool) { ++Drawn; };
    EXPECT_EQ(City->currentText(), "Recife");
    City->setFocus();
    QTest::keyClick(City, Qt::Key_Up);
    EXPECT_EQ(People.Table.State(), dsEdit);
    EXPECT_EQ(City->currentText(), "Olinda");
    City->showPopup();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Drawn > 0; }));
    City->hidePopup();
    QTest::keyClick(City->lineEdit(), Qt::Key_Escape);
    EXPECT_EQ(City->currentText(), "Recife") << "Esc takes back the choice";
    QTest::keyClicks(City->lineEdit(), "x");
    People.Table.Post();
    EXPECT_EQ(People.Table.FieldByName("Cidade")->AsString(), "Recifex");
}

TEST(DBComboBox, AnOwnerDrawnListTakesNoTypingAndDrawsItsLinesAtTheItemHeight) {
    TPeople People;
    TShownForm Shown;
    auto* City = Bound<TDBComboBox>(&Shown.Form, People.Source, "Cidade", 10);
    City->SetStyle(TComboBoxStyle::csOwnerDrawFixed);
    City->SetItemHeight(20);
    City->SetItems({"Natal", "Olinda", "Recife"});
    EXPECT_FALSE(City->isEditable());
    City->showPopup();
    ASSERT_TRUE(QTest::qWaitFor([&] { return City->view()->isVisible(); }));
    EXPECT_EQ(City->view()->sizeHintForRow(0), 20);
    const QRect Current = City->view()->visualRect(City->view()->model()->index(2, 0));
    const QImage Drawn = City->view()->viewport()->grab().toImage();
    EXPECT_EQ(Drawn.pixelColor(Current.left() + 1, Current.center().y()), SysColor(TSysColor::clHighlight))
        << "the current line is drawn selected";
    City->hidePopup();
}

TEST(DBLookupComboBox, ChoosingAListRowWritesItsKeyWithoutMovingTheList) {
    TPeople People;
    TShownForm Shown;
    testing_data::TKinds KindTable;
    TDataSet& Kinds = KindTable.Table;
    int Scrolls = 0;
    Kinds.AfterScroll = [&](TDataSet*) { ++Scrolls; };
    auto* Kind = new TDBLookupComboBox(&Shown.Form);
    Kind->SetListSource(&KindTable.Source);
    Kind->SetKeyField("Id");
    Kind->SetListField("Descricao");
    Kind->SetDataSource(&People.Source);
    Kind->SetDataField("Tipo");
    EXPECT_EQ(Kind->Text(), "Cliente");
    People.Table.Next();
    EXPECT_EQ(Kind->Text(), "Fornecedor");
    Kind->setFocus();
    QTest::keyClick(Kind, Qt::Key_Down);
    EXPECT_EQ(People.Table.State(), dsEdit);
    EXPECT_EQ(People.Table.FieldByName("Tipo")->AsInteger(), 2);
    EXPECT_EQ(Scrolls, 0);
    EXPECT_EQ(Kinds.RecNo(), 1);
    Kinds.Last();
    Kinds.Edit();
    Kinds.FieldByName("Descricao")->SetAsString("Agente de carga");
    Kinds.Post();
    EXPECT_EQ(Kind->Text(), "Agente de carga") << "the list follows its dataset";
}

TEST(DBTextAndImage, ShowTheField) {
    TPeople People;
    TShownForm Shown;
    auto* Balance = Bound<TDBText>(&Shown.Form, People.Source, "Saldo", 10);
    EXPECT_EQ(Balance->text(), "10,50");
    TPhotos Photos;
    auto* Photo = Bound<TDBImage>(&Shown.Form, Photos.Source, "Foto", 40);
    QImage Red(4, 3, QImage::Format_RGB32);
    Red.fill(Qt::red);
    EXPECT_TRUE(Photo->LoadPicture(Red));
    Photos.Table.Post();
    EXPECT_EQ(Photo->Picture().convertToFormat(QImage::Format_RGB32), Red);
    Photos.Table.Append();
    EXPECT_TRUE(Photo->Picture().isNull());
}

TEST(DBMemo, TypingEditsWithinTheFieldSizeEscTakesBackAndLeavingWritesLinesEndedInCrLf) {
    TPeople People;
    TShownForm Shown;
    auto* City = Bound<TDBMemo>(&Shown.Form, People.Source, "Cidade", 10);
    auto* Notes = Bound<TDBMemo>(&Shown.Form, People.Source, "Obs", 40);
    auto* Other = Bound<TDBEdit>(&Shown.Form, People.Source, "Nome", 70);
    EXPECT_EQ(City->toPlainText(), "Recife");
    EXPECT_EQ(Notes->toPlainText(), "Cliente desde 2019\nPrefere e-mail") << "CR LF is one line break";

    TypeInto(City, "x");
    EXPECT_EQ(People.Table.State(), dsEdit) << "auto-edit";
    QTest::keyClick(City, Qt::Key_Escape);
    EXPECT_EQ(City->toPlainText(), "Recife");
    EXPECT_EQ(People.Table.FieldByName("Cidade")->AsString(), "Recife");

    City->moveCursor(QTextCursor::Start);
    QTest::keyClicks(City, "Cabo de Santo Agostinho ");
    EXPECT_EQ(City->toPlainText(), "Cabo de Santo Recife") << "the field's 20 characters at most";
    Notes->setFocus();
    EXPECT_EQ(People.Table.FieldByName("Cidade")->AsString(), "Cabo de Santo Recife")
        << "leaving the memo writes the field";

    Notes->moveCursor(QTextCursor::End);
    QTest::keyClick(Notes, Qt::Key_Return);
    const QString Long(300, QLatin1Char('a'));
    QTest::keyClicks(Notes, Long);
    Other->setFocus();
    EXPECT_EQ(People.Table.FieldByName("Obs")->AsString(), "Cliente desde 2019\r\nPrefere e-mail\r\n" + Long)
        << "a memo field has no limit; lines end in CR LF";
    People.Table.Next();
    EXPECT_EQ(City->toPlainText(), "Natal") << "the memo follows the cursor";
}

TEST(DBImage, CtrlVPastesTheClipboardPictureWhereTheFieldCanChange) {
    TShownForm Shown;
    TPhotos Photos;
    Photos.Table.Post();
    auto* Photo = Bound<TDBImage>(&Shown.Form, Photos.Source, "Foto", 10);
    QImage Blue(5, 2, QImage::Format_RGB32);
    Blue.fill(Qt::blue);

    QGuiApplication::clipboard()->setText("sem figura");
    Photo->setFocus();
    QTest::keyClick(Photo, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Photos.Table.State(), dsBrowse) << "no picture, no edit";

    QGuiApplication::clipboard()->setImage(Blue);
    Photo->SetReadOnly(true);
    QTest::keyClick(Photo, Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(Photo->Picture().isNull()) << "a read-only image takes nothing";
    Photo->SetReadOnly(false);
    QTest::keyClick(Photo, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Photos.Table.State(), dsEdit);
    Photos.Table.Post();
    const QImage Stored = QImage::fromData(Photos.Table.FieldByName("Foto")->AsBytes());
    EXPECT_EQ(Stored.convertToFormat(QImage::Format_RGB32), Blue);
    EXPECT_EQ(Photo->Picture().convertToFormat(QImage::Format_RGB32), Blue);
}

TEST(DBNavigator, ButtonsFollowTheStateAndAct) {
    TPeople People;
    TShownForm Shown;
    TReports Reports;
    auto* Navigator = new TDBNavigator(&Shown.Form);
    Navigator->setGeometry(0, 0, 250, 25);
    Navigator->SetDataSource(&People.Source);
    Navigator->show();
    auto Enabled = [&] {
        QString Flags;
        for (int I = 0; I < kNavigateBtnCount; ++I) Flags += Navigator->Button(TNavigateBtn(I))->isEnabled() ? '1' : '0';
        return Flags;
    };
    EXPECT_EQ(Navigator->Button(nbNext)->toolTip(), "Próximo registro");
    EXPECT_EQ(Enabled(), "0011111001");
    QTest::mouseClick(Navigator->Button(nbNext), Qt::LeftButton);
    EXPECT_EQ(People.Table.RecNo(), 2);
    EXPECT_EQ(Enabled(), "1111111001");
    QTest::mouseClick(Navigator->Button(nbLast), Qt::LeftButton);
    EXPECT_EQ(Enabled(), "1100111001");
    QTest::mouseClick(Navigator->Button(nbInsert), Qt::LeftButton);
    EXPECT_EQ(People.Table.State(), dsInsert);
    EXPECT_EQ(Enabled().mid(6), "0110");
    QTest::mouseClick(Navigator->Button(nbPost), Qt::LeftButton);
    EXPECT_EQ(Reports.Errors.size(), 1) << "a required field left empty";
    QTest::mouseClick(Navigator->Button(nbCancel), Qt::LeftButton);
    EXPECT_EQ(People.Table.State(), dsBrowse);
    Reports.Answer = false;
    QTest::mouseClick(Navigator->Button(nbDelete), Qt::LeftButton);
    EXPECT_EQ(People.Table.RecordCount(), 3);
    Reports.Answer = true;
    QTest::mouseClick(Navigator->Button(nbDelete), Qt::LeftButton);
    EXPECT_EQ(People.Table.RecordCount(), 2);
    EXPECT_EQ(Reports.Questions, QStringList({"Excluir registro?", "Excluir registro?"}));
}
