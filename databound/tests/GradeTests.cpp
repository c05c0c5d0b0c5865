#include <QTest>
#include <gtest/gtest.h>

#include "controls/VexMessage.h"
#include "controls/tests/MessageBoxTesting.h"
#include "databound/Grade.h"
#include "platform/ui/DBNavigator.h"
#include "platform/ui/tests/DataControlsTesting.h"

using namespace databound;
using namespace platform::data;
using testing_data::TPeople;

namespace {

// A grid over the people showing four columns, Cidade narrower than designed.
struct TCallingGrid {
    TPeople People;
    TVexDBGrid Grid;
    TVexDBDivisao Division;
    TCallingGrid() {
        for (const auto& [Name, Width] : {std::pair{"Nome", 90}, {"Cidade", 55}, {"Saldo", 70}, {"Ativo", 40}}) {
            platform::ui::TColumn* Column = Grid.Columns().Add();
            Column->SetFieldName(Name);
            Column->SetWidth(Width);
        }
        Grid.SetDataSource(&People.Source);
        Grid.SetDivisao(&Division);
    }
    bool ReadOnly(const char* Field) const { return People.Table.FieldByName(Field)->ReadOnly(); }
    void LockCidadeAndSaldo() {
        People.Table.FieldByName("Cidade")->SetReadOnly(true);
        People.Table.FieldByName("Saldo")->SetReadOnly(true);
    }
};

}  // namespace

TEST(FullGrid, ShowsEveryFieldWithTheCallingGridsColumnsVisibleAtTheirWidths) {
    TCallingGrid Calling;
    TfrmGrade Form(Calling.Grid);
    EXPECT_EQ(Form.Caption(), "Grade");
    EXPECT_EQ(Form.grd->DataSource(), &Calling.People.Source);
    EXPECT_EQ(Form.nav->DataSource(), &Calling.People.Source);
    EXPECT_EQ(Form.grd->Divisao(), &Calling.Division);
    const platform::ui::TDBGridColumns& Columns = Form.grd->Columns();
    ASSERT_EQ(Columns.Count(), Calling.People.Table.FieldCount());
    const struct {
        const char* Field;
        bool Visible;
        int Width;
    } Expected[] = {{"Nome", true, 90}, {"Cidade", true, 55}, {"Saldo", true, 70},
                    {"Ativo", true, 40}, {"Tipo", false, -1}, {"Obs", false, -1}};
    for (const auto& Case : Expected) {
        SCOPED_TRACE(Case.Field);
        const int Index = Columns.IndexOfField(Case.Field);
        ASSERT_GE(Index, 0);
        EXPECT_EQ(Columns[Index]->Visible(), Case.Visible);
        if (Case.Visible) {
            EXPECT_EQ(Columns[Index]->Width(), Case.Width);
        }
    }
}

TEST(FullGrid, ReadOnlyFieldsCanChangeOnlyWhileTheWindowShows) {
    TCallingGrid Calling;
    Calling.LockCidadeAndSaldo();
    for (const bool ByCloseBox : {false, true}) {
        SCOPED_TRACE(ByCloseBox ? "closed by the close box" : "closed with Esc");
        bool Checked = false;
        WhenShows<TfrmGrade>([&](TfrmGrade& Form) {
            EXPECT_FALSE(Calling.ReadOnly("Cidade"));
            EXPECT_FALSE(Calling.ReadOnly("Saldo"));
            TDataSet& Table = Calling.People.Table;
            Table.Edit();
            Table.FieldByName("Cidade")->SetAsString(ByCloseBox ? "Caruaru" : "Recife");
            Table.Post();
            Checked = true;
            if (ByCloseBox) Form.Close();
            else Form.SetModalResult(platform::ui::mrCancel);
        });
        ShowFullGrid(Calling.Grid);
        EXPECT_TRUE(Checked);
        EXPECT_TRUE(Calling.ReadOnly("Cidade"));
        EXPECT_TRUE(Calling.ReadOnly("Saldo"));
        EXPECT_FALSE(Calling.ReadOnly("Nome")) << "a writable field stays writable";
    }
    EXPECT_EQ(Calling.People.Table.FieldByName("Cidade")->AsString(), "Caruaru");
}

TEST(FullGrid, AnErrorWhileShowingLeavesTheReadOnlyFieldsReadOnly) {
    TCallingGrid Calling;
    Calling.LockCidadeAndSaldo();
    TfrmGrade Form(Calling.Grid);
    // A window already on the screen cannot be made modal: the show fails after the fields were unlocked.
    Form.show();
    EXPECT_THROW(Form.Execute(), platform::ui::EInvalidOperation);
    EXPECT_TRUE(Calling.ReadOnly("Cidade"));
    EXPECT_TRUE(Calling.ReadOnly("Saldo"));
}
