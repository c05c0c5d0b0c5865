#pragma once
// The bills of lading screen: the bills division (period, status and
// "(Usuário logado)" filters, a record limit), the header of the current
// bill (its references, searched by name) and its items division, which
// shows the containers of the current bill, their equipment from the list
// (required, and the container's check digit, as the customer's settings
// say: the division's field rules check both before a post). A bill and its items are kept
// in the datasets until Gravar writes them in one transaction: a failure
// rolls everything back, re-reads the bills and tells the user, so nothing is
// ever half saved. Ctrl+N starts a bill in the header's first edit, Ctrl+I a
// container in the items grid, Ctrl+S writes them. Deleting a bill goes through the table's permissions (a
// control password when the user's role asks for one, logged by the library).
#include <QWidget>
#include <memory>

#include "samples/navitrex/NavitrexLists.h"

namespace platform::ui {
class TActionList;
}
namespace databound {
class TDivisionRules;
class TFiltroDivisao;
}  // namespace databound

namespace navitrex {

class TCabecalhoConhecimento;
class TFrameDivisao;
class TConhecimento;
class TConhecimentoItem;

inline constexpr int kLimiteConhecimentos = 1000;

class TfrmConhecimentos : public QWidget {
    Q_OBJECT
public:
    TfrmConhecimentos(const TRegrasEquipamento& Regras, QWidget* Parent = nullptr);
    ~TfrmConhecimentos() override;

    // Opens the bills (and so the items) with the filters as they stand.
    void Abrir();
    // A new bill, numbered at once; its items follow with NovoItem, which first posts the bill (to the datasets
    // only). False when what was being edited could not be posted (told).
    bool NovoConhecimento();
    bool NovoItem();
    // Posts what is being edited and writes the bill and its items together; false when it failed (told).
    bool Gravar();
    // Drops what was not written.
    void Descartar();
    // Deletes the current bill and its items at once; false when refused or failed (told).
    bool ExcluirConhecimento();

    TFrameDivisao* Conhecimentos;
    TCabecalhoConhecimento* Cabecalho;
    TFrameDivisao* Itens;
    databound::TFiltroDivisao* FiltroPeriodo;
    databound::TFiltroDivisao* FiltroSituacao;
    databound::TFiltroDivisao* FiltroUsuario;
    // actNovoConhecimento, actNovoItem and actGravar with their shortcuts.
    platform::ui::TActionList* actConhecimentos;

private:
    TConhecimento* FConhecimento;
    TConhecimentoItem* FItem;
    std::unique_ptr<databound::TDivisionRules> FRegrasItens;
};

}  // namespace navitrex
