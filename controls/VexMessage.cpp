#include "controls/VexMessage.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStyle>
#include <climits>

#include "controls/VexButton.h"
#include "platform/ui/Fonts.h"
#include "platform/ui/Messages.h"
#include "controls/VexMessageEx.h"

namespace controls {

using platform::ui::TCustomForm;

namespace {

// The texts of the message box.
const QString sDetails = QStringLiteral("&Detalhes");
const QString sDetailsLabel = QStringLiteral("Detalhes:");
const QString sSeparator = QStringLiteral("---------------------------");
const QString sLineBreak = QStringLiteral("\r\n");

struct TButtonInfo {
    const char* Caption;
    int ModalResult;
    bool TextWidth;  // as wide as its caption instead of the standard width
};
constexpr TButtonInfo ButtonInfos[DialogButtonCount] = {
    {"&Sim", 6, false},      {"&Não", 7, false},      {"&OK", 1, false},       {"&Cancelar", 2, false},
    {"&Abortar", 3, false},  {"&Repetir", 4, false},  {"&Ignorar", 5, false},  {"&Todos", 8, false},
    {"Não para t&odos", 9, true}, {"Sim para &todos", 10, true}, {"A&juda", 0, false},
    {"Custom 1", 11, true},  {"Custom 2", 12, true},  {"Custom 3", 13, true},  {"Custom 4", 14, true},
    {"Custom 5", 15, true},
};
constexpr int StandardButtonWidth = 70;
constexpr int ButtonHeight = 23;

void CheckKind(TDialogKind Kind) {
    if (Kind < dkWarning || Kind > dkCustom) throw platform::os::EListError::IndexOutOfBounds(Kind);
}

// Trim as the platform trims: spaces and control characters at both ends.
QString TrimControls(const QString& Text) {
    qsizetype First = 0, Last = Text.size();
    while (First < Last && Text[First].unicode() <= ' ') ++First;
    while (Last > First && Text[Last - 1].unicode() <= ' ') --Last;
    return Text.mid(First, Last - First);
}

int ButtonWidth(const TDlgBtn& Button, const QFont& Font) {
    if (!ButtonInfos[Button.Kind].TextWidth) return StandardButtonWidth;
    return QFontMetrics(Font).horizontalAdvance(Button.Caption) + 16;
}

TMessageDialogResponder& Responder() {
    static TMessageDialogResponder Instance;
    return Instance;
}

// The extended box on the platform's grid, until an upper layer presents lists its own way.
int ShowPlainMessageList(const std::vector<TMessageItem>& Items) { return ShowMessageList(Items); }

TMessageListPresenter& Presenter() {
    static TMessageListPresenter Instance = ShowPlainMessageList;
    return Instance;
}

// The platform's controls (a grid or navigator deleting rows) ask their questions through the library's box.
const bool gConfirmationsAsked = [] {
    platform::ui::SetConfirmationAsker([](const QString& Question) {
        return ShowMessageDialog(Question, QString(), dkConfirmation, ButtonSet({dbYes, dbNo}), 0, 0,
                                 AutoCancelResult) == platform::ui::mrYes;
    });
    return true;
}();

}  // namespace

QString DialogKindTitle(TDialogKind Kind) {
    static const QString Titles[] = {"Cuidado", "Erro", "Informação", "Confirmação", "Aplicativo"};
    CheckKind(Kind);
    return Titles[Kind];
}

QPixmap DialogKindIcon(TDialogKind Kind, int Size) {
    CheckKind(Kind);
    static constexpr QStyle::StandardPixmap Icons[] = {
        QStyle::SP_MessageBoxWarning, QStyle::SP_MessageBoxCritical, QStyle::SP_MessageBoxInformation,
        QStyle::SP_MessageBoxQuestion, QStyle::SP_DesktopIcon};
    QIcon Icon = Kind == dkCustom ? QApplication::windowIcon() : QIcon();
    if (Icon.isNull()) Icon = QApplication::style()->standardIcon(Icons[Kind]);
    return Icon.pixmap(Size, Size);
}

QString DialogButtonCaption(TDialogButton Button) { return QString::fromUtf8(ButtonInfos[Button].Caption); }
int DialogButtonModalResult(TDialogButton Button) { return ButtonInfos[Button].ModalResult; }

TButtonRow BuildButtonRow(TDialogButtons Buttons, const TCustomButtons& Customs) {
    TButtonRow Row;
    for (int Ordinal = 0; Ordinal < DialogButtonCount; ++Ordinal) {
        if (!(Buttons & (1u << Ordinal))) continue;
        const auto Kind = static_cast<TDialogButton>(Ordinal);
        QString Caption = DialogButtonCaption(Kind);
        auto Position = static_cast<int>(Row.Buttons.size());
        if (Kind >= dbCustom1) {
            const TCustomButton& Custom = Customs[Kind - dbCustom1];
            if (!Custom.Caption.isEmpty()) Caption = Custom.Caption;
            if (Custom.Index != -1) Position = Custom.Index;
        }
        if (Position < 0 || Position > static_cast<int>(Row.Buttons.size()))
            throw platform::os::EListError::IndexOutOfBounds(Position);
        Row.Buttons.insert(Row.Buttons.begin() + Position, TDlgBtn{Kind, Caption});
        Row.VisitedCaptions.append(Caption);
    }
    return Row;
}

TDetailsPaneParts FillDetailsPane(QWidget* Pane, const QString& LabelName, const QString& BevelName,
                                  const QString& MemoName) {
    auto* Label = new QLabel(sDetailsLabel, Pane);
    Label->setObjectName(LabelName);
    platform::ui::SetBounds(Label, 0, 0, Pane->width(), 13);
    platform::ui::SetAlign(Label, platform::ui::TAlign::alTop);
    auto* Bevel = new QWidget(Pane);
    Bevel->setObjectName(BevelName);
    platform::ui::SetBounds(Bevel, 0, 13, Pane->width(), 2);
    platform::ui::SetAlign(Bevel, platform::ui::TAlign::alTop);
    auto* Memo = new QPlainTextEdit(Pane);
    Memo->setObjectName(MemoName);
    Memo->setReadOnly(true);
    platform::ui::SetAlign(Memo, platform::ui::TAlign::alClient);
    return {Label, Bevel, Memo};
}

TfrmVexMessage::TfrmVexMessage(QWidget* AOwner) : TCustomForm(AOwner) {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    SetBorderWidth(8);
    SetColor(QColor(236, 233, 216));
    SetFont(platform::ui::TFont(platform::ui::DefaultFont(), Qt::black));
    SetPosition(platform::ui::TPosition::poScreenCenter);

    img = new QLabel(this);
    img->setObjectName("img");
    platform::ui::SetBounds(img, 0, 0, 32, 32);
    lbl = new QLabel(this);
    lbl->setObjectName("lbl");
    lbl->setWordWrap(true);
    lbl->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lbl->setTextFormat(Qt::PlainText);
    platform::ui::SetBounds(lbl, 40, 0, 177, 49);

    pnlDetalhe = new QWidget(this);
    pnlDetalhe->setObjectName("pnlDetalhe");
    platform::ui::SetBounds(pnlDetalhe, 40, 64, 217, 65);
    const TDetailsPaneParts Parts = FillDetailsPane(pnlDetalhe, "lblDetalhes", "Bevel2", "mmo");
    lblDetalhes = Parts.Label;
    Bevel2 = Parts.Bevel;
    mmo = Parts.Memo;
    mmo->setFrameShape(QFrame::NoFrame);
    mmo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pnlDetalhe->hide();

    pnlButtons = new QWidget(this);
    pnlButtons->setObjectName("pnlButtons");
    platform::ui::SetBounds(pnlButtons, 0, 136, 257, 41);

    alsMsg = new platform::ui::TActionList(this);
    alsMsg->setObjectName("alsMsg");
    actCopiar = alsMsg->Add("actCopiar");
    actCopiar->SetShortCut(QKeySequence(Qt::CTRL | Qt::Key_C));
    actCopiar->OnExecute = [this](QObject* Sender) { actCopiarExecute(Sender); };
    OnShow = [this](QObject*) { FormShow(); };
    SetAutoSize(true);
}

TfrmVexMessage::~TfrmVexMessage() = default;

void TfrmVexMessage::Build(const QString& Msg, const QString& Details, TDialogKind Kind, TDialogButtons Buttons,
                           int DefaultIndex, int CancelResult, const TCustomButtons& Customs) {
    const int B = BorderWidth();
    SetCaption(DialogKindTitle(Kind));
    const QPixmap Icon = DialogKindIcon(Kind, 32);
    img->setPixmap(Icon);
    platform::ui::SetBounds(img, 0, 0, Icon.width(), Icon.height());

    // Sized once to the wrapped text, then kept at a readable minimum.
    lbl->setText(Msg);
    const QRect TextRect = QFontMetrics(lbl->font()).boundingRect(QRect(0, 0, 450, INT_MAX / 2),
                                                                   Qt::TextWordWrap | Qt::AlignLeft, Msg);
    platform::ui::SetBounds(lbl, img->width() + 2 * B, 0, std::max(TextRect.width(), 150),
                            std::max(TextRect.height(), 35));

    mmo->setPlainText(TrimControls(Details));
    FHasDetails = !mmo->toPlainText().isEmpty();

    const int Y = lbl->height() + B + 15;
    const QRect LabelBounds = platform::ui::GetBounds(lbl);
    platform::ui::SetBounds(pnlDetalhe, LabelBounds.x(), Y, LabelBounds.width(), pnlDetalhe->height());

    const TButtonRow Row = BuildButtonRow(Buttons, Customs);
    FCaptions = Row.VisitedCaptions;
    int RowWidth = 0;
    for (const TDlgBtn& Button : Row.Buttons) RowWidth += ButtonWidth(Button, font()) + B;
    if (FHasDetails) RowWidth += B + StandardButtonWidth;

    platform::ui::SetBounds(pnlButtons, B, Y, std::max(LabelBounds.x() + LabelBounds.width(), RowWidth),
                            B + ButtonHeight);
    int X = (pnlButtons->width() - RowWidth) / 2;
    TVexButton* CancelButton = nullptr;
    for (std::size_t P = 0; P < Row.Buttons.size(); ++P) {
        const TDlgBtn& Entry = Row.Buttons[P];
        TVexButton* Button = AddRowButton(Entry.Caption, X);
        if (static_cast<int>(P) == DefaultIndex) FFocusButton = Button;
        Button->SetModalResult(DialogButtonModalResult(Entry.Kind));
        const bool Last = P + 1 == Row.Buttons.size();
        if (!CancelButton && (Button->ModalResult() == CancelResult ||
                              (CancelResult == AutoCancelResult && (Button->ModalResult() == 2 || Last)))) {
            CancelButton = Button;
            Button->SetCancel(true);
        }
        Button->SetWidth(ButtonWidth(Entry, font()));
        X += Button->Width() + B;
    }
    if (FHasDetails) {
        FDetailsButton = AddRowButton(sDetails, X);
        FDetailsButton->SetGroupIndex(1);
        FDetailsButton->SetAllowAllUp(true);
        FDetailsButton->OnClick = [this](QObject* Sender) { DetailsButtonClick(Sender); };
        FDetailsButton->SetChecked(true);
        DetailsButtonClick(FDetailsButton);
    }
    SetAutoSize(false);
    SetAutoSize(true);
}

TVexButton* TfrmVexMessage::AddRowButton(const QString& Caption, int X) {
    auto* Button = new TVexButton(pnlButtons);
    Button->SetCaption(Caption);
    Button->SetSkinName("button");
    Button->SetBounds(X, BorderWidth(), StandardButtonWidth, ButtonHeight);
    FRowButtons.push_back(Button);
    return Button;
}

void TfrmVexMessage::DetailsButtonClick(QObject*) {
    const bool Open = FDetailsButton && FDetailsButton->Checked();
    pnlDetalhe->setVisible(Open);
    const QRect Pane = platform::ui::GetBounds(pnlDetalhe);
    const QRect Row = platform::ui::GetBounds(pnlButtons);
    platform::ui::SetBounds(pnlButtons, Row.x(), Open ? Pane.y() + Pane.height() : Pane.y(), Row.width(),
                            Row.height());
    if (AutoSize()) AdjustToContents();
}

void TfrmVexMessage::FormShow() {
    if (FFocusButton && platform::ui::CanFocus(FFocusButton)) FFocusButton->setFocus(Qt::OtherFocusReason);
}

QString TfrmVexMessage::ClipboardText() const {
    QString Text = sSeparator + sLineBreak + Caption() + sLineBreak + sSeparator + sLineBreak + lbl->text() +
                   sLineBreak + sSeparator + sLineBreak;
    if (FHasDetails)
        Text += sDetailsLabel + sLineBreak + sLineBreak + mmo->toPlainText() + sLineBreak + sSeparator + sLineBreak;
    QStringList Captions;
    for (const QString& Caption : FCaptions)
        if (!Caption.isEmpty()) Captions.append(QString(Caption).remove(QLatin1Char('&')));
    if (!Captions.isEmpty()) Text += Captions.join(QStringLiteral("   ")) + sLineBreak + sSeparator + sLineBreak;
    return Text;
}

void TfrmVexMessage::actCopiarExecute(QObject*) { QApplication::clipboard()->setText(ClipboardText()); }

int16_t ShowMessageDialog(const QString& Msg, const QString& Details, TDialogKind Kind, TDialogButtons Buttons,
                          int Reserved, int DefaultIndex, int CancelResult, const TCustomButtons& Customs) {
    CheckKind(Kind);
    if (Responder()) {
        const TMessageDialogCall Call{Msg,          Details,      Kind,    Buttons,
                                      Reserved,     DefaultIndex, CancelResult, Customs,
                                      BuildButtonRow(Buttons, Customs)};
        return static_cast<int16_t>(Responder()(Call));
    }
    const std::unique_ptr<TfrmVexMessage, TFormReleaser> Form(new TfrmVexMessage());
    Form->Build(Msg, Details, Kind, Buttons, DefaultIndex, CancelResult, Customs);
    return static_cast<int16_t>(Form->ShowModal());
}

TMessageDialogResponder SetMessageDialogResponder(TMessageDialogResponder Value) {
    return std::exchange(Responder(), std::move(Value));
}

TMessageListPresenter SetMessageListPresenter(TMessageListPresenter Value) {
    return std::exchange(Presenter(), Value ? std::move(Value) : TMessageListPresenter(ShowPlainMessageList));
}

int TMessageQueue::BeginMessages() { return FDepth++; }

void TMessageQueue::EndMessages(bool Show) {
    // An unbalanced end must not open the batch the wrong way round.
    if (FDepth > 0) --FDepth;
    if (FDepth == 0 && Show) FlushMessages();
}

void TMessageQueue::AddMessage(const QString& Msg, const QString& Details, TDialogKind Kind, TDialogButtons Buttons,
                               int Reserved, int DefaultIndex) {
    if (FDepth != 0)
        FItems.push_back({Msg, Details, Kind, Buttons, Reserved, DefaultIndex});
    else
        ShowMessageDialog(Msg, Details, Kind, Buttons, Reserved, DefaultIndex, AutoCancelResult);
}

int TMessageQueue::FlushMessages() {
    if (FItems.empty()) return 0;
    std::vector<TMessageItem> Items = std::exchange(FItems, {});
    if (Items.size() == 1) {
        const TMessageItem& Item = Items.front();
        return ShowMessageDialog(Item.Msg, Item.Details, Item.Kind, Item.Buttons, Item.Reserved, Item.DefaultIndex,
                                 AutoCancelResult);
    }
    return Presenter()(Items);
}

TMessageQueue& MessageQueue() {
    static TMessageQueue Instance;
    return Instance;
}

}  // namespace controls
