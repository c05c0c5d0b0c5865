#include <QAbstractItemView>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include "platform/data/ADODataSet.h"
#include "platform/ui/DBGrids.h"
#include "platform/ui/tests/DataControlsTesting.h"

using namespace platform::ui;
using namespace platform::data;
using testing_data::TPeople;
using testing_data::TReports;
using testing_data::TShownForm;

namespace {

QImage Grab(QWidget* Widget) { return Widget->grab().toImage().convertToFormat(QImage::Format_RGB32); }

// A shown editable grid over the people.
struct TGridOnForm {
    TPeople People;
    TShownForm Shown;
    TDBGrid* Grid;
    explicit TGridOnForm(int Extra = 0) : People(Extra), Grid(new TDBGrid(&Shown.Form)) {
        Grid->SetBounds(0, 0, 380, 200);
        Grid->SetDataSource(&People.Source);
        Grid->show();
        Grid->SetFocus();
    }
    void Keys(std::initializer_list<Qt::Key> Sequence, Qt::KeyboardModifiers Shift = {}) {
        for (Qt::Key Key : Sequence) QTest::keyClick(QApplication::focusWidget(), Key, Shift);
    }
    // Each key goes where the focus is then: the first one opens the editor.
    void Type(const QString& Text) {
        for (QChar Ch : Text) QTest::keyClick(QApplication::focusWidget(), Ch.toLatin1());
    }
    QPoint Cell(int Column, int Row) const { return Grid->CellRect(Column, Row).center(); }
};

QStringList ColumnTexts(const TCustomDBGrid& Grid, int Column) {
    QStringList Texts;
    for (int Row = 0; Row < Grid.RowCount(); ++Row) Texts << Grid.CellText(Row, Column);
    return Texts;
}

}  // namespace

TEST(DBGrid, ShowingADataSetNeitherScrollsItNorReadsMoreThanTheScreen) {
    TGridOnForm Setup(997);
    TDataSet& Table = Setup.People.Table;
    int Scrolls = 0;
    Table.BeforeScroll = Table.AfterScroll = [&](TDataSet*) { ++Scrolls; };
    int Reads = 0;
    Table.FieldByName("Cidade")->OnGetText = [&](TField* Field, QString& Text, bool) {
        ++Reads;
        Text = Field->AsString();
    };
    auto* Grid = new TDBGrid(&Setup.Shown.Form);
    Grid->SetBounds(0, 0, 380, 200);
    Grid->SetDataSource(&Setup.People.Source);
    Grab(Grid);
    EXPECT_EQ(Scrolls, 0);
    EXPECT_GT(Reads, 0);
    EXPECT_LE(Reads, Grid->VisibleRowCount() + 1) << "only the rows on the screen are read";

    Table.SetRecNo(500);
    Scrolls = 0;
    Table.Edit();
    Table.FieldByName("Nome")->SetAsString("Editada");
    Table.Post();
    Grab(Grid);
    EXPECT_EQ(Scrolls, 0) << "a post shows the row again without walking the dataset";
    EXPECT_EQ(Grid->CellText(499, 0), "Editada");
    EXPECT_LE(Grid->TopRow(), 499);
    EXPECT_GT(Grid->TopRow() + Grid->VisibleRowCount(), 499) << "the window follows the cursor";
}

TEST(DBGrid, DefaultColumnsFollowTheVisibleFieldsAndPersistentOnesStay) {
    TGridOnForm Setup;
    TCustomDBGrid& Grid = *Setup.Grid;
    ASSERT_EQ(Grid.Columns().Count(), 4);
    EXPECT_EQ(Grid.Columns()[0]->Title().Caption(), "Nome");
    EXPECT_EQ(ColumnTexts(Grid, 2), QStringList({"10,50", "20,00", "30,00"})) << "display format";
    EXPECT_EQ(Grid.Columns().State(), csDefault);

    Setup.People.Source.SetEnabled(false);
    EXPECT_EQ(Grid.Columns().Count(), 0);
    Setup.People.Source.SetEnabled(true);
    TColumn* City = Grid.Columns().Add();
    City->SetFieldName("Cidade");
    City->Title().SetCaption("Município");
    TColumn* Name = Grid.Columns().Add();
    Name->SetFieldName("Nome");
    EXPECT_EQ(Grid.Columns().State(), csCustomized);
    EXPECT_EQ(Grid.Columns().Count(), 2);
    EXPECT_EQ(Grid.Columns()[0]->Title().Caption(), "Município");
    Setup.People.Source.SetEnabled(false);
    Setup.People.Source.SetEnabled(true);
    EXPECT_EQ(Grid.Columns().Count(), 2) << "persistent columns survive a reopening";
    EXPECT_EQ(Grid.CellText(1, 1), "Bia");
    Grid.Columns().RestoreDefaults();
    EXPECT_EQ(Grid.Columns().Count(), 4);
}

TEST(DBGrid, KeysMoveTheCursorAndTypingEditsTheCurrentCell) {
    TGridOnForm Setup(20);
    TDataSet& Table = Setup.People.Table;
    struct TCase {
        std::initializer_list<Qt::Key> Keys;
        Qt::KeyboardModifiers Shift;
        int RecNo;
    };
    const int Page = Setup.Grid->VisibleRowCount();
    for (const TCase& Case : {TCase{{Qt::Key_Down, Qt::Key_Down}, {}, 3}, TCase{{Qt::Key_Up}, {}, 2},
                              TCase{{Qt::Key_PageDown}, {}, 2 + Page}, TCase{{Qt::Key_End}, Qt::ControlModifier, 23},
                              TCase{{Qt::Key_Home}, Qt::ControlModifier, 1}}) {
        Setup.Keys(Case.Keys, Case.Shift);
        EXPECT_EQ(Table.RecNo(), Case.RecNo);
    }
    Setup.Keys({Qt::Key_Right, Qt::Key_Right, Qt::Key_End, Qt::Key_Home});
    EXPECT_EQ(Setup.Grid->SelectedIndex(), 0);

    Setup.Type("Ze");
    EXPECT_EQ(Table.State(), dsEdit) << "the first key puts the dataset in edit";
    EXPECT_EQ(Setup.Grid->EditorText(), "Ze");
    EXPECT_EQ(Setup.People.Name(), "Ana") << "the field changes when the cell is left";
    Setup.Keys({Qt::Key_Escape});
    EXPECT_EQ(Setup.Grid->EditorText(), "Ana") << "Esc takes back the cell";
    Setup.Keys({Qt::Key_Escape});
    EXPECT_EQ(Table.State(), dsBrowse) << "a second Esc cancels the record";

    Setup.Type("Ze");
    Setup.Keys({Qt::Key_Tab});
    EXPECT_EQ(Setup.People.Name(), "Ze");
    EXPECT_EQ(Setup.Grid->SelectedIndex(), 1) << "Tab goes to the next column";
    Setup.Keys({Qt::Key_Down});
    EXPECT_EQ(Table.State(), dsBrowse);
    EXPECT_EQ(Table.RecNo(), 2);
    Table.First();
    EXPECT_EQ(Setup.People.Name(), "Ze") << "posted";

    Setup.Keys({Qt::Key_F2});
    EXPECT_TRUE(Setup.Grid->EditorMode());
    Setup.Keys({Qt::Key_Return});
    EXPECT_FALSE(Setup.Grid->EditorMode());

    // The grid itself holding the focus while its editor is open: typed keys still reach the editor.
    Setup.Keys({Qt::Key_Left, Qt::Key_F2});
    Setup.Grid->setFocus();
    Setup.Type("Bo");
    Setup.Keys({Qt::Key_Return});
    EXPECT_EQ(Setup.People.Name(), "Bo");
}

TEST(DBGrid, InsertDownAtTheEndAndCtrlDeleteAddAndRemoveRows) {
    TGridOnForm Setup;
    TReports Reports;
    TDataSet& Table = Setup.People.Table;
    Setup.Keys({Qt::Key_End}, Qt::ControlModifier);
    Setup.Keys({Qt::Key_Down});
    EXPECT_EQ(Table.State(), dsInsert) << "Down at the last row appends";
    EXPECT_EQ(Setup.Grid->RowCount(), 4);
    Setup.Keys({Qt::Key_Down});
    EXPECT_EQ(Setup.Grid->RowCount(), 4) << "an untouched new row gets no other";
    Setup.Keys({Qt::Key_Up});
    EXPECT_EQ(Table.State(), dsBrowse) << "leaving an untouched new row drops it";
    EXPECT_EQ(Setup.Grid->RowCount(), 3);
    auto* Other = new QLineEdit(&Setup.Shown.Form);
    Other->setGeometry(0, 210, 100, 20);
    Other->show();
    Setup.Keys({Qt::Key_Down});
    Other->setFocus();
    EXPECT_EQ(Table.State(), dsBrowse) << "leaving the grid drops an untouched new row";
    EXPECT_EQ(Setup.Grid->RowCount(), 3);
    Setup.Grid->SetFocus();

    Setup.Keys({Qt::Key_Up});
    Setup.Keys({Qt::Key_Insert});
    EXPECT_EQ(Table.State(), dsInsert);
    Setup.Type("Davi");
    Setup.Keys({Qt::Key_Down});
    EXPECT_EQ(ColumnTexts(*Setup.Grid, 0), QStringList({"Ana", "Davi", "Bia", "Caio"}));

    Reports.Answer = false;
    Setup.Keys({Qt::Key_Delete}, Qt::ControlModifier);
    EXPECT_EQ(Reports.Questions, QStringList({"Excluir registro?"}));
    EXPECT_EQ(Table.RecordCount(), 4);
    Reports.Answer = true;
    Setup.Keys({Qt::Key_Delete}, Qt::ControlModifier);
    EXPECT_EQ(ColumnTexts(*Setup.Grid, 0), QStringList({"Ana", "Davi", "Caio"}));
    EXPECT_TRUE(Reports.Errors.isEmpty());
}

TEST(DBGrid, AValueTheFieldRefusesIsReportedAndTheCellKeepsIt) {
    TGridOnForm Setup;
    TReports Reports;
    Setup.Keys({Qt::Key_Right, Qt::Key_Right});
    Setup.Type("abc");
    Setup.Keys({Qt::Key_Down});
    ASSERT_EQ(Reports.Errors.size(), 1);
    EXPECT_EQ(Setup.People.Table.RecNo(), 1);
    EXPECT_EQ(Setup.People.Table.State(), dsEdit);
    EXPECT_EQ(Setup.Grid->EditorText(), "abc");
    EXPECT_TRUE(Setup.Grid->isAncestorOf(QApplication::focusWidget()));

    Setup.Keys({Qt::Key_Escape, Qt::Key_Escape, Qt::Key_Left, Qt::Key_Left});
    Setup.Keys({Qt::Key_Delete});
    Setup.Keys({Qt::Key_F2});
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    Setup.Keys({Qt::Key_Backspace});
    Setup.Keys({Qt::Key_Down});
    EXPECT_EQ(Reports.Errors.size(), 2) << "a required field left empty";
    EXPECT_EQ(Setup.People.Table.State(), dsEdit);
}

TEST(DBGrid, ClicksSelectCellsAndTitlesAndCtrlClicksSelectRows) {
    TGridOnForm Setup;
    TCustomDBGrid& Grid = *Setup.Grid;
    QStringList Clicked;
    Grid.OnCellClick = [&](TColumn* Column) { Clicked << "cell " + Column->FieldName(); };
    Grid.OnTitleClick = [&](TColumn* Column) { Clicked << "title " + Column->FieldName(); };
    QTest::mouseClick(&Grid, Qt::LeftButton, {}, Setup.Cell(1, 2));
    EXPECT_EQ(Setup.People.Table.RecNo(), 3);
    EXPECT_EQ(Grid.SelectedIndex(), 1);
    QTest::mouseClick(&Grid, Qt::LeftButton, {}, Grid.TitleRect(0).center());
    EXPECT_EQ(Clicked, QStringList({"cell Cidade", "title Nome"}));

    const int Before = Grid.Columns()[0]->Width();
    const QPoint Border(Grid.TitleRect(0).right() + 1, Grid.TitleRect(0).center().y());
    QTest::mousePress(&Grid, Qt::LeftButton, {}, Border);
    QTest::mouseMove(&Grid, Border + QPoint(25, 0));
    QTest::mouseRelease(&Grid, Qt::LeftButton, {}, Border + QPoint(25, 0));
    EXPECT_EQ(Grid.Columns()[0]->Width(), Before + 25);

    const QPoint From = Grid.TitleRect(0).center();
    const QPoint To = Grid.TitleRect(2).center();
    QTest::mousePress(&Grid, Qt::LeftButton, {}, From);
    QTest::mouseMove(&Grid, To);
    QTest::mouseRelease(&Grid, Qt::LeftButton, {}, To);
    EXPECT_EQ(Grid.Columns()[2]->FieldName(), "Nome") << "a title dragged moves its column";

    Grid.SetOptions(Grid.Options() | dgMultiSelect);
    QTest::mouseClick(&Grid, Qt::LeftButton, Qt::ControlModifier, Setup.Cell(0, 0));
    QTest::mouseClick(&Grid, Qt::LeftButton, Qt::ControlModifier, Setup.Cell(0, 2));
    ASSERT_EQ(Grid.SelectedRows().Count(), 2);
    Setup.People.Table.GotoBookmark(Grid.SelectedRows().Items(0));
    EXPECT_EQ(Setup.People.Name(), "Ana");
    Setup.Keys({Qt::Key_Down}, Qt::ShiftModifier);
    EXPECT_EQ(Grid.SelectedRows().Count(), 3) << "Shift+Down adds the row it reaches";
    Setup.Keys({Qt::Key_Up});
    EXPECT_EQ(Grid.SelectedRows().Count(), 0) << "moving without Shift starts again";
    QTest::mouseClick(&Grid, Qt::LeftButton, Qt::ControlModifier, Setup.Cell(0, 2));
    TReports Reports;
    Setup.Keys({Qt::Key_Delete}, Qt::ControlModifier);
    EXPECT_EQ(Reports.Questions, QStringList({"Excluir todos os registros selecionados?"}));
    EXPECT_EQ(ColumnTexts(Grid, 2), QStringList({"Ana", "Bia"}));
}

TEST(DBGrid, PickListColumnsEditThroughTheirList) {
    TGridOnForm Setup;
    TColumn* City = Setup.Grid->Columns().Add();
    City->SetFieldName("Cidade");
    City->SetPickList({"Natal", "Olinda", "Recife"});
    Setup.Keys({Qt::Key_F2});
    auto* List = qobject_cast<QComboBox*>(QApplication::focusWidget());
    ASSERT_NE(List, nullptr) << "the editor is a drop-down";
    Setup.Keys({Qt::Key_F4});
    ASSERT_TRUE(QTest::qWaitFor([&] { return List->view()->isVisible(); }));
    QTest::keyClick(List->view(), Qt::Key_Up);
    QTest::keyClick(List->view(), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !List->view()->isVisible(); }));
    Setup.Keys({Qt::Key_Return});
    EXPECT_EQ(Setup.People.Table.FieldByName("Cidade")->AsString(), "Olinda");

    int Asked = 0;
    Setup.Grid->OnEditButtonClick = [&](QObject*) { ++Asked; };
    City->SetButtonStyle(cbsEllipsis);
    Setup.Keys({Qt::Key_F2});
    ASSERT_NE(qobject_cast<QLineEdit*>(QApplication::focusWidget()), nullptr) << "an ellipsis column edits text";
    const QRect Cell = Setup.Grid->CellRect(0, 0);
    QWidget* Button = Setup.Grid->childAt(QPoint(Cell.right() - 3, Cell.center().y()));
    ASSERT_NE(Button, nullptr);
    QTest::mouseClick(Button, Qt::LeftButton);
    EXPECT_EQ(Asked, 1);
    Setup.Keys({Qt::Key_Return}, Qt::ControlModifier);
    EXPECT_EQ(Asked, 2) << "Ctrl+Enter in the editor presses the button";
    Setup.Keys({Qt::Key_Escape});
    ASSERT_FALSE(Setup.Grid->EditorMode());
    Setup.Keys({Qt::Key_Return}, Qt::ControlModifier);
    EXPECT_EQ(Asked, 3) << "and so it does on the cell";
    EXPECT_FALSE(Setup.Grid->EditorMode());
    Setup.Grid->Columns().Add()->SetFieldName("Nome");
    Setup.Keys({Qt::Key_Right});
    Setup.Keys({Qt::Key_Return}, Qt::ControlModifier);
    EXPECT_EQ(Asked, 3) << "a column without the button opens its editor";
    EXPECT_TRUE(Setup.Grid->EditorMode());
}

TEST(DBGrid, LeftAndRightAtTheEdgesOfTheEditorsTextGoToTheNeighbouringColumn) {
    TGridOnForm Setup;
    TCustomDBGrid& Grid = *Setup.Grid;
    Setup.Keys({Qt::Key_F2});
    ASSERT_TRUE(Grid.EditorMode());
    Setup.Keys({Qt::Key_End, Qt::Key_Left});
    EXPECT_EQ(Grid.SelectedIndex(), 0) << "inside the text the caret moves";
    Setup.Keys({Qt::Key_End});
    Setup.Type("z");
    Setup.Keys({Qt::Key_Right});
    EXPECT_EQ(Grid.SelectedIndex(), 1);
    EXPECT_EQ(Setup.People.Name(), "Anaz") << "leaving the cell writes it";
    EXPECT_TRUE(Grid.EditorMode());
    Setup.Keys({Qt::Key_Home, Qt::Key_Left});
    EXPECT_EQ(Grid.SelectedIndex(), 0);
    Setup.Keys({Qt::Key_Right});
    EXPECT_EQ(Grid.SelectedIndex(), 1) << "with the whole text selected either key leaves";
}

TEST(DBGrid, ShiftClickOnRowsOrTheIndicatorSelectsTheRangeFromTheCurrentRow) {
    TGridOnForm Setup(5);
    TCustomDBGrid& Grid = *Setup.Grid;
    Grid.SetOptions(Grid.Options() | dgMultiSelect);
    auto SelectedNames = [&] {
        QStringList Names;
        const TBookmark Current = Setup.People.Table.GetBookmark();
        for (int I = 0; I < Grid.SelectedRows().Count(); ++I) {
            Setup.People.Table.GotoBookmark(Grid.SelectedRows().Items(I));
            Names << Setup.People.Name();
        }
        Setup.People.Table.GotoBookmark(Current);
        Names.sort();
        return Names;
    };
    QTest::mouseClick(&Grid, Qt::LeftButton, {}, Setup.Cell(0, 1));
    QTest::mouseClick(&Grid, Qt::LeftButton, Qt::ShiftModifier, Setup.Cell(1, 3));
    EXPECT_EQ(SelectedNames(), QStringList({"Bia", "Caio", "Pessoa 0"}));
    EXPECT_EQ(Setup.People.Table.RecNo(), 4);
    QTest::mouseClick(&Grid, Qt::LeftButton, Qt::ShiftModifier, Grid.CellRect(-1, 0).center());
    EXPECT_EQ(SelectedNames(), QStringList({"Ana", "Bia", "Caio", "Pessoa 0"})) << "the indicator too; no repeats";
    EXPECT_EQ(Setup.People.Table.RecNo(), 1);
    QTest::mouseClick(&Grid, Qt::LeftButton, {}, Setup.Cell(0, 5));
    EXPECT_EQ(Grid.SelectedRows().Count(), 0) << "a plain click starts again";
}

TEST(DBGrid, EditsOfAnSQLiteQueryReachTheTableAndItsRefusalsKeepTheRow) {
    TADOConnection Conn;
    Conn.SetConnectionString("Provider=SQLite;Data Source=:memory:");
    Conn.Open();
    Conn.Execute("Create Table Pessoa (IdPessoa Integer Primary Key, Nome VarChar(20) Not Null, Cidade VarChar(20))");
    Conn.Execute("Insert Into Pessoa Values (1, 'Ana', 'Recife')");
    Conn.Execute("Insert Into Pessoa Values (2, 'Bia', 'Natal')");
    TADOQuery Query;
    Query.SetConnection(&Conn);
    Query.SetSQL("Select IdPessoa, Nome, Cidade From Pessoa Order By IdPessoa");
    Query.Open();
    TDataSource Source;
    Source.SetDataSet(&Query);
    TShownForm Shown;
    TReports Reports;
    auto* Grid = new TDBGrid(&Shown.Form);
    Grid->SetBounds(0, 0, 380, 200);
    Grid->SetDataSource(&Source);
    Grid->show();
    Grid->SetFocus();
    auto Key = [](Qt::Key K) { QTest::keyClick(QApplication::focusWidget(), K); };
    auto Cities = [&] {
        TADOQuery Check;
        Check.SetConnection(&Conn);
        Check.SetSQL("Select Cidade From Pessoa Order By IdPessoa");
        Check.Open();
        QStringList Found;
        for (; !Check.Eof(); Check.Next()) Found << Check.FieldByName("Cidade")->AsString();
        return Found;
    };
    Key(Qt::Key_End);
    QTest::keyClick(Grid, 'O');
    QTest::keyClicks(QApplication::focusWidget(), "linda");
    Key(Qt::Key_Down);
    EXPECT_EQ(Cities(), QStringList({"Olinda", "Natal"}));

    Key(Qt::Key_Left);
    Key(Qt::Key_F2);
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Up);
    ASSERT_EQ(Reports.Errors.size(), 1) << "the table refuses an empty name";
    EXPECT_EQ(Query.RecNo(), 2);
    EXPECT_EQ(Query.State(), dsEdit);
    Key(Qt::Key_Escape);
    Key(Qt::Key_Escape);
    EXPECT_EQ(Query.State(), dsBrowse);
    EXPECT_EQ(Grid->CellText(1, 1), "Bia");
}

TEST(DBGrid, DrawingHooksDrawCellsAndTitles) {
    TGridOnForm Setup;
    TCustomDBGrid& Grid = *Setup.Grid;
    Grid.SetDefaultDrawing(false);
    Grid.OnDrawColumnCell = [](TCustomDBGrid* Sender, const QRect& Rect, int, TColumn*, TGridDrawState) {
        Sender->Canvas().Brush().Color = Qt::red;
        Sender->Canvas().FillRect(Rect);
    };
    Grid.OnDrawTitleCell = [](TCustomDBGrid* Sender, const QRect& Rect, TColumn*, bool& Handled) {
        Sender->Canvas().Brush().Color = Qt::blue;
        Sender->Canvas().FillRect(Rect);
        Handled = true;
    };
    const QImage Picture = Grab(&Grid);
    EXPECT_EQ(Picture.pixelColor(Setup.Cell(1, 1)), QColor(Qt::red));
    EXPECT_EQ(Picture.pixelColor(Grid.TitleRect(1).center()), QColor(Qt::blue));
}

TEST(DBReadOnlyGrid, SelectsWholeRowsNeverEditsAndAsksForPicturesOnTheCellsRow) {
    TGridOnForm Setup;
    TImageList Images;
    Images.Add(QImage(16, 16, QImage::Format_ARGB32));
    auto* Grid = new TDBReadOnlyGrid(&Setup.Shown.Form);
    Grid->SetBounds(0, 0, 300, 150);
    Grid->SetImages(&Images);
    Grid->OnGetImageIndex = [](TDBReadOnlyGrid*, TField* Field, int& ImageIndex) {
        if (Field->FieldName() == "Nome" && Field->DataSet()->FieldByName("Tipo")->AsInteger() == 1) ImageIndex = 0;
    };
    Grid->SetDataSource(&Setup.People.Source);
    Grid->show();
    EXPECT_EQ(Grid->ColumnIndexOf("cidade"), 1);
    EXPECT_EQ(Grid->ColumnIndexOf("Tipo"), -1);
    EXPECT_EQ(Grid->ImageIndexAt(1, 0), 0);
    EXPECT_EQ(Grid->ImageIndexAt(0, 0), -1);
    EXPECT_EQ(Grid->ImageIndexAt(1, 1), -1);
    QTest::mouseClick(Grid, Qt::LeftButton, {}, Grid->CellRect(1, 2).center());
    EXPECT_EQ(Setup.People.Table.RecNo(), 3);
    Grid->SetFocus();
    QTest::keyClicks(Grid, "x");
    QTest::keyClick(Grid, Qt::Key_Insert);
    EXPECT_EQ(Setup.People.Table.State(), dsBrowse);
    EXPECT_FALSE(Grid->EditorMode());
}

TEST(DBReadOnlyGrid, ForgetsADataSourceThatGoes) {
    TDBReadOnlyGrid Grid;
    {
        TPeople People;
        Grid.SetDataSource(&People.Source);
        EXPECT_EQ(Grid.RowCount(), 3);
    }
    EXPECT_EQ(Grid.DataSource(), nullptr);
    EXPECT_EQ(Grid.RowCount(), 0);
    EXPECT_EQ(Grid.ColumnCount(), 0);
}
