#include "databound/CustomCombo.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <algorithm>

#include "controls/VexMessage.h"
#include "dataaccess/ClasseTabelaList.h"
#include "dataaccess/DataSetSort.h"
#include "dataaccess/DivisionProvider.h"
#include "dataaccess/VexClasse.h"
#include "dataaccess/VexDbIni.h"
#include "dataaccess/VexFieldValue.h"
#include "dataaccess/VexHost.h"
#include "dataaccess/VexMenu.h"
#include "dataaccess/VexSession.h"
#include "dataaccess/VexSqlText.h"
#include "databound/ClasseTabelaDivisao.h"
#include "databound/DivisionCommand.h"
#include "databound/MatchHighlight.h"
#include "databound/SearchWords.h"
#include "databound/VexDBGrid.h"
#include "databound/VexDivisao.h"
#include "platform/data/ADODataSet.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/os/Exceptions.h"

namespace databound {

using namespace platform::ui;
using platform::data::TDataSet;
using platform::data::TField;

namespace {

constexpr int kTitleHeight = 20;
constexpr int kSearchHeight = 24;
constexpr int kSizerHeight = 5;
constexpr int kGridOffset = 2;  // the grid's left offset inside its panel
constexpr int kButtonWidth = 18;
const QString kSectionFormat = QStringLiteral("%1.%2");
const QString kComboSection = QStringLiteral("Custom_Combo");
const QString kColumnKey = QStringLiteral("Coluna_Grade[%1].%2");
const QString kGridSection = QStringLiteral("Divisao[%1].%2");
const QString kVisibleFieldProperty = QStringLiteral("FieldName");

QPointer<TfrmCustomCombo> gCurrent;

bool SameName(const QString& A, const QString& B) {
    return dataaccess::LowerCaseLatin1(A) == dataaccess::LowerCaseLatin1(B);
}

// Begin and end of the busy state on every path.
struct TBusy {
    TBusy() { dataaccess::BeginBusy(); }
    ~TBusy() { dataaccess::EndBusy(); }
    TBusy(const TBusy&) = delete;
    TBusy& operator=(const TBusy&) = delete;
};

// Counts the combo's own work, during which a deactivation only marks it for closing.
struct TBusyCount {
    explicit TBusyCount(int& Count) : FCount(Count) { ++FCount; }
    ~TBusyCount() { --FCount; }
    TBusyCount(const TBusyCount&) = delete;
    TBusyCount& operator=(const TBusyCount&) = delete;
    int& FCount;
};

TMenuItem* CheckItem(TMenuItem* Parent, const QString& Caption, bool Checked) {
    TMenuItem* Item = dataaccess::OwnerDrawn(Parent->Add(Caption));
    Item->SetChecked(Checked);
    Item->OnClick = [Item](QObject*) { Item->SetChecked(!Item->Checked()); };
    return Item;
}

TColumn* GridColumnOf(const TVexDBDivisao& Division, const QString& FieldName) {
    auto* Grid = qobject_cast<TCustomDBGrid*>(Division.Grid());
    if (!Grid) return nullptr;
    for (int I = 0; I < Grid->Columns().Count(); ++I)
        if (SameName(Grid->Columns()[I]->FieldName(), FieldName)) return Grid->Columns()[I];
    return nullptr;
}

// The base command with its select list (between " Select " and " From ") replaced.
QString WithSelectList(const QString& Command, const QString& SelectList) {
    static const QRegularExpression kSelect(QStringLiteral("^\\s*select\\s+(.*?)\\s+from\\s"),
                                            QRegularExpression::CaseInsensitiveOption |
                                                QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch Match = kSelect.match(Command);
    if (!Match.hasMatch()) return Command;
    return Command.left(Match.capturedStart(1)) + SelectList + Command.mid(Match.capturedEnd(1));
}

// The fields that take numbers, from the table object the division searches with.
QStringList NumberedFields(TVexDBDivisao& Division, QObject* Owner) {
    dataaccess::TClasseTabela* Table = nullptr;
    if (!Division.NomeClasse.isEmpty() && dataaccess::FindClasseTabela(Division.NomeClasse))
        Table = dataaccess::CreateClasseTabela(Division.NomeClasse, Owner);
    if (!Table) Table = CreateClasseTabelaDivisao(Division, Owner);
    while (Table->NumberingDelegate()) Table = Table->NumberingDelegate();
    QStringList Lines;
    Table->GetNumberedFields(Lines);
    QStringList Names;
    for (const QString& Line : Lines) Names << Line.section('=', 0, 0);
    return Names;
}

QString CommaText(const QStringList& Items) { return Items.join(','); }
QStringList FromCommaText(const QString& Text) { return Text.isEmpty() ? QStringList() : Text.split(','); }

}  // namespace

const TComboSelectField* TComboSelectFields::Find(const QString& FieldName) const {
    for (const TComboSelectField& Field : FItems)
        if (SameName(Field.FieldName, FieldName)) return &Field;
    return nullptr;
}

TfrmCustomCombo::TfrmCustomCombo(QWidget* AOwner)
    : TCustomForm(AOwner),
      FTitlePanel(new QWidget(this)),
      FTitleLabel(new QLabel(FTitlePanel)),
      FOptionsButton(new QToolButton(FTitlePanel)),
      FCloseButton(new QToolButton(FTitlePanel)),
      FSearchPanel(new QWidget(this)),
      FEdit(new QLineEdit(FSearchPanel)),
      FGridPanel(new QWidget(this)),
      FGrid(new TVexDBGrid(FGridPanel)),
      FSizer(new QWidget(this)),
      FDataSet(new platform::data::TADOQuery(this)),
      FSource(new platform::data::TDataSource(this)),
      FOptions(new TPopupMenu(this)) {
    setObjectName("frmCustomCombo");
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    FTitlePanel->setObjectName("pnlTitle");
    FTitlePanel->setAutoFillBackground(true);
    FTitlePanel->setCursor(Qt::SizeAllCursor);
    FOptionsButton->setObjectName("btnOpcoes");
    FOptionsButton->setText(QStringLiteral("..."));
    FOptionsButton->setFocusPolicy(Qt::NoFocus);
    FCloseButton->setObjectName("btnFechar");
    FCloseButton->setFocusPolicy(Qt::NoFocus);
    FCloseButton->setText(QStringLiteral("x"));
    FSearchPanel->setObjectName("pnlIdentidade");
    FEdit->setObjectName("edtIdentidade");
    FGridPanel->setObjectName("pnlCombo");
    FGrid->setObjectName("grdCombo");
    FSizer->setObjectName("pnlSizer");
    FSizer->setCursor(Qt::SizeVerCursor);
    FDataSet->setObjectName("dstCombo");
    FDataSet->SetReadOnly(true);
    FDataSet->SetFilterOptions(platform::data::foCaseInsensitive);
    FSource->SetDataSet(FDataSet);
    FGrid->SetDataSource(FSource);
    FGrid->SetReadOnly(true);
    FGrid->SetMultiSelect(false);
    FGrid->SetEstiloZebra(ezNenhum);
    FGrid->SetOptions((kDefaultDBGridOptions & ~(dgEditing | dgIndicator)) | dgRowSelect | dgAlwaysShowSelection);
    FGrid->setFocusPolicy(Qt::NoFocus);
    FGrid->OnAdvancedDrawColumnCell = [](QObject*, const QRect&, int, TColumn*, TGridDrawState, unsigned&,
                                         bool& DefaultDraw) { DefaultDraw = false; };
    FGrid->OnDrawColumnCell = [this](TCustomDBGrid* Sender, const QRect& Rect, int, TColumn* Column,
                                     TGridDrawState State) {
        TField* Field = Column->Field();
        QString Text = Field ? Field->DisplayText() : QString();
        const auto* Ex = static_cast<TVexDBGridColumn*>(Column);
        const qsizetype Index = Ex->PickList().indexOf(Text);
        if (Index >= 0 && Index < Ex->PickListEx().size()) Text = Ex->PickListEx().at(Index);
        DrawMatchedCell(Sender->Canvas(), Rect, Text, SearchWords(FEdit->text()), State & gdSelected);
    };
    FGrid->OnCellClick = [this](TColumn*) { ApplyRow(); };

    FOptions->SetOwnerDraw(true);
    TMenuItem* Root = FOptions->Items();
    FFromWordStartItem = CheckItem(Root, kComboFromWordStart, true);
    FFromWordStartItem->OnClick = [this](QObject*) {
        FFromWordStartItem->SetChecked(!FFromWordStartItem->Checked());
        if (FOpened) ApplyFilter();
    };
    dataaccess::OwnerDrawn(Root->Add(QStringLiteral("-")));
    FOpenByDefaultItem = CheckItem(Root, kComboOpenByDefault, true);
    FVisibleFieldsLine = dataaccess::OwnerDrawn(Root->Add(QStringLiteral("-")));
    FVisibleFieldsItem = dataaccess::OwnerDrawn(Root->Add(kComboVisibleFields));
    FVisibleFieldsLine->SetVisible(false);
    FVisibleFieldsItem->SetVisible(false);

    connect(FCloseButton, &QToolButton::clicked, this, [this] { Close(); });
    connect(FOptionsButton, &QToolButton::clicked, this, [this] {
        const QPoint At = FOptionsButton->mapToGlobal(QPoint(0, FOptionsButton->height()));
        TBusyCount Busy(FBusy);
        FOptions->Popup(At.x(), At.y());
    });
    connect(FEdit, &QLineEdit::textChanged, this, [this] {
        if (FOpened) ApplyFilter();
    });
    SetMessageHandler(WM_COMBOSELECTTEXT, [this](TMessage&) { FEdit->selectAll(); });
    SetKeyPreview(true);
    OnKeyDown = [this](QObject*, int& Key, Qt::KeyboardModifiers) { KeyDownHandler(Key); };
    for (QWidget* Watched : {FTitlePanel, static_cast<QWidget*>(FTitleLabel), FSizer, static_cast<QWidget*>(FEdit)})
        Watched->installEventFilter(this);
    FGridPanel->hide();
    FSizer->hide();
    SetActiveControl(FEdit);
    gCurrent = this;
}

TfrmCustomCombo::~TfrmCustomCombo() = default;

TfrmCustomCombo* TfrmCustomCombo::Current() { return gCurrent; }

bool TfrmCustomCombo::FromWordStart() const { return FFromWordStartItem->Checked(); }
bool TfrmCustomCombo::OpenByDefault() const { return FOpenByDefaultItem->Checked(); }

QString TfrmCustomCombo::Section() const {
    return kSectionFormat.arg(kComboSection, FField ? FField->FieldName() : QString());
}

bool TfrmCustomCombo::AddField(TVexDBDivisao& Division, const QString& Name, bool Visible, bool Offered) {
    if (FFields.Find(Name)) return true;
    TDataSet* DataSet = Division.GetDataSet();
    TField* Field = DataSet ? DataSet->FindField(Name) : nullptr;
    if (!Field) return false;
    int Width = 0;
    if (TColumn* Column = GridColumnOf(Division, Name)) {
        Column->SetVisible(true);
        Width = Column->Width();
        if (FSettings) {
            Width = FSettings->ReadInteger(FGridSection, kColumnKey.arg(Field->FieldName(), "Width"), Width);
            if (Offered) {
                const bool Checked =
                    FSettings->ReadBool(Section(), kColumnKey.arg(Field->FieldName(), "AddField"), Visible);
                TMenuItem* Entry = CheckItem(FVisibleFieldsItem, Field->DisplayLabel(), Checked);
                Entry->setProperty(kVisibleFieldProperty.toUtf8().constData(), Field->FieldName());
                if (!Checked) return true;
                Visible = true;
            }
        }
    }
    TComboSelectField Select;
    Select.FieldName = Field->FieldName();
    Select.DisplayLabel = Field->DisplayLabel();
    Select.DisplayFormat =
        Field->DataType() == platform::data::ftBoolean ? Field->DisplayValues() : Field->DisplayFormat();
    if (const TConfigCampo* Item = Division.Campos().Config().FindByField(Field)) {
        Select.PickList = CommaText(Item->Valor().Items);
        Select.PickListEx = CommaText(Item->Valor().ItemsEx);
    }
    Select.Origin = Field->Origin().isEmpty() ? Field->FieldName() : Field->Origin();
    Select.Alignment = Field->Alignment();
    Select.Width = Width;
    Select.Visible = Visible;
    Select.Searchable = platform::data::IsStringType(Field->DataType());
    FFields.Add(Select);
    return true;
}

void TfrmCustomCombo::SortVisibleFieldEntries() {
    QList<TMenuItem*> Entries = FVisibleFieldsItem->Children();
    std::stable_sort(Entries.begin(), Entries.end(),
                     [](TMenuItem* A, TMenuItem* B) { return A->Caption().localeAwareCompare(B->Caption()) < 0; });
    for (TMenuItem* Entry : Entries) Entry->setParent(nullptr);
    for (TMenuItem* Entry : Entries) Entry->setParent(FVisibleFieldsItem);
    FVisibleFieldsLine->SetVisible(!Entries.isEmpty());
    FVisibleFieldsItem->SetVisible(!Entries.isEmpty());
}

QString TfrmCustomCombo::SelectList() const {
    QStringList Items;
    for (int I = 0; I < FFields.Count(); ++I)
        Items << QStringLiteral("%1 as %2").arg(FFields.Items(I).Origin, FFields.Items(I).FieldName);
    return Items.join(", ");
}

int TfrmCustomCombo::VisibleWidth() const {
    int Total = 0;
    for (int I = 0; I < FFields.Count(); ++I)
        if (FFields.Items(I).Visible) Total += FFields.Items(I).Width + 1;
    return Total;
}

QStringList TfrmCustomCombo::SearchColumns(bool Origins) const {
    QStringList Columns;
    for (int I = 0; I < FFields.Count(); ++I) {
        const TComboSelectField Field = FFields.Items(I);
        if (Field.Visible && Field.Searchable) Columns << (Origins ? Field.Origin : '[' + Field.FieldName + ']');
    }
    return Columns;
}

void TfrmCustomCombo::LoadSettings() {
    if (!FSettings) return;
    TBusy Busy;
    FOpenByDefaultItem->SetChecked(FSettings->ReadBool(Section(), "Default_Opened", OpenByDefault()));
    FFromWordStartItem->SetChecked(FSettings->ReadBool(Section(), "Pesquisar_Inicio_Palavra", FromWordStart()));
    FSavedHeight = FSettings->ReadInteger(Section(), "Height", FSavedHeight);
}

void TfrmCustomCombo::SaveSettings() {
    if (!FSettings) return;
    TBusy Busy;
    FSettings->WriteBool(Section(), "Default_Opened", OpenByDefault());
    FSettings->WriteBool(Section(), "Pesquisar_Inicio_Palavra", FromWordStart());
    if (FOpened) FSettings->WriteInteger(Section(), "Height", FSavedHeight);
    for (TMenuItem* Entry : FVisibleFieldsItem->Children())
        FSettings->WriteBool(Section(),
                             kColumnKey.arg(Entry->property(kVisibleFieldProperty.toUtf8().constData()).toString(),
                                            "AddField"),
                             Entry->Checked());
    // Destroying the store writes it; its errors go to the message batch.
    FSettings.reset();
}

bool TfrmCustomCombo::Execute(bool OpenFlag) {
    LoadSettings();
    if (!OpenByDefault()) OpenFlag = !OpenFlag;
    if (OpenFlag) OpenCombo();
    if (FClosed) return false;
    Show();
    activateWindow();
    FEdit->setFocus(Qt::OtherFocusReason);
    StayOnDesktop();
    return true;
}

void TfrmCustomCombo::CreateComboFields() {
    FDataSet->UpdateFieldDefs();
    FDataSet->CreateFields();
    for (TField* Field : FDataSet->FieldList()) {
        const TComboSelectField* Select = FFields.Find(Field->FieldName());
        if (!Select) continue;
        Field->SetAlignment(Select->Alignment);
        Field->SetDisplayLabel(Select->DisplayLabel);
        if (Field->DataType() == platform::data::ftBoolean) Field->SetDisplayValues(Select->DisplayFormat);
        else Field->SetDisplayFormat(Select->DisplayFormat);
    }
    for (int I = 0; I < FFields.Count(); ++I) {
        const TComboSelectField Select = FFields.Items(I);
        if (!Select.Visible) continue;
        TColumn* Column = FGrid->Columns().Add();
        Column->SetFieldName(Select.FieldName);
        if (Select.Width > 0) Column->SetWidth(Select.Width);
        Column->SetPickList(FromCommaText(Select.PickList));
        FGrid->Column(Column->Index())->SetPickListEx(FromCommaText(Select.PickListEx));
    }
    FFieldsCreated = true;
}

void TfrmCustomCombo::OpenCombo() {
    TBusyCount Count(FBusy);
    {
        TBusy Busy;
        FEdit->selectAll();
        QString Condition;
        if (!FMasterCondition.isEmpty()) Condition = JoinCondition(Condition, FMasterCondition, " and ");
        if (!FAtivoOrigin.isEmpty() && FAtivoValue != -1)
            Condition = JoinCondition(Condition, QStringLiteral("%1 = %2").arg(FAtivoOrigin).arg(FAtivoValue), " and ");
        const QString Words =
            SearchCondition(SearchColumns(true), FEdit->text(), FromWordStart(), TWildcardEscape::weBrackets);
        if (!Words.isEmpty()) Condition = JoinCondition(Condition, Words, " and ");
        FDataSet->Close();
        FDataSet->SetFiltered(false);
        FDataSet->SetFilter(QString());
        QString Command = Condition.isEmpty() ? FCommandText : dataaccess::InjectCondition(FCommandText, {Condition});
        // The server orders the rows, so that filtering them as the user types keeps the order without sorting.
        for (int I = 0; I < FFields.Count(); ++I)
            if (FFields.Items(I).Visible) {
                Command = WithoutOrderBy(Command) + " Order By " + FFields.Items(I).Origin;
                break;
            }
        FDataSet->SetCommandText(Command);
        if (!FFieldsCreated) CreateComboFields();
        FDataSet->Open();
        if (FDataSet->RecordCount() == 1) {
            ApplyRow();
            if (FClosed) return;
        } else if (!FDataSet->IsEmpty()) {
            LocateCurrentKey();
        }
    }
    FOpened = true;
    FGridPanel->show();
    FSizer->show();
    SetComboHeight(FSavedHeight);
    StayOnDesktop();
}

void TfrmCustomCombo::LocateCurrentKey() {
    QVariant Value = FField ? FField->Value() : QVariant();
    if (FControl) SendMessage(FControl, WM_COMBOCURRENTVALUE, reinterpret_cast<WPARAM>(&Value), 0);
    if (!platform::data::VarIsClear(Value)) FDataSet->Locate(FKeyFieldName, Value);
}

void TfrmCustomCombo::ApplyFilter() {
    const QString Condition =
        SearchCondition(SearchColumns(false), FEdit->text(), FromWordStart(), TWildcardEscape::weNone);
    try {
        FDataSet->SetFilter(Condition);
        FDataSet->SetFiltered(!Condition.isEmpty());
    } catch (const platform::os::Exception& E) {
        TBusyCount Count(FBusy);
        controls::ShowMessageDialog(kComboInvalidFilter, QString::fromStdString(E.what()), controls::dkInformation,
                                    controls::ButtonSet({controls::dbOK}), 0, 0, controls::AutoCancelResult);
    }
}

void TfrmCustomCombo::ApplyRow() {
    TBusyCount Count(FBusy);
    TBusy Busy;
    TAllowApplyOptions Options;
    const bool HasRows = FDataSet->Active() && !FDataSet->IsEmpty();
    if (HasRows) Options.Value = FDataSet->FieldByName(FKeyFieldName)->Value();
    Options.Text = FEdit->text();
    Options.SendEnter = FSendEnterOnApply;
    if (FControl) SendMessage(FControl, WM_COMBOALLOWAPPLY, reinterpret_cast<WPARAM>(&Options), 0);
    if (!HasRows) {
        if (Options.Reopen) OpenCombo();
        if (FClosed || !Options.ShowNotFound || (FDataSet->Active() && !FDataSet->IsEmpty())) return;
        const QString Text = Options.Text.trimmed();
        const QString Title = FTitle.toLower();
        const QString Message = Text.isEmpty() ? QString(kComboNotFound).arg(Title)
                                               : QString(kComboNotFoundFor).arg(Title, Text);
        controls::ShowMessageDialog(Message, QString(), controls::dkInformation, controls::ButtonSet({controls::dbOK}),
                                    0, 0, controls::AutoCancelResult);
        return;
    }
    if (Options.Apply && FField) dataaccess::SetFieldValue(FField, Options.Value);
    if (FControl) {
        if (Options.SendEnter)
            QCoreApplication::postEvent(FControl, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
        else if (auto* Edit = qobject_cast<QLineEdit*>(FControl.data()))
            QMetaObject::invokeMethod(Edit, &QLineEdit::selectAll, Qt::QueuedConnection);
    }
    if (Options.CloseCombo) CloseLater();
}

void TfrmCustomCombo::CloseLater() {
    FClosed = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (isVisible()) {
                Close();
                return;
            }
            // Applied before it was ever shown: nothing to close, only the settings to keep.
            SaveSettings();
            Release();
        },
        Qt::QueuedConnection);
}

void TfrmCustomCombo::KeyDownHandler(int& Key) {
    switch (Key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Key = 0;
        if (FOpened) ApplyRow();
        else OpenCombo();
        return;
    case Qt::Key_Escape:
        Key = 0;
        Close();
        return;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (!FDataSet->Active() || ActiveControl() != FEdit) return;
        MoveGrid(Key);
        Key = 0;
        PostMessage(this, WM_COMBOSELECTTEXT, 0, 0);
        return;
    default: return;
    }
}

void TfrmCustomCombo::MoveGrid(int Key) {
    const int Page = std::max(1, FGrid->VisibleRowCount());
    switch (Key) {
    case Qt::Key_Home: FDataSet->First(); break;
    case Qt::Key_End: FDataSet->Last(); break;
    case Qt::Key_PageUp: FDataSet->MoveBy(-Page); break;
    case Qt::Key_PageDown: FDataSet->MoveBy(Page); break;
    case Qt::Key_Up: FDataSet->Prior(); break;
    default: FDataSet->Next(); break;
    }
}

void TfrmCustomCombo::SetComboHeight(int Value) {
    if (Value <= kComboMinHeight) Value = kComboMinHeight + 1;
    FSavedHeight = Value;
    if (FOpened) resize(width(), Value);
}

void TfrmCustomCombo::StayOnDesktop() {
    const QRect Desktop = QGuiApplication::primaryScreen()->geometry();
    QRect Frame = geometry();
    if (Frame.bottom() > Desktop.bottom()) Frame.moveBottom(Desktop.bottom());
    if (Frame.top() < Desktop.top()) Frame.moveTop(Desktop.top());
    move(Frame.topLeft());
}

void TfrmCustomCombo::DoClose(TCloseAction& Action) {
    FClosed = true;
    SaveSettings();
    TCustomForm::DoClose(Action);
    Action = TCloseAction::caFree;
}

bool TfrmCustomCombo::event(QEvent* Event) {
    switch (Event->type()) {
    case QEvent::WindowActivate: FWasActive = true; break;
    case QEvent::WindowDeactivate:
        if (!FWasActive || FClosed) break;
        if (FBusy > 0) FCloseWanted = true;
        else CloseLater();
        break;
    case QEvent::Resize: {
        const int Width = this->width(), Height = this->height();
        FTitlePanel->setGeometry(0, 0, Width, kTitleHeight);
        FCloseButton->setGeometry(Width - kButtonWidth - 1, 1, kButtonWidth, kTitleHeight - 2);
        FOptionsButton->setGeometry(Width - 2 * kButtonWidth - 2, 1, kButtonWidth, kTitleHeight - 2);
        FTitleLabel->setGeometry(4, 0, std::max(0, Width - 2 * kButtonWidth - 8), kTitleHeight);
        FSearchPanel->setGeometry(0, kTitleHeight, Width, kSearchHeight);
        FEdit->setGeometry(kGridOffset, 1, Width - 2 * kGridOffset, kSearchHeight - 2);
        const int GridTop = kTitleHeight + kSearchHeight;
        const int GridHeight = std::max(0, Height - GridTop - kSizerHeight);
        FGridPanel->setGeometry(0, GridTop, Width, GridHeight);
        FGrid->setGeometry(kGridOffset, 0, Width - 2 * kGridOffset, GridHeight);
        FSizer->setGeometry(0, Height - kSizerHeight, Width, kSizerHeight);
        break;
    }
    default: break;
    }
    const bool Handled = TCustomForm::event(Event);
    if (FCloseWanted && FBusy == 0 && !FClosed) CloseLater();
    return Handled;
}

bool TfrmCustomCombo::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == FEdit) {
        // Keys reach the edit here when no preview of the form saw them first.
        if (Event->type() != QEvent::KeyPress) return TCustomForm::eventFilter(Watched, Event);
        auto* Press = static_cast<QKeyEvent*>(Event);
        int Key = Press->key();
        KeyDownHandler(Key);
        return Key == 0;
    }
    const bool Sizing = Watched == FSizer;
    switch (Event->type()) {
    case QEvent::MouseButtonPress: {
        auto* Mouse = static_cast<QMouseEvent*>(Event);
        if (Mouse->button() != Qt::LeftButton) break;
        FDrag = Sizing ? TDrag::dSize : TDrag::dMove;
        FDragStart = Mouse->globalPosition().toPoint() - (Sizing ? QPoint(0, height()) : pos());
        return true;
    }
    case QEvent::MouseMove: {
        if (FDrag == TDrag::dNone) break;
        const QPoint At = static_cast<QMouseEvent*>(Event)->globalPosition().toPoint() - FDragStart;
        if (FDrag == TDrag::dSize) SetComboHeight(At.y());
        else move(At);
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (FDrag == TDrag::dNone) break;
        FDrag = TDrag::dNone;
        return true;
    default: break;
    }
    return TCustomForm::eventFilter(Watched, Event);
}

bool ShowSearchCombo(TVexDBDivisao& Division, QWidget& Control, TField& Field, bool SendEnterOnApply,
                     Qt::KeyboardModifiers Shift) {
    dataaccess::TVexHost* Host = dataaccess::Host();
    if (!Host) return false;
    const TConfigCampos& Config = Division.Campos().Config();
    const TConfigCampo* Item = Config.FindByField(&Field);
    if (!Item) return false;
    QString ResultField;
    QStringList AddResultFields;
    if (Item->Is(tfJoin)) {
        ResultField = Item->JoinField().ResultField();
        AddResultFields = Item->JoinField().AddResultFields;
        Item = Config.FindByField(Item->JoinField().SearchField());
    }
    if (!Item || !Item->Is(tfSearch) || !Item->Field() || Item->SearchField().Divisao().trimmed().isEmpty() ||
        Item->SearchField().FieldName().isEmpty())
        return false;
    const QString Divisao = Item->SearchField().Divisao();
    auto* Provider = dynamic_cast<dataaccess::IDivisionProvider*>(Host->FindModule(Divisao));
    if (!Provider) return false;

    std::unique_ptr<TfrmCustomCombo> Combo(new TfrmCustomCombo(MainForm()));
    Combo->FField = Item->Field();
    Combo->FKeyFieldName = Item->SearchField().FieldName();
    Combo->FSettings = std::make_unique<dataaccess::TVexDBIni>("rlc" + Divisao, nullptr, dataaccess::CurrentUserId());
    auto* Referenced = qobject_cast<TVexDBDivisao*>(Provider->ProvideDivision(Combo.get()));
    if (!Referenced || !Referenced->GetDataSet()) return false;
    TVexDBDivisao& R = *Referenced;
    Combo->FTitle = R.Master() ? R.BaseCaption() : R.Caption();
    Combo->FOpenByDefaultItem->SetChecked(R.ComboModoAbertoComoPadrao);
    Combo->FGridSection = kGridSection.arg(R.objectName(), "Grade");

    if (!Combo->AddField(R, Combo->FKeyFieldName, ResultField.isEmpty(), false)) return false;
    if (!ResultField.isEmpty()) Combo->AddField(R, ResultField, true, false);
    for (const QString& Name : AddResultFields) Combo->AddField(R, Name, true, true);
    for (const QString& Name : NumberedFields(R, Combo.get())) Combo->AddField(R, Name, true, true);
    if (auto* Grid = qobject_cast<TCustomDBGrid*>(R.Grid()))
        for (int I = 0; I < Grid->Columns().Count(); ++I)
            if (R.GetDataSet()->FindField(Grid->Columns()[I]->FieldName())) Combo->AddField(R, Grid->Columns()[I]->FieldName(), false, true);
    Combo->SortVisibleFieldEntries();

    if (TField* Ativo = R.GetDataSet()->FindField("Ativo"))
        Combo->FAtivoOrigin = Ativo->Origin().isEmpty() ? Ativo->FieldName() : Ativo->Origin();
    Combo->FMasterCondition = dataaccess::ReplaceFieldTokens(Division.MasterFilterCondition(*Item), R.GetDataSet());
    const int TotalWidth = Combo->VisibleWidth();
    if (TotalWidth == 0) return false;

    QPoint At = Control.mapToGlobal(QPoint(-2, Control.height() - 2));
    if (auto* Grid = qobject_cast<TCustomDBGrid*>(&Control); Grid && Grid->DataSet()) {
        const QRect Cell = Grid->CellRect(Grid->SelectedIndex(), Grid->DataSet()->ActiveDisplayIndex());
        if (!Cell.isEmpty()) At = Grid->mapToGlobal(QPoint(Cell.left(), WinBottom(Cell)));
    }
    Combo->SetCaption(Combo->FTitle);
    Combo->FTitleLabel->setText(Combo->FTitle);
    Combo->FCommandText = WithSelectList(R.BaseCommandText(), Combo->SelectList());
    Combo->FControl = &Control;
    Combo->FSendEnterOnApply = SendEnterOnApply;
    dataaccess::AssignConnection(Combo->FDataSet, R.Connection());

    const int TitleWidth = std::max(100, Combo->FTitleLabel->fontMetrics().horizontalAdvance(Combo->FTitle) +
                                             2 * kButtonWidth + 10);
    const int W = std::max(TotalWidth, TitleWidth);
    const int DesktopWidth = QGuiApplication::primaryScreen()->geometry().width();
    const int Left = At.x() + W > DesktopWidth ? DesktopWidth - W : At.x();
    const int ScrollBar = Combo->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    Combo->setGeometry(Left, At.y() + 4, ScrollBar + W + 2 * kGridOffset + 8, kTitleHeight + kSearchHeight);

    TfrmCustomCombo* Shown = Combo.release();
    // A failure while opening frees the combo and reaches the caller.
    try {
        Shown->Execute(!(Shift & Qt::ControlModifier));
    } catch (...) {
        delete Shown;
        throw;
    }
    return true;
}

void ForwardToSearchEdit(const QKeyEvent& Key) {
    if (TfrmCustomCombo* Combo = TfrmCustomCombo::Current())
        QCoreApplication::postEvent(Combo->edtIdentidade(),
                                    new QKeyEvent(QEvent::KeyPress, Key.key(), Key.modifiers(), Key.text()));
}

bool IsSearchChar(QChar Ch) {
    // In the order the users know them; the acute accent is listed twice.
    static const QString kSearchChars = QString::fromUtf8(
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
        "àâêôûãõáéíóúçüÀÂÊÔÛÃÕÁÉÍÓÚÇÜ0123456789"
        "´'\"!@#$%¨&*()-_=+´`[]{}~^<>,.:;/?\\|ªº°¹²³£¢§");
    return kSearchChars.contains(Ch);
}

}  // namespace databound
