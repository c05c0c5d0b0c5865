#pragma once
// The message box of the whole system: every question, warning and error
// goes through ShowMessageDialog. The message batch collects the messages of
// one operation and shows them together when its outermost level ends.
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/os/Exceptions.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Forms.h"

class QLabel;
class QPlainTextEdit;

namespace controls {

class TVexButton;

enum TDialogKind { dkWarning, dkError, dkInformation, dkConfirmation, dkCustom };

enum TDialogButton {
    dbYes, dbNo, dbOK, dbCancel, dbAbort, dbRetry, dbIgnore, dbAll, dbNoToAll, dbYesToAll, dbHelp,
    dbCustom1, dbCustom2, dbCustom3, dbCustom4, dbCustom5
};
inline constexpr int DialogButtonCount = 16;

// A set of button kinds: bit n stands for ordinal n.
using TDialogButtons = uint16_t;
constexpr TDialogButtons ButtonSet(std::initializer_list<TDialogButton> Buttons) {
    TDialogButtons Set = 0;
    for (TDialogButton B : Buttons) Set = static_cast<TDialogButtons>(Set | (1u << B));
    return Set;
}

// Makes the cancel button automatic: the Cancel button, or else the last one.
inline constexpr int AutoCancelResult = 16;

// Title and system icon of a kind; EListError for a value outside the kinds.
QString DialogKindTitle(TDialogKind Kind);
QPixmap DialogKindIcon(TDialogKind Kind, int Size);
QString DialogButtonCaption(TDialogButton Button);
int DialogButtonModalResult(TDialogButton Button);

// Caption and position of one of the five custom buttons: an empty caption
// keeps the default one, index -1 puts it at the end of the row.
struct TCustomButton {
    QString Caption;
    int Index = -1;
};
using TCustomButtons = std::array<TCustomButton, 5>;

// One entry of the button row.
struct TDlgBtn {
    TDialogButton Kind;
    QString Caption;
};

// The row in its final left-to-right order and the captions in the order the
// kinds were visited. Raises EListError for a custom index beyond the row.
struct TButtonRow {
    std::vector<TDlgBtn> Buttons;
    QStringList VisitedCaptions;
};
TButtonRow BuildButtonRow(TDialogButtons Buttons, const TCustomButtons& Customs);

// An error that carries a details text besides its message.
class EDesktopError : public platform::os::Exception {
public:
    EDesktopError(const QString& Message, const QString& Details)
        : Exception(Message.toStdString()), FDetails(Details) {}
    QString Details() const { return FDetails; }

private:
    QString FDetails;
};

// Fills a details pane as both boxes have it: "Detalhes:" on top, a 2-pixel
// spacer under it and a read-only memo filling the rest.
struct TDetailsPaneParts {
    QLabel* Label;
    QWidget* Bevel;
    QPlainTextEdit* Memo;
};
TDetailsPaneParts FillDetailsPane(QWidget* Pane, const QString& LabelName, const QString& BevelName,
                                  const QString& MemoName);

class TfrmVexMessage : public platform::ui::TCustomForm {
    Q_OBJECT
public:
    explicit TfrmVexMessage(QWidget* AOwner = nullptr);
    ~TfrmVexMessage() override;

    // Fills the form for one call; raises EListError for a custom index beyond the row.
    void Build(const QString& Msg, const QString& Details, TDialogKind Kind, TDialogButtons Buttons,
               int DefaultIndex, int CancelResult, const TCustomButtons& Customs);

    // The text Ctrl+C puts on the clipboard.
    QString ClipboardText() const;
    void actCopiarExecute(QObject* Sender);
    void DetailsButtonClick(QObject* Sender);

    QLabel* img = nullptr;
    QLabel* lbl = nullptr;
    QWidget* pnlDetalhe = nullptr;
    QLabel* lblDetalhes = nullptr;
    QWidget* Bevel2 = nullptr;
    QPlainTextEdit* mmo = nullptr;
    QWidget* pnlButtons = nullptr;
    platform::ui::TActionList* alsMsg = nullptr;
    platform::ui::TAction* actCopiar = nullptr;

    // The buttons of the row in order, the details button last when there is one.
    const std::vector<TVexButton*>& RowButtons() const { return FRowButtons; }
    TVexButton* DetailsButton() const { return FDetailsButton; }

private:
    void FormShow();
    TVexButton* AddRowButton(const QString& Caption, int X);

    QPointer<QWidget> FFocusButton;
    bool FHasDetails = false;
    QStringList FCaptions;
    std::vector<TVexButton*> FRowButtons;
    TVexButton* FDetailsButton = nullptr;
};

// A box lives for one call: released on every way out, also when building it fails.
struct TFormReleaser {
    void operator()(platform::ui::TCustomForm* Form) const { Form->Release(); }
};

int16_t ShowMessageDialog(const QString& Msg, const QString& Details, TDialogKind Kind, TDialogButtons Buttons,
                          int Reserved, int DefaultIndex, int CancelResult, const TCustomButtons& Customs = {});

// A test answers dialogs without showing them: the responder sees each call
// and returns its result. Never installed by the program.
struct TMessageDialogCall {
    QString Msg;
    QString Details;
    TDialogKind Kind;
    TDialogButtons Buttons;
    int Reserved;
    int DefaultIndex;
    int CancelResult;
    TCustomButtons Customs;
    TButtonRow Row;
};
using TMessageDialogResponder = std::function<int(const TMessageDialogCall& Call)>;
// Answers the responder that was installed before.
TMessageDialogResponder SetMessageDialogResponder(TMessageDialogResponder Responder);

// One collected message.
struct TMessageItem {
    QString Msg;
    QString Details;
    TDialogKind Kind = dkInformation;
    TDialogButtons Buttons = 0;
    int Reserved = 0;
    int DefaultIndex = -1;
};

// Shows several collected messages at once and answers the modal result.
// The layers above may register a richer box; the default is TfrmVexMessageEx.
using TMessageListPresenter = std::function<int(const std::vector<TMessageItem>& Items)>;
TMessageListPresenter SetMessageListPresenter(TMessageListPresenter Presenter);

class TMessageQueue {
public:
    // Answers the depth before the call.
    int BeginMessages();
    void EndMessages(bool Show);
    void AddMessage(const QString& Msg, const QString& Details, TDialogKind Kind, TDialogButtons Buttons,
                    int Reserved, int DefaultIndex);
    // Shows what was collected; 0 when nothing was.
    int FlushMessages();

    int Depth() const { return FDepth; }
    const std::vector<TMessageItem>& Items() const { return FItems; }

private:
    std::vector<TMessageItem> FItems;
    int FDepth = 0;
};

// The process-wide batch of the data-access framework.
TMessageQueue& MessageQueue();

}  // namespace controls
