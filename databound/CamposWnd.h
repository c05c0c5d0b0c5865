#pragma once
// The column dialog of the library's grid: the columns by title in their
// order, ticked when visible, each with its colour. Columns move up and down,
// are shown and hidden, and take a colour from a table of named colours or any
// colour the colour dialog gives. OK gives every column its place, colour and
// visibility; Cancel leaves the grid as it was.
#include <QColor>
#include <functional>

#include "databound/VexDBGrid.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Forms.h"

class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;

namespace controls {
class TVexButton;
}

namespace databound {

inline constexpr const char* kColumnDialogCaption = "Configurar campos";
inline constexpr const char* kColumnDialogText =
    "Selecione os campos que você deseja exibir para os itens nesta grade.";

struct TNamedColor {
    const char* Name;
    unsigned Value;  // as the platform writes colours
};
// The colour combo's entries after the first, which stands for a custom colour.
inline constexpr TNamedColor kNamedColors[] = {
    {"Preto", 0x000000},        {"Castanho", 0x000080},     {"Verde", 0x008000},   {"Verde-oliva", 0x008080},
    {"Azul-marinho", 0x800000}, {"Roxo", 0x800080},         {"Azul-petróleo", 0x808000}, {"Cinza", 0x808080},
    {"Prateado", 0xC0C0C0},     {"Vermelho", 0x0000FF},     {"Verde-limão", 0x00FF00},   {"Amarelo", 0x00FFFF},
    {"Azul", 0xFF0000},         {"Fúcsia", 0xFF00FF},       {"Azul-piscina", 0xFFFF00},  {"Branco", 0xFFFFFF}};
inline constexpr const char* kCustomColorName = "Outra...";

class TfrmCamposWnd : public platform::ui::TCustomForm {
    Q_OBJECT
public:
    explicit TfrmCamposWnd(TVexDBGrid& Grid, QWidget* AOwner = nullptr);

    // What OK does: the list's order, colours and visibility go to the grid's columns.
    void Apply();
    // The column a list entry stands for.
    TColumn* ColumnOf(const QListWidgetItem* Item) const;

    // Asks for a custom colour starting from Color; false when cancelled. The colour dialog unless replaced.
    std::function<bool(QColor& Color)> OnChooseColor;

    QLabel* lblTexto;
    QListWidget* lstCampos;
    QComboBox* cbxCor;
    controls::TVexButton* btnAcima;
    controls::TVexButton* btnAbaixo;
    controls::TVexButton* btnMostrar;
    controls::TVexButton* btnOcultar;
    controls::TVexButton* btnOK;
    controls::TVexButton* btnCancelar;
    platform::ui::TActionList* alsCampos;
    platform::ui::TAction* actAcima;
    platform::ui::TAction* actAbaixo;
    platform::ui::TAction* actMostrar;
    platform::ui::TAction* actOcultar;

private:
    void CreateActions();
    void FillColorCombo();
    void FillList();
    void lstCamposCurrentChanged();
    void cbxCorActivated(int Index);
    void MoveFocused(int Step);
    void TickSelected(bool Checked);
    void SetCustomColor(QColor Value);

    TVexDBGrid& FGrid;
    QColor FCustomColor{Qt::white};
};

// Shows the column dialog on Grid; true when it closed with OK.
bool ShowColumnDialog(TVexDBGrid& Grid);

}  // namespace databound
