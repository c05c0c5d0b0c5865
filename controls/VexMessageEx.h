#pragma once
// The extended message box: the messages of one batch as a list with a
// picture per kind and the details of the selected one in a pane below.
#include <QLabel>
#include <QPlainTextEdit>
#include <QSplitter>
#include <functional>
#include <vector>

#include "controls/VexMessage.h"
#include "platform/data/DBClient.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/DBGrids.h"
#include "platform/ui/Forms.h"
#include "platform/ui/ImgList.h"

namespace controls {

class TVexButton;
class TfrmVexMessageEx;

// Makes the list's grid on Parent, showing the form's pictures by grdMensagemGetImageIndex. The data-bound
// layer brings its own grid this way; without a maker the list is a read-only platform grid.
using TMessageGridMaker = std::function<platform::ui::TCustomDBGrid*(TfrmVexMessageEx& Form, QWidget* Parent)>;

// The key under which the window remembers its size and its details pane.
inline constexpr const char* kMessageWindowSettingsKey = "Janela_Mensagens";

class TfrmVexMessageEx : public platform::ui::TCustomForm {
    Q_OBJECT
public:
    explicit TfrmVexMessageEx(QWidget* AOwner = nullptr, const TMessageGridMaker& MakeGrid = {});
    ~TfrmVexMessageEx() override;

    // Read and write the remembered sizes; nothing happens where no settings store is registered.
    void FormCreate();
    void FormDestroy();
    // Appends the messages in order and moves to the first.
    void AddMessages(const std::vector<TMessageItem>& Items);
    // The Mensagem column takes the grid's width left by the Tipo column.
    void pnlMensagemResize();
    void actDetalhesExecute(QObject* Sender);
    void actDetalhesUpdate(QObject* Sender);
    // The Tipo column shows the picture of the message's kind.
    void grdMensagemGetImageIndex(const platform::data::TField* Field, int& ImageIndex);

    QLabel* imgTipo = nullptr;
    QLabel* Label1 = nullptr;
    QWidget* pnlMensagem = nullptr;
    QSplitter* splMensagem = nullptr;
    platform::ui::TCustomDBGrid* grdMensagem = nullptr;
    QWidget* pnlDetalhes = nullptr;
    QLabel* Label2 = nullptr;
    QWidget* Bevel1 = nullptr;
    QPlainTextEdit* mmoDetalhes = nullptr;
    TVexButton* btnOk = nullptr;
    TVexButton* btnDetalhes = nullptr;
    platform::ui::TActionList* alsMessageEx = nullptr;
    platform::ui::TAction* actDetalhes = nullptr;
    platform::ui::TImageList* ilsVexMessageExGrid = nullptr;
    platform::data::TClientDataSet* cdsMensagem = nullptr;
    platform::data::TDataSource* dsrMensagem = nullptr;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void CreateMessageTable();
    void CreateDetailsPane();
    void ShowDetailsOfCurrent();
    void SetDetailsHeight(int Height);
};

// Shows several messages in the extended box and answers its modal result.
int ShowMessageList(const std::vector<TMessageItem>& Items, const TMessageGridMaker& MakeGrid = {});

}  // namespace controls
