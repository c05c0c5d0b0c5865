#pragma once
// The setup wizard: one window whose pages lead the user from the welcome
// page through the installation folder and the review to the installation run.
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <memory>

#include "controls/VexButton.h"
#include "controls/VexDataLabel.h"
#include "controls/VexSkin.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Forms.h"
#include "setup/InstallRun.h"
#include "setup/WizardState.h"

namespace setup {

inline constexpr platform::ui::UINT WM_STARTUP = platform::ui::WM_APP + 60;

// A label that answers a click, for the customer's web address.
class TLinkLabel : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> OnClick;

protected:
    void mouseReleaseEvent(QMouseEvent* Event) override;
};

class TfrmPrincipal : public platform::ui::TCustomForm, private TInstallHost {
    Q_OBJECT
public:
    explicit TfrmPrincipal(QWidget* AOwner = nullptr);
    ~TfrmPrincipal() override;

    controls::TVexSkin* sknPrincipal;
    QWidget* pnlBand;
    QWidget* pnlCenter;
    QWidget* pnlBottom;
    platform::ui::TPageControl* pctAssist;
    platform::ui::TTabSheet* tshInicial;
    platform::ui::TTabSheet* tshConfig;
    platform::ui::TTabSheet* tshVerificar;
    platform::ui::TTabSheet* tshInstalando;
    platform::ui::TTabSheet* tshConcluido;
    platform::ui::TTabSheet* tshCancelado;
    platform::ui::TTabSheet* tshDesinstalando;
    QLabel* lblInicial;
    QLabel* imgLogo;
    TLinkLabel* lblInicialSite;
    controls::TVexLabel* lblConfigLocal;
    QLineEdit* edtConfigLocal;
    controls::TVexButton* btnConfigLocalizar;
    QPlainTextEdit* mmoConferir;
    QProgressBar* pbrInstall;
    controls::TVexButton* chkIniciar;
    controls::TVexButton* btnVoltar;
    controls::TVexButton* btnAvancar;
    controls::TVexButton* btnCancelar;

    platform::ui::TTabSheet* CurrentPage() const { return FCurrentPage; }
    bool CanClose() const { return FCanClose; }
    const TNVOCCData& NVOCC() const { return FNVOCC; }
    int HistoryIndex() const { return FHistory.Index(); }

private:
    void CreateComponents();
    platform::ui::TTabSheet* AddPage(const char* Name, const QString& Title, const QString& Hint);
    QLabel* AddText(platform::ui::TTabSheet* Page, const QString& Text, int Top, int Height);
    controls::TVexButton* AddButton(QWidget* Parent, const char* Name, const QString& Caption, int Left);

    void FormCreate();
    void FormDestroy();
    void WMStartup();
    void WMFocusControl(platform::ui::TMessage& Message);
    void btnAvancarClick();
    void btnVoltarClick();
    void btnCancelarClick();
    void FormCloseQuery(bool& CanClose);
    void btnConfigLocalizarClick();
    void lblInicialSiteClick();

    void ReadPackageContents();
    void GoToPage(platform::ui::TTabSheet* Page);
    platform::ui::TTabSheet* NextPage() const;
    void ValidatePage(platform::ui::TTabSheet* Next, bool& Ok);
    void ExecutePage();
    bool IsFinalPage(const platform::ui::TTabSheet* Page) const;

    // The installation run's view of the window.
    void ResetProgress(int Max) override;
    void AdvanceProgress() override;
    void ProcessMessages() override;
    bool CancelRequested() const override { return FCancelRequested; }
    void ClearCancelRequest() override { FCancelRequested = false; }
    void ShowCancelled() override { GoToPage(tshCancelado); }
    void ShowFinished() override { GoToPage(tshConcluido); }
    int AskRetry(const std::string& Message) override;
    void ReportFailure(const std::string& Message, const std::string& Details) override;

    bool FOldRemovalFailed = false;
    bool FRemoveOldVersion = false;
    std::unique_ptr<platform::os::TStream> FPackage;
    bool FInstalled = false;
    platform::ui::TTabSheet* FCurrentPage = nullptr;
    bool FCanClose = false;
    TPageHistory<platform::ui::TTabSheet*> FHistory;
    bool FGoingBack = false;
    TNVOCCData FNVOCC;
    TLaunchCommand FLaunch;
    bool FCancelRequested = false;
};

}  // namespace setup
