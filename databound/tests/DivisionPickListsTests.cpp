#include <gtest/gtest.h>

#include <QWidget>
#include <functional>

#include "databound/VexDBCombo.h"
#include "databound/VexDBDataLabel.h"
#include "databound/VexDBGrid.h"
#include "databound/VexDivisao.h"
#include "platform/ui/DBGridColumns.h"
#include "platform/ui/DBGrids.h"
#include "platform/ui/tests/DataControlsTesting.h"

namespace databound {
namespace {

using platform::ui::TCustomDBGrid;

const QStringList kTipos{"0", "1", "2"};
const QStringList kTiposEx{"Cliente", "Fornecedor", "Agente"};

// A division over the people whose Tipo has stored values and display texts, and whose Cidade is configured
// without values; its grid shows Nome, Tipo and Cidade.
struct TPeopleScreen {
    explicit TPeopleScreen(const std::function<TCustomDBGrid*(QWidget*)>& NewGrid) : Grid(NewGrid(&Form)) {
        Grid->SetDataSource(&People.Source);
        for (const char* Name : {"Nome", "Tipo", "Cidade"}) Grid->Columns().Add()->SetFieldName(Name);
        Divisao->SetDataSource(&People.Source);
        Divisao->SetGrid(Grid);
    }
    void Configure() {
        TConfigCampo& Tipo = *Divisao->Campos().Config().Add();
        Tipo.SetField(People.Table.FieldByName("Tipo"));
        Tipo.Valor().Items = kTipos;
        Tipo.Valor().ItemsEx = kTiposEx;
        Divisao->Campos().Config().Add()->SetField(People.Table.FieldByName("Cidade"));
    }
    platform::ui::TColumn& Column(const QString& Name) const {
        return *Grid->Columns()[Grid->Columns().IndexOfField(Name)];
    }

    testing_data::TPeople People;
    QWidget Form;
    TCustomDBGrid* Grid;
    TVexDBDivisao* Divisao = new TVexDBDivisao(&Form);
};

TEST(DivisionPickListsTest, LoadingGivesTheGridColumnOfAConfiguredFieldItsValues) {
    const struct {
        const char* Kind;
        std::function<TCustomDBGrid*(QWidget*)> NewGrid;
        QStringList Shown;
    } Cases[] = {
        {"framework grid", [](QWidget* Parent) -> TCustomDBGrid* { return new TVexDBGrid(Parent); }, kTiposEx},
        {"plain grid", [](QWidget* Parent) -> TCustomDBGrid* { return new platform::ui::TDBGrid(Parent); }, {}},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Kind);
        TPeopleScreen Screen(C.NewGrid);
        Screen.Configure();
        Screen.Divisao->Loaded();
        EXPECT_EQ(Screen.Column("Tipo").PickList(), kTipos);
        EXPECT_TRUE(Screen.Column("Cidade").PickList().isEmpty());
        EXPECT_TRUE(Screen.Column("Nome").PickList().isEmpty());
        const auto* Own = dynamic_cast<const TVexDBGridColumn*>(&Screen.Column("Tipo"));
        EXPECT_EQ(Own ? Own->PickListEx() : QStringList(), C.Shown);
    }
}

TEST(DivisionPickListsTest, LoadingBindsTheRegisteredLabelsAgainSoTheirCombosListTheConfiguredValues) {
    TPeopleScreen Screen([](QWidget* Parent) -> TCustomDBGrid* { return new TVexDBGrid(Parent); });
    auto* Combo = new TVexDBComboBox(&Screen.Form);
    auto* Label = new TVexDBLabel(&Screen.Form);
    Label->SetDivisao(Screen.Divisao);
    Label->SetDataSource(&Screen.People.Source);
    Label->SetField(Screen.People.Table.FieldByName("Tipo"));
    Label->SetControl(Combo);
    Screen.Configure();  // after the label bound: its combo has no values yet
    ASSERT_TRUE(Combo->Items().isEmpty());
    Screen.Divisao->Loaded();
    EXPECT_EQ(Combo->Items(), kTipos);
    EXPECT_EQ(Combo->ItemsEx(), kTiposEx);
}

}  // namespace
}  // namespace databound
