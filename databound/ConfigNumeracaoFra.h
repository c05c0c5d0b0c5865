#pragma once
// The numbering configuration dialog of one table: the user picks a numbered
// field and a company (or all companies), switches numbering on or off for
// that pair and sets its mask, digits and reset period and, on the second
// page, the running counters. Everything is edited in a working copy held in
// two client datasets; nothing reaches the database before OK, and then all
// of it is written in one transaction. A row that cannot be posted (empty
// mask, no digits, a refused question) keeps the dialog on it; a failed save
// rolls everything back, shows what went wrong, keeps the dialog open and
// leaves the working copy exactly as it was, so a retry can succeed.
#include <QString>
#include <memory>
#include <vector>

#include "dataaccess/NumberingHook.h"
#include "platform/ui/Forms.h"

class QComboBox;
class QLabel;

namespace platform::data {
class TADOQuery;
class TClientDataSet;
class TDataSource;
}  // namespace platform::data

namespace platform::ui {
class TAction;
class TActionList;
class TDBEdit;
class TTabSheet;
}  // namespace platform::ui

namespace controls {
class TVexButton;
class TVexLabel;
class TVexPageControl;
class TVexPanel;
}  // namespace controls

namespace databound {

class TNumeracao;
class TNumeracaoItem;
class TVexDBComboBox;
class TVexDBGrid;
class TVexDBLabel;

inline constexpr const char* kConfigNumeracaoCaption = "Configurar numeração";
inline constexpr const char* kNoNumberedField = "Não existe nenhum campo para ser configurado.";
inline constexpr const char* kAllCompanies = "(Todas)";
inline constexpr const char* kEmptyExample = "(vazio)";
inline constexpr const char* kResetQuestion =
    "Mudando a opção de zeramento irá reinicializar a numeração para este campo. Deseja continuar?";
inline constexpr const char* kFillField = "É preciso  preencher o campo '%1' antes de gravar o registro.";
inline constexpr const char* kEmptyMaskQuestion =
    "Se a máscara for vazia o sistema não gera nenhuma numeração para o campo.\r\n\r\nDeseja realmente continuar?";
inline constexpr const char* kSaveNumberingError = "Ocorreu algum erro ao tentar atualizar os dados de numeração.";

// The numbered fields of one table (Chave: the numbering key) with the defaults of each.
class TConfigNumeracao {
public:
    explicit TConfigNumeracao(const QString& Chave) : FChave(Chave) {}
    QString Chave() const { return FChave; }
    void AddItem(const QString& Campo, const QString& Caption, int Opcao_Zeramento, int Quantidade_Digitos,
                 const QString& Mascara, bool Automatica);
    int Count() const { return static_cast<int>(FItems.size()); }
    const dataaccess::TNumberedField& Items(int Index) const { return FItems.at(Index); }

private:
    QString FChave;
    std::vector<dataaccess::TNumberedField> FItems;
};

// Shows the dialog modally, or kNoNumberedField when the configuration lists no field.
void ConfigurarNumeracao(const TConfigNumeracao& Config);
// Makes table classes open this dialog to configure their numbering. The host calls it once at start.
void RegisterNumberingDialog();

class TfrmConfigNumeracao : public platform::ui::TCustomForm {
    Q_OBJECT
public:
    explicit TfrmConfigNumeracao(QWidget* AOwner = nullptr);
    ~TfrmConfigNumeracao() override;

    // Fills the company and field lists, copies the stored rows of the key into the working copy and shows the
    // first field for all companies.
    void LoadConfig(const TConfigNumeracao& Config);
    // Posts a pending edit and writes every changed row in one transaction; false when nothing was written.
    bool Save();

    QLabel* lblSelecione;
    QComboBox* cbxCampo;
    QComboBox* cbxEmpresa;
    controls::TVexLabel* lblCampo;
    controls::TVexLabel* lblEmpresa;
    platform::ui::TActionList* alsConfig;
    platform::ui::TAction* actConfigurarNumeracao;
    controls::TVexButton* chkConfigurarNumeracao;
    controls::TVexPageControl* pctConfigNumeracao;
    platform::ui::TTabSheet* tshConfiguracao;
    platform::ui::TTabSheet* tshValores;
    controls::TVexPanel* pnlConfiguracao;
    platform::ui::TDBEdit* edtMascara;
    platform::ui::TDBEdit* edtDigitos;
    TVexDBComboBox* cbxZeramento;
    TVexDBLabel* lblMascara;
    TVexDBLabel* lblDigitos;
    TVexDBLabel* lblZeramento;
    QWidget* pnlTokens;
    // In the order Número, Dia - D, Dia - DD, Mês - M, Mês - MM, Ano - YY, Ano - YYYY.
    std::vector<QLabel*> TokenLabels;
    QLabel* lblExemploTxt;
    QLabel* lblExemplo;
    TVexDBGrid* grdNumeracaoItem;
    controls::TVexButton* btnOK;
    controls::TVexButton* btnCancelar;

    platform::data::TClientDataSet* cdsNumeracao;
    platform::data::TClientDataSet* cdsNumeracaoItem;
    platform::data::TDataSource* dtsNumeracao;
    platform::data::TDataSource* dtsNumeracaoItem;
    platform::data::TADOQuery* dstNumeracao;
    platform::data::TADOQuery* dstNumeracaoItem;

private:
    struct TWorkingCopy;
    struct TRowDefaults {
        QString Mascara;
        int Quantidade_Digitos = 4;
        int Opcao_Zeramento = 0;
        bool Configurado = false;
    };

    void BuildLayout();
    void BuildDataSets();
    void ReadStoredRows();
    void ShowSelection();
    void SelectionChanged(QComboBox* Sender);
    // Posts pending edits of both datasets; false when a post failed (already told to the user).
    bool PostPending();
    void UpdateControls();
    void UpdateExample();
    void UpdateCounterColumns();
    void InsertToken(const QString& Token);
    void actConfigurarNumeracaoExecute();
    void cdsNumeracaoNewRecord();
    void cdsNumeracaoBeforePost();
    void cdsNumeracaoItemNewRecord();
    void btnOKClick();
    // Writes the rows of the snapshots; false after a failure (the transaction is then rolled back).
    bool WriteRows(const TWorkingCopy& Copy);
    int CurrentCompany() const;

    std::unique_ptr<TConfigNumeracao> FConfig;
    TNumeracao* FNumeracao;
    TNumeracaoItem* FNumeracaoItem;
    bool FLoading = false;
    int FNextIdTemp = 1;
    TRowDefaults FDefaults;
    bool FCheckEnabled = true;
    int FOpcaoAoEditar = 0;
};

}  // namespace databound
