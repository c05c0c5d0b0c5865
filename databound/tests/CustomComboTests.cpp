#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QString>
#include <QStyle>
#include <QTest>
#include <gtest/gtest.h>

#include "LookupScreens.h"
#include "controls/tests/RecordedDialogs.h"
#include "databound/CustomCombo.h"
#include "databound/MatchHighlight.h"
#include "databound/VexDBGrid.h"
#include "databound/VexDivisao.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/data/Provider.h"
#include "platform/os/Exceptions.h"
#include "platform/ui/Menus.h"

using namespace databound;
using namespace platform::data;
using namespace platform::ui;
using databound::testing::TPessoaModule;

namespace {

TEST(SearchChars, LettersDigitsAndSignsStartASearchButBlanksAndControlsDoNot) {
    const QString Starting = QString::fromUtf8("aZçÇüÜ09'\"%*_[]\\|ª°³£¢§´¨");
    for (QChar Ch : Starting) {
        SCOPED_TRACE(QString(Ch).toStdString());
        EXPECT_TRUE(IsSearchChar(Ch));
    }
    const QString NotStarting = QString::fromUtf8(" \t\r\n\x1b\x7fñÑèÈìÿ¿¡«»©®µ·÷×");
    for (QChar Ch : NotStarting) {
        SCOPED_TRACE(int(Ch.unicode()));
        EXPECT_FALSE(IsSearchChar(Ch));
    }
}

TEST(SearchChars, ExactlyTheListedLatin1CharactersStartASearch) {
    int Count = 0;
    for (int Code = 0; Code < 256; ++Code) Count += IsSearchChar(QChar(Code)) ? 1 : 0;
    // 134 listed, the acute accent twice.
    EXPECT_EQ(Count, 133);
    EXPECT_FALSE(IsSearchChar(QChar(0x2019)));
}

// A control showing the freight's person that opens the combo on Down, as the data label does.
class TLookupControl : public TCustomControl {
public:
    TLookupControl(QWidget* Parent, TVexDBDivisao& Division, TField& Field)
        : TCustomControl(Parent), FDivision(Division), FField(Field) {
        setFocusPolicy(Qt::StrongFocus);
        SetMessageHandler(WM_COMBOALLOWAPPLY, [this](TMessage& Message) {
            auto& Options = *reinterpret_cast<TAllowApplyOptions*>(Message.WParam);
            if (OnAllowApply) OnAllowApply(Options);
            Applied.push_back(Options);
        });
        SetMessageHandler(WM_COMBOCURRENTVALUE, [this](TMessage& Message) {
            CurrentValues.push_back(*reinterpret_cast<QVariant*>(Message.WParam));
        });
    }
    std::vector<TAllowApplyOptions> Applied;
    std::function<void(TAllowApplyOptions&)> OnAllowApply;
    QVariantList CurrentValues;
    int Enters = 0;
    bool Shown = false;

protected:
    void KeyDown(int& Key, Qt::KeyboardModifiers Shift) override {
        if (Key == Qt::Key_Down) Shown = ShowSearchCombo(FDivision, *this, FField, true, Shift);
        if (Key == Qt::Key_Return) ++Enters;
        Key = 0;
    }

private:
    TVexDBDivisao& FDivision;
    TField& FField;
};

// The people of the freight screen, and one inactive person after them.
const QStringList kPeople = {"Ana Silva",        "Ana Souza",          "Silvana Costa",     "Bruno Silveira",
                             "Mariana Silveira", "Ana D'Ávila",        "50% Frete_Ltda [x]", "500 FreteXLtda x"};

class SearchComboTest : public databound::testing::FreightLookupFixture {
protected:
    SearchComboTest() : FreightLookupFixture(kPeople) {}
    void SetUp() override {
        FreightLookupFixture::SetUp();
        if (IsSkipped()) return;
        Conn->Execute("Insert Into Pessoa Values (9, 'Ana Inativa', 'Rio', 'C9', 0)");
        Freight.Divisao->Campos().Config().FindByField(Field("NomePessoa"))->JoinField().AddResultFields = {"Cidade"};
        Screen.resize(400, 300);
        Screen.show();
        Control = new TLookupControl(&Screen, *Freight.Divisao, *Field("NomePessoa"));
        Control->SetBounds(20, 20, 200, 21);
        Control->show();
    }

    TField* Field(const char* Name) const { return Freight.Client->FieldByName(Name); }
    TfrmCustomCombo* Open(Qt::KeyboardModifiers Shift = Qt::NoModifier) {
        Control->setFocus();
        QTest::keyClick(Control, Qt::Key_Down, Shift);
        return TfrmCustomCombo::Current();
    }
    // Typed key by key, accented letters included.
    void Type(const QString& Text) {
        for (const QChar Ch : Text)
            QTest::sendKeyEvent(QTest::Click, TfrmCustomCombo::Current()->edtIdentidade(), Qt::Key_unknown, Ch,
                                Qt::NoModifier);
    }
    void Press(Qt::Key Key) { QTest::keyClick(TfrmCustomCombo::Current()->edtIdentidade(), Key); }
    // Waits for the combo to go away.
    bool Closed() {
        return QTest::qWaitFor([] { return TfrmCustomCombo::Current() == nullptr; });
    }
    static QStringList Names(TDataSet& DataSet) {
        QStringList Out;
        if (DataSet.IsEmpty()) return Out;
        const TBookmark Mark = DataSet.GetBookmark();
        for (DataSet.First(); !DataSet.Eof(); DataSet.Next()) Out << DataSet.FieldByName("Nome")->AsString();
        DataSet.GotoBookmark(Mark);
        return Out;
    }
    // The names the combo lists for Words, filtered as typed (opened) and selected by Enter (closed).
    std::pair<QStringList, QStringList> Search(const QString& Words) {
        TfrmCustomCombo* Combo = Open();
        Type(Words);
        const QStringList Typed = Names(*Combo->dstCombo());
        Press(Qt::Key_Escape);
        EXPECT_TRUE(Closed());
        Combo = Open(Qt::ControlModifier);
        EXPECT_FALSE(Combo->Opened());
        Type(Words);
        Press(Qt::Key_Return);
        const QStringList Selected = Combo->dstCombo()->Active() ? Names(*Combo->dstCombo()) : QStringList();
        Press(Qt::Key_Escape);
        EXPECT_TRUE(Closed());
        return {Typed, Selected};
    }
    int SettingsRows() {
        return Scalar("Select Count(*) From sys_Persistencia Where IdPersistencia = 'rlcPessoa'").toInt();
    }

    TCustomForm Screen;
    TLookupControl* Control = nullptr;
};

TEST_P(SearchComboTest, TwoWordsSelectTheNamesHoldingBothAndAnAsteriskMatchesTheStart) {
    const QStringList Both{"Ana Silva", "Mariana Silveira", "Silvana Costa"};
    auto [Typed, Selected] = Search("ana sil");
    EXPECT_EQ(Typed, Both);
    EXPECT_EQ(Selected, Both);
    std::tie(Typed, Selected) = Search("sil*");
    EXPECT_EQ(Typed, QStringList({"Silvana Costa"}));
    // One row is applied at once; the names begin with the word whatever the option.
    EXPECT_EQ(Field("IdPessoa")->AsInteger(), 3);
    TfrmCustomCombo* Combo = Open();
    Combo->pumOpcoes()->Items()->Items(0)->Click();
    ASSERT_FALSE(Combo->FromWordStart());
    Type("bru*");
    EXPECT_EQ(Names(*Combo->dstCombo()), QStringList({"Bruno Silveira"}));
}

TEST_P(SearchComboTest, WordsWithQuotesAndWildcardSignsFindTheRowsHoldingThem) {
    struct TCase {
        const char* Words;
        QStringList Names;
    } const Cases[] = {
        {"d'ávila", {"Ana D'Ávila"}},
        {"50%", {"50% Frete_Ltda [x]"}},
        {"frete_ltda", {"50% Frete_Ltda [x]"}},
        {"[x]", {"50% Frete_Ltda [x]"}},
        {"x]", {"50% Frete_Ltda [x]"}},
        {"' or 1=1 --", {}},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Words);
        const auto [Typed, Selected] = Search(QString::fromUtf8(Case.Words));
        // The client filter has no literal form for % and _: it may list more, never less.
        for (const QString& Name : Case.Names) EXPECT_TRUE(Typed.contains(Name));
        EXPECT_EQ(Selected, Case.Names);
    }
}

TEST_P(SearchComboTest, ASingleRowIsAppliedWithoutShowingTheGridAndEnterFollows) {
    TfrmCustomCombo* Combo = Open(Qt::ControlModifier);
    ASSERT_TRUE(Control->Shown);
    Type("bruno");
    Press(Qt::Key_Return);
    EXPECT_FALSE(Combo->grdCombo()->isVisible());
    ASSERT_TRUE(Closed());
    EXPECT_EQ(Field("IdPessoa")->AsInteger(), 4);
    ASSERT_EQ(Control->Applied.size(), 1u);
    EXPECT_EQ(Control->Applied[0].Value.toInt(), 4);
    EXPECT_EQ(Control->Applied[0].Text, "bruno");
    EXPECT_TRUE(QTest::qWaitFor([this] { return Control->Enters == 1; }));
}

TEST_P(SearchComboTest, TheControlMayKeepTheComboOpenAndWithoutEnter) {
    Control->OnAllowApply = [](TAllowApplyOptions& Options) {
        Options.CloseCombo = false;
        Options.SendEnter = false;
        Options.Value = 8;
    };
    TfrmCustomCombo* Combo = Open();
    Type("silveira");
    EXPECT_EQ(Names(*Combo->dstCombo()), QStringList({"Bruno Silveira", "Mariana Silveira"}));
    // Down in the search edit moves the grid; Enter applies the row the control chose.
    Press(Qt::Key_Down);
    EXPECT_EQ(Combo->dstCombo()->FieldByName("Nome")->AsString(), "Mariana Silveira");
    Press(Qt::Key_Return);
    EXPECT_EQ(Control->Applied.back().Value, QVariant(8));
    EXPECT_EQ(Field("IdPessoa")->AsInteger(), 8);
    ProcessMessages();
    EXPECT_EQ(TfrmCustomCombo::Current(), Combo);
    EXPECT_EQ(Control->Enters, 0);
}

TEST_P(SearchComboTest, TheGridStartsOnTheFieldsCurrentKey) {
    Freight.Client->First();
    TfrmCustomCombo* Combo = Open();
    ASSERT_EQ(Control->CurrentValues.size(), 1u);
    EXPECT_EQ(Control->CurrentValues[0].toInt(), 2);
    EXPECT_EQ(Combo->dstCombo()->FieldByName("Nome")->AsString(), "Ana Souza");
}

TEST_P(SearchComboTest, NothingFoundIsToldWithTheLowerCaseTitleAndKeepsTheComboOpen) {
    TRecordedDialogs Dialogs;
    Open(Qt::ControlModifier);
    Type("  zzz ");
    Press(Qt::Key_Return);
    ASSERT_EQ(Dialogs.Calls.size(), 0u);  // the rows of the first Enter are shown, none yet applied
    Press(Qt::Key_Return);
    ASSERT_EQ(Dialogs.Calls.size(), 1u);
    EXPECT_EQ(Dialogs.Calls[0].Msg, "Não foi encontrado nenhum registro para pessoas igual a 'zzz'.");
    EXPECT_EQ(Dialogs.Calls[0].Kind, controls::dkInformation);
    EXPECT_NE(TfrmCustomCombo::Current(), nullptr);
    EXPECT_EQ(Control->Enters, 0);
}

TEST_P(SearchComboTest, RowsThatAreNotActiveAreNeverOffered) {
    TfrmCustomCombo* Combo = Open();
    EXPECT_EQ(Combo->AtivoOrigin(), "Pessoa.Ativo");
    EXPECT_FALSE(Names(*Combo->dstCombo()).contains("Ana Inativa"));
    EXPECT_EQ(Combo->dstCombo()->RecordCount(), 8);
    Press(Qt::Key_Escape);
    ASSERT_TRUE(Closed());
    EXPECT_TRUE(Search("inativa").second.isEmpty());
}

TEST_P(SearchComboTest, CtrlOpensInTheModeOppositeToTheStoredDefault) {
    struct TCase {
        bool OpenByDefault;
        Qt::KeyboardModifiers Shift;
        bool Opened;
    } const Cases[] = {{true, Qt::NoModifier, true},
                       {true, Qt::ControlModifier, false},
                       {false, Qt::NoModifier, false},
                       {false, Qt::ControlModifier, true}};
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(::testing::Message() << Case.OpenByDefault << " " << int(Case.Shift));
        Module.OpenByDefault = Case.OpenByDefault;
        Conn->Execute("Delete From sys_Persistencia");
        TfrmCustomCombo* Combo = Open(Case.Shift);
        ASSERT_NE(Combo, nullptr);
        EXPECT_EQ(Combo->Opened(), Case.Opened);
        EXPECT_EQ(Combo->grdCombo()->isVisible(), Case.Opened);
        EXPECT_EQ(Combo->dstCombo()->Active(), Case.Opened);
        Press(Qt::Key_Escape);
        ASSERT_TRUE(Closed());
    }
}

TEST_P(SearchComboTest, AnUntickedVisibleFieldIsLeftOutOfTheNextSelectOncePerUser) {
    for (const int User : {7, 0}) {
        SCOPED_TRACE(User);
        Host->Login("user", User, 1);
        Conn->Execute("Delete From sys_Persistencia");
        TfrmCustomCombo* Combo = Open();
        EXPECT_TRUE(Combo->CommandText().contains("Pessoa.Cidade as Cidade")) << Combo->CommandText().toStdString();
        TMenuItem* Fields = Combo->pumOpcoes()->Items()->Items(4);
        ASSERT_EQ(Fields->Caption(), kComboVisibleFields);
        ASSERT_EQ(Fields->Count(), 2);
        EXPECT_EQ(Fields->Items(0)->Caption(), "Cidade");
        EXPECT_EQ(Fields->Items(1)->Caption(), "Codigo");
        // An added result field and a numbered field start ticked.
        EXPECT_TRUE(Fields->Items(0)->Checked());
        EXPECT_TRUE(Fields->Items(1)->Checked());
        EXPECT_TRUE(Combo->CommandText().contains("Pessoa.Codigo as Codigo"));
        Fields->Items(0)->Click();
        Press(Qt::Key_Escape);
        ASSERT_TRUE(Closed());
        Combo = Open();
        EXPECT_FALSE(Combo->CommandText().contains("Cidade")) << Combo->CommandText().toStdString();
        EXPECT_TRUE(Combo->CommandText().contains("Pessoa.Codigo as Codigo"));
        EXPECT_FALSE(Combo->pumOpcoes()->Items()->Items(4)->Items(0)->Checked());
        EXPECT_EQ(Combo->dstCombo()->FindField("Cidade"), nullptr);
        Press(Qt::Key_Escape);
        ASSERT_TRUE(Closed());
        EXPECT_EQ(SettingsRows(), 1);
    }
}

TEST_P(SearchComboTest, TheComboStandsUnderTheControlWithinTheDesktop) {
    const int Desktop = QGuiApplication::primaryScreen()->geometry().width();
    for (const bool NearTheRightEdge : {false, true}) {
        SCOPED_TRACE(NearTheRightEdge);
        Screen.move(NearTheRightEdge ? Desktop - 150 : 40, 60);
        QTest::qWait(0);
        TfrmCustomCombo* Combo = Open();
        ASSERT_NE(Combo, nullptr);
        // Nome (150 + 1), Cidade (90 + 1) and the numbered Codigo (60 + 1) are shown; the title is narrower.
        const int W = 303;
        const int ScrollBar = Combo->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        EXPECT_EQ(Combo->width(), ScrollBar + W + 2 * 2 + 8);
        const QPoint Under = Control->mapToGlobal(QPoint(-2, Control->height() - 2));
        EXPECT_EQ(Combo->y(), Under.y() + 4);
        EXPECT_EQ(Combo->x(), NearTheRightEdge ? Desktop - W : Under.x());
        // The sizer never takes the height to 88 pixels or less.
        QWidget* Sizer = Combo->pnlSizer();
        const QPoint Start = Sizer->mapToGlobal(QPoint(5, 2));
        QMouseEvent PressEvent(QEvent::MouseButtonPress, QPointF(5, 2), QPointF(Start), Qt::LeftButton,
                               Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Sizer, &PressEvent);
        for (const int Up : {100, 400}) {
            const QPoint To = Start - QPoint(0, Up);
            QMouseEvent Move(QEvent::MouseMove, QPointF(Sizer->mapFromGlobal(To)), QPointF(To), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(Sizer, &Move);
        }
        EXPECT_EQ(Combo->height(), 89);
        Press(Qt::Key_Escape);
        ASSERT_TRUE(Closed());
    }
}

TEST_P(SearchComboTest, MatchedWordsAreUnderlinedInBlue) {
    TfrmCustomCombo* Combo = Open();
    Type("ana sil");
    Combo->grdCombo()->SetFocus();
    const QImage Picture = Combo->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect Second = Combo->grdCombo()->CellRect(0, 1).translated(Combo->grdCombo()->mapTo(Combo, QPoint()));
    int Blue = 0;
    for (int Y = Second.top(); Y <= Second.bottom(); ++Y)
        for (int X = Second.left(); X <= Second.right(); ++X) Blue += Picture.pixelColor(X, Y) == kMatchColor;
    EXPECT_GT(Blue, 20);
    // With VEX_SEARCH_COMBO_OUT set the picture is written there (docs/search-combo.png is made this way).
    if (const QString Out = qEnvironmentVariable("VEX_SEARCH_COMBO_OUT"); !Out.isEmpty()) Picture.save(Out);
}

TEST_P(SearchComboTest, AFieldWithoutAUsableLookupLeavesTheKeyToTheCaller) {
    TField& Own = *Field("IdFrete");
    EXPECT_FALSE(ShowSearchCombo(*Freight.Divisao, *Control, Own, true, Qt::NoModifier));
    QObject Plain;
    Plain.setObjectName("Pessoa");
    Host->AddModule(&Plain);
    Module.setObjectName("Outro");
    EXPECT_FALSE(Open());
    EXPECT_FALSE(Control->Shown);
}

TEST_P(SearchComboTest, ADatabaseErrorWhileOpeningReachesTheCallerAndFreesTheCombo) {
    TPessoaModule Missing("Inexistente");
    Module.setObjectName("Outro");
    Host->AddModule(&Missing);
    EXPECT_THROW(ShowSearchCombo(*Freight.Divisao, *Control, *Field("NomePessoa"), true,
                                 Qt::NoModifier),
                 platform::os::Exception);
    EXPECT_EQ(TfrmCustomCombo::Current(), nullptr);
}

VEX_INSTANTIATE_ENGINE_SUITE(SearchComboTest);

}  // namespace
