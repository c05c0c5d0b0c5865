#include "databound/GridDialogs.h"

#include "controls/VexMessageEx.h"
#include "databound/CamposWnd.h"
#include "databound/Grade.h"
#include "databound/VexDBGrid.h"

namespace databound {

namespace {

platform::ui::TCustomDBGrid* MakeMessageGrid(controls::TfrmVexMessageEx& Form, QWidget* Parent) {
    auto* Grid = new TVexDBGrid(Parent);
    Grid->SetReadOnly(true);
    Grid->SetImages(Form.ilsVexMessageExGrid);
    Grid->OnGetImageIndex = [&Form](TVexDBGrid*, TColumn* Column, int& ImageIndex) {
        if (Column->Field()) Form.grdMensagemGetImageIndex(Column->Field(), ImageIndex);
    };
    return Grid;
}

}  // namespace

void RegisterGridDialogs() {
    TVexDBGrid::SetColumnDialogOpener([](TVexDBGrid* Grid) { ShowColumnDialog(*Grid); });
    TVexDBGrid::SetFullGridOpener([](TVexDBGrid* Grid) { ShowFullGrid(*Grid); });
    controls::SetMessageListPresenter([](const std::vector<controls::TMessageItem>& Items) {
        return controls::ShowMessageList(Items, MakeMessageGrid);
    });
}

}  // namespace databound
