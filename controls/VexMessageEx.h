#pragma once
// The extended message box: the messages of one batch as a list with a
// picture per kind and the details of the selected one in a pane below.
#include <QLabel>
#include <QPlainTextEdit>
#include <QSplitter>
#include <vector>

#include "controls/VexMessage.h"
#include "platform/data/DBClient.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/DBGrids.h"
#include "platform/ui/Forms.h"
#include "platform/ui/ImgList.h"

namespace controls {

class TVexButton;

class TfrmVexMessageEx : public platform::ui::TCustomForm {
    Q_OBJECT
public:
    explicit TfrmVexMessageEx(QWidget* AOwner = nullptr);
    ~TfrmVexMessageEx() override;

    // Appends the messages in order and moves to the first.
    void AddMessages(const std::vector<TMessageItem>& Items);
    // The Mensagem column takes the grid's width left by the Tipo column.
    void pnlMensagemResize();
    void actDetalhesExecute(QObject* Sender);
    void actDetalhesUpdate(QObject* Sender);
    void grdMensagemGetImageIndex(platform::ui::TDBReadOnlyGrid* Sender, platform::data::TField* Field,
                                  int& ImageIndex);

    QLabel* imgTipo;
    QLabel* Label1;
    QWidget* pnlMensagem;
    QSplitter* splMensagem;
    platform::ui::TDBReadOnlyGrid* grdMensagem;
    QWidget* pnlDetalhes;
    QLabel* Label2;
    QWidget* Bevel1;
    QPlainTextEdit* mmoDetalhes;
    TVexButton* btnOk;
    TVexButton* btnDetalhes;
    platform::ui::TActionList* alsMessageEx;
    platform::ui::TAction* actDetalhes;
    platform::ui::TImageList* ilsVexMessageExGrid;
    platform::data::TClientDataSet* cdsMensagem;
    platform::data::TDataSource* dsrMensagem;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void CreateMessageTable();
    void CreateDetailsPane();
    void ShowDetailsOfCurrent();
};

// Shows several messages in the extended box and answers its modal result.
int ShowMessageList(const std::vector<TMessageItem>& Items);

}  // namespace controls
