#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "LookupScreens.h"
#include "dataaccess/DataSetSort.h"
#include "dataaccess/VexModulo.h"
#include "dataaccess/VexSearch.h"
#include "databound/CustomCombo.h"
#include "databound/VexDBGrid.h"
#include "platform/ui/tests/DataControlsTesting.h"

using namespace databound;
using namespace platform::ui;
using namespace platform::data;
using testing_data::TPeople;
using testing_data::TShownForm;

namespace {

const QColor kTitle(0xEB, 0xEA, 0xDB);
const QColor kHotTitle(0xFA, 0xF9, 0xF4);
const QColor kTitleLines[] = {QColor(0xCB, 0xC7, 0xB8), QColor(0xD6, 0xD2, 0xC2), QColor(0xE2, 0xDE, 0xCD)};
const QColor kZebra(0xF7, 0xF5, 0xF0);
const QColor kSortGrey(0x80, 0x80, 0x80);
const QColor kCheckFrame(0x1C, 0x51, 0x80);

QImage Grab(QWidget* Widget) { return Widget->grab().toImage().convertToFormat(QImage::Format_RGB32); }

int CountPixels(const QImage& Picture, const QRect& Area, const std::function<bool(QColor)>& Match) {
    int Count = 0;
    for (int Y = Area.top(); Y <= Area.bottom(); ++Y)
        for (int X = Area.left(); X <= Area.right(); ++X) Count += Match(Picture.pixelColor(X, Y)) ? 1 : 0;
    return Count;
}

// A shown editable grid over the people, with an edit after it to take the focus.
struct TVexGridOnForm {
    TPeople People;
    TShownForm Shown{QSize(460, 260)};
    TVexDBGrid* Grid;
    QLineEdit* Next;
    explicit TVexGridOnForm(int Extra = 0) : People(Extra), Grid(new TVexDBGrid(&Shown.Form)) {
        Grid->SetBounds(0, 0, 440, 200);
        Grid->SetOptions(Grid->Options() | dgEditing);
        for (const auto& [Name, Width] : {std::pair{"Nome", 100}, {"Cidade", 100}, {"Saldo", 70}, {"Ativo", 40},
                                          {"Tipo", 70}}) {
            TColumn* Column = Grid->Columns().Add();
            Column->SetFieldName(Name);
            Column->SetWidth(Width);
        }
        Grid->SetDataSource(&People.Source);
        Next = new QLineEdit(&Shown.Form);
        Next->setGeometry(0, 210, 100, 20);
        Grid->show();
        Next->show();
        Grid->SetFocus();
        Settle();
    }
    // Lets the grid's posted messages arrive.
    void Settle() { QCoreApplication::processEvents(); }
    QPoint Cell(int Column, int Row) const { return Grid->CellRect(Column, Row).center(); }
    void Key(Qt::Key Value, Qt::KeyboardModifiers Shift = {}) {
        QTest::keyClick(QApplication::focusWidget(), Value, Shift);
    }
    // The top-right pixel inside a cell, away from its text.
    QPoint Blank(int Column, int Row) const { return Grid->CellRect(Column, Row).topRight() + QPoint(-3, 2); }
};

}  // namespace

TEST(VexDBGrid, PublishedPropertiesStartAtTheirDefaults) {
    TVexDBGrid Grid;
    EXPECT_FALSE(Grid.NewLine());
    EXPECT_EQ(Grid.EstiloZebra(), ezImpar);
    EXPECT_EQ(Grid.ZebraColor(), kZebra);
    EXPECT_EQ(Grid.CorInativos(), QColor(Qt::red));
    EXPECT_EQ(Grid.BevelKind(), bkFlat);
    EXPECT_EQ(Grid.BorderStyle(), bsNone);
    EXPECT_TRUE(Grid.MultiSelect() && Grid.ChangeView() && Grid.ColumnOrder() && Grid.DrawFocusRect());
    EXPECT_TRUE(Grid.DestacarInativos() && Grid.AutoInsertEof() && Grid.AutoTab());
    EXPECT_FALSE(Grid.AtalhosEdicao() || Grid.DefaultDrawing());
    EXPECT_EQ(Grid.Options(), dgTitles | dgIndicator | dgColumnResize | dgColLines | dgRowLines | dgTabs |
                                  dgConfirmDelete | dgCancelOnExit);
    EXPECT_NE(Grid.TitlePopup(), nullptr);
    EXPECT_EQ(Grid.DefaultRowHeight(), 18);
}

TEST(VexDBGrid, AssigningAColumnCopiesItsCheckBoxDisplayTextsAndAlignment) {
    TVexGridOnForm F;
    F.Grid->Column(0)->SetCheckBox(false);
    F.Grid->Column(0)->SetPickListEx({"Um", "Dois"});
    F.Grid->Column(0)->SetAlignment(taCenter);
    F.Grid->Column(1)->Assign(*F.Grid->Column(0));
    EXPECT_FALSE(F.Grid->Column(1)->CheckBox());
    EXPECT_EQ(F.Grid->Column(1)->PickListEx(), QStringList({"Um", "Dois"}));
    EXPECT_EQ(F.Grid->Column(1)->Alignment(), taCenter);
}

TEST(VexDBGrid, TitlesIndicatorAndRowsKeepTheirSizesAndColours) {
    TVexGridOnForm F;
    F.Grid->SetEstiloZebra(ezNenhum);
    const QRect Title = F.Grid->TitleCellRect(1);
    EXPECT_EQ(Title.height(), 21);
    EXPECT_EQ(F.Grid->CellRect(1, 0).top(), Title.bottom() + 1 + 0) << "the rows start under the title";
    EXPECT_EQ(F.Grid->CellRect(1, 0).height(), 18);
    EXPECT_EQ(F.Grid->CellRect(-1, 1).width(), 14);
    QImage Picture = Grab(F.Grid);
    EXPECT_EQ(Picture.pixelColor(Title.topLeft()), QColor(Qt::white)) << "white top and left lines";
    EXPECT_EQ(Picture.pixelColor(Title.topLeft() + QPoint(1, 1)), kTitle);
    EXPECT_EQ(Picture.pixelColor(Title.right(), Title.center().y()), kTitleLines[0]);
    for (int I = 0; I < 3; ++I) {
        SCOPED_TRACE(I);
        EXPECT_EQ(Picture.pixelColor(Title.left() + 2, Title.bottom() - I), kTitleLines[I]);
    }
    const QRect Indicator = F.Grid->CellRect(-1, 1);
    EXPECT_EQ(Picture.pixelColor(Indicator.topLeft() + QPoint(1, 1)), kTitle);
    EXPECT_EQ(Picture.pixelColor(Indicator.left() + 1, Indicator.bottom()), kTitleLines[0]);
    EXPECT_EQ(Picture.pixelColor(Indicator.right(), Indicator.top() + 1), kTitleLines[0]);
    EXPECT_GT(CountPixels(Picture, F.Grid->CellRect(-1, 0), [](QColor C) { return C == Qt::black; }), 0)
        << "the current row shows its arrow";
    EXPECT_EQ(CountPixels(Picture, Indicator, [](QColor C) { return C == Qt::black; }), 0);
    const QRect Cell = F.Grid->CellRect(1, 1);
    EXPECT_EQ(Picture.pixelColor(Cell.left() + 3, Cell.bottom()), kTitle) << "the bottom line of a cell";

    QTest::mouseMove(F.Grid, Title.center());
    ASSERT_EQ(F.Grid->HotCell(), QPoint(1, -1));
    Picture = Grab(F.Grid);
    EXPECT_EQ(Picture.pixelColor(Title.topLeft() + QPoint(1, 1)), kHotTitle);
    EXPECT_NE(Picture.pixelColor(Title.left() + 2, Title.bottom()), kTitleLines[0]) << "a hot title has its own edge";
}

TEST(VexDBGrid, ZebraTintsTheChosenRowsAlsoUnderTheInsertStrip) {
    TVexGridOnForm F(2);
    for (const bool Strip : {false, true}) {
        F.Grid->SetNewLine(Strip);
        F.Settle();
        EXPECT_EQ(F.Grid->NewLineShown(), Strip);
        EXPECT_EQ(F.Grid->CellRect(1, 0).top(), Strip ? 40 + 1 : 21 + 1) << "the frame is one pixel";
        for (const auto& [Style, TintedRow] : {std::pair{ezImpar, 1}, {ezPar, 0}}) {
            SCOPED_TRACE(::testing::Message() << "strip " << Strip << " style " << Style);
            F.Grid->SetEstiloZebra(Style);
            const QImage Picture = Grab(F.Grid);
            EXPECT_EQ(Picture.pixelColor(F.Blank(1, TintedRow)), kZebra);
            EXPECT_EQ(Picture.pixelColor(F.Blank(1, 1 - TintedRow)), QColor(Qt::white));
            EXPECT_EQ(Picture.pixelColor(F.Blank(1, 2 + TintedRow)), kZebra);
        }
    }
}

TEST(VexDBGrid, TheInsertStripShowsWhileBrowsingAndUpFromTheFirstRowInserts) {
    TVexGridOnForm F;
    F.Grid->SetNewLine(true);
    F.Grid->SetNewLineColor(QColor(0x20, 0x40, 0x60));
    F.Settle();
    const QRect Strip = F.Grid->NewLineRect();
    ASSERT_FALSE(Strip.isEmpty());
    QImage Picture = Grab(F.Grid);
    EXPECT_EQ(Picture.pixelColor(Strip.center()), QColor(0x20, 0x40, 0x60));
    EXPECT_EQ(Picture.pixelColor(Strip.topLeft() + QPoint(1, 1)), kTitle) << "the indicator part is a title";

    QTest::mouseMove(F.Grid, Strip.topLeft() + QPoint(3, 3));
    Picture = Grab(F.Grid);
    EXPECT_EQ(Picture.pixelColor(Strip.topLeft() + QPoint(1, 1)), kHotTitle);

    F.Key(Qt::Key_Up);
    ASSERT_TRUE(QTest::qWaitFor([&] { return F.People.Table.State() == dsInsert; }));
    F.Settle();
    EXPECT_FALSE(F.Grid->NewLineShown()) << "hidden while inserting";
    EXPECT_EQ(F.Grid->TitleCellRect(1).height(), 21);
    F.Key(Qt::Key_Escape);
    F.Settle();
    EXPECT_TRUE(F.Grid->NewLineShown());

    F.People.Table.Last();
    QTest::mouseMove(F.Grid, F.Cell(1, 1));
    QTest::mouseMove(F.Grid, Strip.topLeft() + QPoint(3, 3));
    QTest::mouseClick(F.Grid, Qt::LeftButton, {}, Strip.topLeft() + QPoint(3, 3));
    EXPECT_EQ(F.People.Table.State(), dsInsert);
    EXPECT_EQ(F.People.Table.ActiveDisplayIndex(), 0) << "a click on the strip inserts at the first record";
}

TEST(VexDBGrid, InactiveRowsAreWrittenInTheirColour) {
    TVexGridOnForm F;
    F.Grid->SetEstiloZebra(ezNenhum);
    F.Grid->SetCorInativos(QColor(0, 0xC0, 0));
    const auto Green = [](QColor C) { return C.green() > 0x80 && C.red() < 0x60 && C.blue() < 0x60; };
    QImage Picture = Grab(F.Grid);
    EXPECT_GT(CountPixels(Picture, F.Grid->CellRect(1, 1), Green), 0) << "Bia is inactive";
    EXPECT_EQ(CountPixels(Picture, F.Grid->CellRect(1, 2), Green), 0);
    F.Grid->SetDestacarInativos(false);
    Picture = Grab(F.Grid);
    EXPECT_EQ(CountPixels(Picture, F.Grid->CellRect(1, 1), Green), 0);
}

TEST(VexDBGrid, BooleanColumnsShowCheckBoxesThatSpaceToggles) {
    TVexGridOnForm F;
    F.Grid->SetEstiloZebra(ezNenhum);
    const auto Tick = [](QColor C) { return C == QColor(0x21, 0x21, 0x21); };
    const auto Frame = [](QColor C) { return C == kCheckFrame; };
    QImage Picture = Grab(F.Grid);
    EXPECT_GT(CountPixels(Picture, F.Grid->CellRect(3, 1), Frame), 0);
    EXPECT_EQ(CountPixels(Picture, F.Grid->CellRect(3, 1), Tick), 0) << "Bia is not active";
    EXPECT_GT(CountPixels(Picture, F.Grid->CellRect(3, 2), Tick), 0);

    F.Grid->SetSelectedIndex(3);
    F.Key(Qt::Key_Space);
    EXPECT_FALSE(F.People.Table.FieldByName("Ativo")->AsBoolean()) << "Ana was active";
    EXPECT_FALSE(F.Grid->EditorMode()) << "a check box opens no editor";
    F.Key(Qt::Key_Space);
    EXPECT_TRUE(F.People.Table.FieldByName("Ativo")->AsBoolean());

    F.Grid->SetSelectedIndex(0);
    QTest::mouseClick(F.Grid, Qt::LeftButton, {}, F.Cell(3, 2));
    EXPECT_EQ(F.People.Name(), "Caio");
    EXPECT_FALSE(F.People.Table.FieldByName("Ativo")->AsBoolean()) << "a click onto the check box ticks it";
    F.People.Table.Cancel();

    F.Grid->Column(3)->SetCheckBox(false);
    Picture = Grab(F.Grid);
    EXPECT_EQ(CountPixels(Picture, F.Grid->CellRect(3, 2), Frame), 0);
    EXPECT_EQ(F.Grid->CellText(2, 3), F.People.Table.FieldByName("Ativo")->DisplayText());
    F.Grid->SetReadOnly(true);
    F.Grid->Column(3)->SetCheckBox(true);
    F.Key(Qt::Key_Space);
    EXPECT_TRUE(F.People.Table.FieldByName("Ativo")->AsBoolean()) << "a read-only grid keeps the value";
}

TEST(VexDBGrid, PickListsShowDisplayTextsAndStoreTheirValues) {
    TVexGridOnForm F;
    TVexDBGridColumn* Tipo = F.Grid->Column(4);
    Tipo->SetPickList({"0", "1", "2", "3"});
    Tipo->SetPickListEx({"Nunca", QString::fromUtf8("Diário"), "Mensal", "Anual"});
    F.People.Table.Last();
    F.People.Table.Edit();
    F.People.Table.FieldByName("Tipo")->SetAsInteger(2);
    F.People.Table.Post();
    EXPECT_EQ(F.Grid->CellText(2, 4), "Mensal");

    F.Grid->SetSelectedIndex(4);
    F.Key(Qt::Key_F2);
    auto* List = qobject_cast<QComboBox*>(QApplication::focusWidget());
    ASSERT_NE(List, nullptr);
    ASSERT_EQ(List->count(), 4);
    EXPECT_EQ(List->itemText(3), "Anual");
    EXPECT_EQ(List->currentText(), "Mensal");
    QTest::keyClick(List, Qt::Key_F4);
    ASSERT_TRUE(QTest::qWaitFor([&] { return List->view()->isVisible(); }));
    QTest::keyClick(List->view(), Qt::Key_End);
    QTest::keyClick(List->view(), Qt::Key_Return);
    F.Key(Qt::Key_Return);
    EXPECT_EQ(F.People.Table.FieldByName("Tipo")->AsInteger(), 3);
    EXPECT_EQ(F.Grid->CellText(2, 4), "Anual");
}

TEST(VexDBGrid, DoubleClicksCycleThroughThePickList) {
    TVexGridOnForm F;
    F.Grid->Column(4)->SetPickList({"0", "1", "2", "3"});
    F.Grid->Column(4)->SetPickListEx({"Nunca", QString::fromUtf8("Diário"), "Mensal", "Anual"});
    // Without display texts the shown entry is what is stored.
    F.Grid->Column(1)->SetPickList({"Natal", "Olinda", "Recife"});
    struct TCase {
        int Column;
        QString Field;
        QStringList Expected;
    };
    const TCase Cases[] = {{4, "Tipo", {"1", "2", "3", "0"}}, {1, "Cidade", {"Natal", "Olinda", "Recife", "Natal"}}};
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Field.toStdString());
        QTest::mouseClick(F.Grid, Qt::LeftButton, {}, F.Cell(Case.Column, 0));
        for (const QString& Expected : Case.Expected) {
            QTest::mouseDClick(F.Grid, Qt::LeftButton, {}, F.Cell(Case.Column, 0));
            EXPECT_EQ(F.People.Table.FieldByName(Case.Field)->AsString(), Expected);
        }
        F.People.Table.Post();
    }
}

TEST(VexDBGrid, TitleClicksSortAscendingThenDescendingAndShiftKeepsEarlierColumns) {
    TVexGridOnForm F;
    TDataSet* Data = &F.People.Table;
    const auto ClickTitle = [&](int Column, Qt::KeyboardModifiers Shift) {
        const QPoint At = F.Grid->TitleCellRect(Column).center();
        const QString Before = dataaccess::GetSortText(Data);
        QTest::mouseClick(F.Grid, Qt::LeftButton, Shift, At);
        return QTest::qWaitFor([&] { return dataaccess::GetSortText(Data) != Before; });
    };
    // The grey pixels of a title's marker, as rows from top to bottom.
    const auto MarkerRows = [&](int Column) {
        const QImage Picture = Grab(F.Grid);
        const QRect Title = F.Grid->TitleCellRect(Column);
        const QRect Area(Title.right() - 24, Title.top() + 3, 22, Title.height() - 6);
        std::vector<int> Rows;
        for (int Y = Area.top(); Y <= Area.bottom(); ++Y)
            if (const int N = CountPixels(Picture, QRect(Area.left(), Y, Area.width(), 1),
                                          [](QColor C) { return C == kSortGrey; }))
                Rows.push_back(N);
        return Rows;
    };
    int Position = -1;
    ASSERT_TRUE(ClickTitle(1, {}));
    EXPECT_EQ(dataaccess::GetSortState(Data, "Cidade", "", Position), 1);
    Data->First();
    EXPECT_EQ(F.People.Name(), "Bia") << "Natal first";
    std::vector<int> Rows = MarkerRows(1);
    ASSERT_GE(Rows.size(), 2u);
    EXPECT_LT(Rows.front(), Rows.back()) << "ascending points up";
    EXPECT_TRUE(MarkerRows(0).empty());

    ASSERT_TRUE(ClickTitle(1, {}));
    EXPECT_EQ(dataaccess::GetSortState(Data, "Cidade", "", Position), 2);
    Rows = MarkerRows(1);
    ASSERT_GE(Rows.size(), 2u);
    EXPECT_GT(Rows.front(), Rows.back()) << "descending points down";

    ASSERT_TRUE(ClickTitle(0, Qt::ShiftModifier));
    EXPECT_EQ(dataaccess::GetSortState(Data, "Cidade", "", Position), 2);
    EXPECT_EQ(Position, 0);
    EXPECT_EQ(dataaccess::GetSortState(Data, "Nome", "", Position), 1);
    EXPECT_EQ(Position, 1);
    EXPECT_GT(MarkerRows(0).size(), MarkerRows(1).size() - 1) << "both show a marker";
    const QImage Picture = Grab(F.Grid);
    const QRect Title = F.Grid->TitleCellRect(0);
    const auto Grey = [](QColor C) { return C.red() == C.green() && C.green() == C.blue() && C.red() < 0xE0; };
    EXPECT_GT(CountPixels(Picture, QRect(Title.right() - 8, Title.top() + 3, 5, Title.height() - 6), Grey),
              0)
        << "the position number stands right of the arrow";

    ASSERT_TRUE(ClickTitle(0, {}));
    EXPECT_EQ(dataaccess::SortFieldCount(Data), 1) << "a plain click sorts by that column alone";
    F.Grid->SetColumnOrder(false);
    QTest::mouseClick(F.Grid, Qt::LeftButton, {}, F.Grid->TitleCellRect(1).center());
    F.Settle();
    EXPECT_EQ(dataaccess::GetSortState(Data, "Cidade", "", Position), 0);
}

TEST(VexDBGrid, EnterWalksTheEditableColumnsThenLeavesAfterTheLastRecord) {
    TVexGridOnForm F;
    F.Grid->Columns()[2]->SetReadOnly(true);
    F.Grid->SetSelectedIndex(1);
    F.Key(Qt::Key_Return);
    EXPECT_EQ(F.Grid->SelectedIndex(), 3) << "the read-only column is passed";
    F.Grid->SetSelectedIndex(4);
    F.Key(Qt::Key_Return);
    EXPECT_EQ(F.Grid->SelectedIndex(), 0);
    EXPECT_EQ(F.People.Name(), "Bia");
    F.People.Table.Last();
    F.Grid->SetSelectedIndex(4);
    F.Key(Qt::Key_Return);
    EXPECT_TRUE(F.Next->hasFocus());
    EXPECT_EQ(F.People.Name(), "Caio");
    EXPECT_EQ(F.People.Table.RecordCount(), 3) << "no record was added";
}

TEST(VexDBGrid, BookmarksSurviveScrollingAndDieWithTheirRow) {
    TVexGridOnForm F(40);
    F.People.Table.MoveBy(5);
    const QString Marked = F.People.Name();
    F.Key(Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);
    F.Key(Qt::Key_End, Qt::ControlModifier);
    ASSERT_NE(F.People.Name(), Marked);
    F.Key(Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(F.People.Name(), Marked);
    F.Key(Qt::Key_4, Qt::ControlModifier);
    EXPECT_EQ(F.People.Name(), Marked) << "an empty slot does nothing";

    F.People.Table.Delete();
    F.People.Table.Last();
    const QString Last = F.People.Name();
    F.Key(Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(F.People.Name(), Last);
}

TEST(VexDBGrid, EditingShortcutsNeedAtalhosEdicao) {
    TVexGridOnForm F;
    testing_data::TReports Reports;
    F.Key(Qt::Key_Insert);
    F.Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(F.People.Table.State(), dsBrowse);
    EXPECT_EQ(F.People.Table.RecordCount(), 3);
    F.Grid->SetAtalhosEdicao(true);
    F.Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(F.People.Table.RecordCount(), 2);
    F.Key(Qt::Key_Insert);
    EXPECT_EQ(F.People.Table.State(), dsInsert);
}

TEST(VexDBGrid, TheIndicatorSelectsRowsAndACellClickEndsTheSelection) {
    TVexGridOnForm F;
    const auto Indicator = [&](int Row) { return F.Grid->CellRect(-1, Row).center(); };
    QTest::mouseClick(F.Grid, Qt::LeftButton, {}, Indicator(1));
    EXPECT_EQ(F.Grid->SelectedRows().Count(), 1);
    EXPECT_TRUE(F.Grid->Options() & dgRowSelect);
    EXPECT_FALSE(F.Grid->Options() & dgEditing);
    QTest::mouseClick(F.Grid, Qt::LeftButton, Qt::ControlModifier, Indicator(2));
    EXPECT_EQ(F.Grid->SelectedRows().Count(), 2);
    QTest::mouseClick(F.Grid, Qt::LeftButton, Qt::ControlModifier, Indicator(1));
    EXPECT_EQ(F.Grid->SelectedRows().Count(), 1) << "Ctrl toggles";
    QTest::mouseClick(F.Grid, Qt::LeftButton, {}, F.Cell(1, 0));
    EXPECT_FALSE(F.Grid->Options() & (dgRowSelect | dgMultiSelect));
    EXPECT_TRUE(F.Grid->Options() & dgEditing) << "the grid was editable before";
    F.Grid->SetMultiSelect(false);
    QTest::mouseClick(F.Grid, Qt::LeftButton, {}, Indicator(1));
    EXPECT_FALSE(F.Grid->Options() & dgMultiSelect);
}

TEST(VexDBGrid, TheTitleMenuHidesAndShowsColumns) {
    TVexGridOnForm F;
    const auto Entry = [&](const QString& Caption) -> TMenuItem* {
        F.Grid->BuildTitleMenu(false);
        for (TMenuItem* Item : F.Grid->TitlePopup()->Items()->Children())
            if (Item->Caption() == Caption) return Item;
        return nullptr;
    };
    F.Grid->BuildTitleMenu(false);
    QStringList Captions;
    for (TMenuItem* Item : F.Grid->TitlePopup()->Items()->Children()) Captions << Item->Caption();
    EXPECT_EQ(Captions, QStringList({"Ativo", "Cidade", "Nome", "Saldo", "Tipo"}));
    ASSERT_NE(Entry("Cidade"), nullptr);
    EXPECT_TRUE(Entry("Cidade")->Checked());
    Entry("Cidade")->Click();
    EXPECT_FALSE(F.Grid->Columns()[1]->Visible());
    EXPECT_TRUE(F.Grid->TitleCellRect(1).isEmpty());
    EXPECT_FALSE(Entry("Cidade")->Checked());
    Entry("Cidade")->Click();
    EXPECT_TRUE(F.Grid->Columns()[1]->Visible());

    TVexDBGrid::SetColumnDialogOpener([](TVexDBGrid*) {});
    F.Grid->BuildTitleMenu(true);
    Captions.clear();
    for (TMenuItem* Item : F.Grid->TitlePopup()->Items()->Children()) Captions << Item->Caption();
    TVexDBGrid::SetColumnDialogOpener(nullptr);
    EXPECT_EQ(Captions.mid(5), QStringList({"-", "Personalizar..."})) << "no full grid is registered";
}

TEST(VexDBGrid, ADoubleClickTellsTheCompanionWindow) {
    TVexGridOnForm F;
    TCustomControl Companion;
    std::vector<std::pair<UINT, WPARAM>> Received;
    for (const UINT Message : {kCompanionDblClickMessage, kCompanionChangeViewMessage})
        Companion.SetMessageHandler(Message, [&](TMessage& M) { Received.emplace_back(M.Msg, M.WParam); });
    TVexDBDivisao Division;
    Division.SetRelacionado(&Companion);
    F.Grid->SetDivisao(&Division);
    int Clicks = 0;
    F.Grid->OnDblClick = [&](QObject*) { ++Clicks; };
    QTest::mouseDClick(F.Grid, Qt::LeftButton, {}, F.Cell(0, 1));
    EXPECT_EQ(Clicks, 1);
    const std::vector<std::pair<UINT, WPARAM>> Both = {{32772, 0}, {32788, reinterpret_cast<WPARAM>(F.Grid)}};
    EXPECT_EQ(Received, Both);
    Received.clear();
    F.Grid->SetChangeView(false);
    QTest::mouseDClick(F.Grid, Qt::LeftButton, {}, F.Cell(0, 1));
    EXPECT_EQ(Received, (std::vector<std::pair<UINT, WPARAM>>{{32772, 0}}));
}

// The picture of the documentation, written where VEX_GRID_OUT points.
TEST(VexDBGrid, PictureShowsZebraSortAndFilterMarkersCheckBoxesAndTheInsertStrip) {
    TVexGridOnForm F(4);
    F.Grid->SetNewLine(true);
    F.Grid->Column(4)->SetPickList({"0", "1", "2", "3"});
    F.Grid->Column(4)->SetPickListEx({"Nunca", QString::fromUtf8("Diário"), "Mensal", "Anual"});
    dataaccess::ToggleSort(&F.People.Table, "", "Cidade", false);
    dataaccess::ToggleSort(&F.People.Table, "", "Nome", true);
    TVexDBDivisao Division;
    TFiltroDivisao* Filtro = Division.Filtros().Add();
    Filtro->SetField(F.People.Table.FieldByName("Saldo"));
    Filtro->Values().Add()->SetValue(10);
    F.Grid->SetDivisao(&Division);
    F.Settle();
    const QImage Picture = Grab(F.Grid);
    for (const int Column : {0, 1}) {
        const QRect Title = F.Grid->TitleCellRect(Column);
        EXPECT_GT(CountPixels(Picture, Title, [](QColor C) { return C == kSortGrey; }), 0) << "column " << Column;
    }
    const QRect Saldo = F.Grid->TitleCellRect(2);
    const auto Black = [](QColor C) { return C == Qt::black; };
    EXPECT_GT(CountPixels(Picture, Saldo.adjusted(Saldo.width() - 20, 3, -2, -4), Black), 0) << "the filter marker";
    if (const QString Out = qEnvironmentVariable("VEX_GRID_OUT"); !Out.isEmpty()) {
        EXPECT_TRUE(Picture.save(Out, "PNG"));
    }
}

TEST(VexDBGrid, TheTitleMenuStartsAColumnWhereTheRunningHeightWouldReachTheLimit) {
    TVexGridOnForm F;
    for (int I = 0; I < 7; ++I) {
        TColumn* Column = F.Grid->Columns().Add();
        Column->SetFieldName("Nome");
        Column->Title().SetCaption(QString("Z%1").arg(I));
    }
    TVexDBGrid::SetColumnDialogOpener([](TVexDBGrid*) {});
    // Four entries of 24 fit under 100; the fifth would reach it.
    F.Grid->BuildTitleMenu(false, 100);
    TVexDBGrid::SetColumnDialogOpener(nullptr);
    QStringList Starts;
    for (TMenuItem* Item : F.Grid->TitlePopup()->Items()->Children())
        if (Item->Break() != mbNone) {
            EXPECT_EQ(Item->Break(), mbBarBreak);
            Starts << Item->Caption();
        }
    // Ativo Cidade Nome Saldo | Tipo Z0 Z1 Z2 | Z3 Z4 Z5 Z6 - (99) | Personalizar...
    EXPECT_EQ(Starts, QStringList({"Tipo", "Z3", "Personalizar..."}));
    F.Grid->BuildTitleMenu(false, 1000);
    for (TMenuItem* Item : F.Grid->TitlePopup()->Items()->Children()) EXPECT_EQ(Item->Break(), mbNone);
}

TEST(VexDBGrid, SortRequestsAreFreedWhenReceivedOrWithTheGrid) {
    auto F = std::make_unique<TVexGridOnForm>();
    F->Grid->RequestSort(1, false);
    F->Grid->RequestSort(0, true);
    EXPECT_EQ(F->Grid->PendingSortRequests(), 2);
    F->Settle();
    EXPECT_EQ(F->Grid->PendingSortRequests(), 0);
    EXPECT_EQ(dataaccess::GetSortText(&F->People.Table), "Cidade;Nome");
    // Destroyed with a request still on its way: the grid frees it and nothing arrives later.
    F->Grid->RequestSort(2, false);
    ASSERT_EQ(F->Grid->PendingSortRequests(), 1);
    delete F->Grid;
    F->Settle();
    EXPECT_EQ(dataaccess::GetSortText(&F->People.Table), "Cidade;Nome");
}

TEST(VexDBGrid, TheDivisionsDetailFieldsStayFirstAndItsActiveFiltersMarkTheirColumns) {
    TVexGridOnForm F;
    TVexDBDivisao Division;
    Division.DetailFields = "Ativo,Tipo";
    TFiltroDivisao* Filtro = Division.Filtros().Add();
    Filtro->SetField(F.People.Table.FieldByName("Cidade"));
    Filtro->Values().Add()->SetValue("Recife");
    F.Grid->SetDivisao(&Division);
    const QRect Title = F.Grid->TitleCellRect(1);
    const QImage Plain = Grab(F.Grid);
    const auto FilterPixels = [&](const QImage& Picture) {
        // The marker is black, right of the caption.
        return CountPixels(Picture, Title.adjusted(Title.width() - 20, 3, -2, -4),
                           [](QColor C) { return C == Qt::black; });
    };
    EXPECT_GT(FilterPixels(Plain), 0) << "an active value of an active filter";
    Filtro->Values().Items(0)->SetActive(false);
    EXPECT_EQ(FilterPixels(Grab(F.Grid)), 0) << "no active value";

    F.Grid->RequestSort(0, false);
    F.Settle();
    EXPECT_EQ(dataaccess::GetSortText(&F.People.Table), "Ativo;Tipo;Nome") << "the detail fields lead the order";
}

// The picture of the documentation, written where VEX_TITLE_MENU_OUT points.
TEST(VexDBGrid, PictureShowsTheTitleMenuInColumns) {
    TVexGridOnForm F;
    for (const char* Caption : {"Porto", "Navio", "Viagem", "Emissão"}) {
        TColumn* Column = F.Grid->Columns().Add();
        Column->SetFieldName("Nome");
        Column->Title().SetCaption(QString::fromUtf8(Caption));
        Column->SetVisible(QString::fromUtf8(Caption) != "Navio");
    }
    TVexDBGrid::SetColumnDialogOpener([](TVexDBGrid*) {});
    F.Grid->BuildTitleMenu(true, 24 * 5);
    TVexDBGrid::SetColumnDialogOpener(nullptr);
    const std::unique_ptr<QMenu> Menu = F.Grid->TitlePopup()->BuildMenu();
    Menu->popup(QPoint(0, 0));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Menu.get()));
    const QImage Picture = Grab(Menu.get());
    // Ticked entries draw their check box in the gutter of each column.
    const QColor kCheckFill(229, 236, 248);
    const int Half = Picture.width() / 2;
    EXPECT_GT(CountPixels(Picture, QRect(0, 0, Half, Picture.height()), [&](QColor C) { return C == kCheckFill; }), 0);
    EXPECT_GT(CountPixels(Picture, QRect(Half, 0, Picture.width() - Half, Picture.height()),
                          [&](QColor C) { return C == kCheckFill; }),
              0)
        << "the second column";
    if (const QString Out = qEnvironmentVariable("VEX_TITLE_MENU_OUT"); !Out.isEmpty()) {
        EXPECT_TRUE(Picture.save(Out, "PNG"));
    }
    Menu->close();
}

// The library's grid on the freight screen: its reference columns search through the people's screen.
class GridSearch : public databound::testing::FreightLookupFixture {
protected:
    void SetUp() override {
        FreightLookupFixture::SetUp();
        if (IsSkipped()) return;
        Grid = new TVexDBGrid(&Shown.Form);
        Grid->setGeometry(0, 0, 380, 200);
        Grid->SetDataSource(Freight.Source);
        for (const char* Name : {"IdPessoa", "NomePessoa"}) Grid->Columns().Add()->SetFieldName(Name);
        Grid->SetDivisao(Freight.Divisao);
        Grid->show();
        Grid->setFocus();
    }
    TField* Field(const char* Name) const { return Freight.Client->FieldByName(Name); }

    TShownForm Shown;
    TVexDBGrid* Grid = nullptr;
};

TEST_P(GridSearch, CtrlEnterSearchesByKeyAndATypedLetterOpensTheComboWithIt) {
    QObject Relations;
    new dataaccess::TVexModulo(&Relations);
    Host->AddModule(&Relations);
    QStringList Asked;
    Host->Window().OnSearch = [&](platform::ui::TMessage& Message) -> platform::ui::LRESULT {
        const auto& Request = *reinterpret_cast<dataaccess::TSearchRequest*>(Message.WParam);
        Asked << Request.Relacao->Nome;
        *Request.ResultList = QStringList{"IdPessoa=1"};
        return 1;
    };
    Grid->SetSelectedIndex(0);
    QTest::keyClick(Grid, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(Asked, QStringList({"rlcPessoa"}));
    EXPECT_EQ(Field("IdPessoa")->AsInteger(), 1) << "the chosen key is stored";
    Freight.Client->Cancel();

    Grid->SetSelectedIndex(1);
    QTest::keyClick(Grid, Qt::Key_Space);
    EXPECT_EQ(TfrmCustomCombo::Current(), nullptr) << "a blank starts no search";
    QTest::keyClick(Grid, Qt::Key_B);
    TfrmCustomCombo* Combo = TfrmCustomCombo::Current();
    ASSERT_NE(Combo, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Combo->edtIdentidade()->text() == "b"; }));
    EXPECT_EQ(Field("NomePessoa")->AsString(), "Bruno Souza") << "the letter went to the search, not the field";
}

TEST_P(GridSearch, WithoutAReferenceOrAnEditableDataSetTheKeysStayTheGrids) {
    Freight.Source->SetAutoEdit(false);
    Grid->SetSelectedIndex(1);
    QTest::keyClick(Grid, Qt::Key_B);
    EXPECT_EQ(TfrmCustomCombo::Current(), nullptr) << "a browsing dataset without AutoEdit";
    Freight.Source->SetAutoEdit(true);
    Freight.Divisao->Campos().Config().FindByField(Field("NomePessoa"))->SetAutoSearch(false);
    QTest::keyClick(Grid, Qt::Key_B);
    EXPECT_EQ(TfrmCustomCombo::Current(), nullptr) << "a join field that may not search by itself";
}

VEX_INSTANTIATE_ENGINE_SUITE(GridSearch);
