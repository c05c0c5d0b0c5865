#include <gtest/gtest.h>

#include "dataaccess/testhost/TestHost.h"
#include "databound/VexDBGrid.h"
#include "databound/VexDivisao.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/DBCtrls.h"
#include "platform/ui/DBGridColumns.h"
#include "platform/ui/Forms.h"
#include "platform/ui/tests/DataControlsTesting.h"

namespace databound {
namespace {

using namespace platform::ui;

// A form with the pages "Geral" (active) and "Outros"; the control under test goes on "Outros".
class InsertFocusTest : public ::testing::Test {
protected:
    void SetUp() override {
        Geral = Pages->AddPage("Geral");
        Outros = Pages->AddPage("Outros");
        Pages->SetActivePage(Geral);
        Divisao->SetDataSource(&People.Source);
    }
    void Load(QWidget* Control) {
        Divisao->Campos().SetInsertFocus(Control);
        Divisao->Loaded();
    }
    void InsertAndSettle() {
        People.Table.Insert();
        ProcessMessages();  // the focus request is posted to the main window
    }

    dataaccess::testing::TTestHost Host;
    testing_data::TPeople People;
    TCustomForm Form;
    TPageControl* Pages = new TPageControl(&Form);
    TTabSheet *Geral = nullptr, *Outros = nullptr;
    TVexDBDivisao* Divisao = new TVexDBDivisao(&Form);
};

TEST_F(InsertFocusTest, AnInsertBringsTheControlsPageToTheFrontAndFocusesIt) {
    auto* Cidade = new TDBEdit(Outros);
    Cidade->SetDataSource(&People.Source);
    Cidade->SetDataField("Cidade");
    Load(Cidade);
    People.Table.Edit();
    People.Table.Cancel();
    ProcessMessages();
    EXPECT_EQ(Pages->ActivePage(), Geral);  // only an insert moves the focus
    InsertAndSettle();
    EXPECT_EQ(Pages->ActivePage(), Outros);
    EXPECT_EQ(Form.ActiveControl(), Cidade);
    EXPECT_EQ(People.Table.State(), platform::data::dsInsert);
}

TEST_F(InsertFocusTest, AGridStartsTheNewRowAtItsFirstVisibleColumn) {
    auto* Grid = new TVexDBGrid(Outros);
    Grid->SetDataSource(&People.Source);
    for (const char* Name : {"Tipo", "Nome", "Cidade"}) Grid->Columns().Add()->SetFieldName(Name);
    Grid->Columns()[0]->SetVisible(false);
    Grid->SetSelectedIndex(2);
    Load(Grid);
    InsertAndSettle();
    EXPECT_EQ(Pages->ActivePage(), Outros);
    EXPECT_EQ(Form.ActiveControl(), Grid);
    EXPECT_EQ(Grid->SelectedIndex(), 1);
}

}  // namespace
}  // namespace databound
