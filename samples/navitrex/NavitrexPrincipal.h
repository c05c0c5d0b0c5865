#pragma once
// The application's main window: the bills of lading and the lookups on the
// pages of a page control, menus drawn with the library's look, the module
// descriptor that names its windows, and the answers to the library's focus
// and search requests. A row written in one division refreshes the others
// that show its table. The window's size and page are kept per user, in the
// settings store that its divisions hear of when the window is built and
// before it goes; window messages of the module's relations go to the
// divisions.
#include <array>
#include <memory>

#include "platform/ui/Forms.h"
#include "samples/navitrex/NavitrexCadastros.h"
#include "samples/navitrex/NavitrexLists.h"

namespace controls {
class TVexButton;
class TVexPageControl;
}  // namespace controls
namespace dataaccess {
class TVexDBIni;
class TVexModulo;
}  // namespace dataaccess
namespace platform::ui {
class TPopupMenu;
}

namespace navitrex {

class TfrmConhecimentos;

inline constexpr const char* kRelacaoConhecimentos = "Conhecimentos";

class TfrmPrincipal : public platform::ui::TCustomForm {
    Q_OBJECT
public:
    TfrmPrincipal(const QString& Customer, const TRegrasEquipamento& Regras, QWidget* AOwner = nullptr);
    ~TfrmPrincipal() override;

    // Opens every division and makes them active; the window takes the size and page the user left it with.
    void Abrir();
    // Keeps the size and page for the user; closing the window does it.
    void GuardarJanela();
    void ShowCadastro(TCadastro Cadastro);

    controls::TVexPageControl* pgcPrincipal;
    TfrmConhecimentos* Conhecimentos;
    std::array<TFrameDivisao*, std::size(kCadastros)> Cadastros;
    dataaccess::TVexModulo* Modulo;
    controls::TVexButton* btnCadastros;
    controls::TVexButton* btnMovimentacao;
    controls::TVexButton* btnFerramentas;
    platform::ui::TPopupMenu* mnuCadastros;
    platform::ui::TPopupMenu* mnuMovimentacao;
    platform::ui::TPopupMenu* mnuFerramentas;

protected:
    void DoClose(platform::ui::TCloseAction& Action) override;
    void DefaultHandler(platform::ui::TMessage& Message) override;

private:
    // The pages, menus and buttons around the divisions.
    void Montar();
    void RestaurarJanela();
    void FrameGravado(TFrameDivisao* Origem);
    platform::ui::LRESULT Search(platform::ui::TMessage& Message);
    QList<TFrameDivisao*> Frames() const;

    std::unique_ptr<dataaccess::TVexDBIni> FIni;
};

}  // namespace navitrex
