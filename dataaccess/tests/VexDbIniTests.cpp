// Settings kept in the database, on every engine: what runs when, one row per
// key and user, the blob format and the reset with Ctrl+Shift.
#include <gtest/gtest.h>
#include <zlib.h>

#include <QApplication>

#include "EngineTest.h"
#include "controls/VexMessageEx.h"
#include "controls/tests/RecordedDialogs.h"
#include "dataaccess/VexDbIni.h"
#include "dataaccess/VexSchema.h"
#include "dataaccess/testhost/TestHost.h"
#include "platform/ui/Forms.h"
#include "platform/ui/KeyState.h"

using namespace dataaccess;
using namespace platform::data;
using namespace platform::data::testing;

namespace {

// The ini text a plain zlib inflate gives back.
QByteArray Inflate(const QByteArray& Blob) {
    QByteArray Out(64 * 1024, '\0');
    uLongf Size = static_cast<uLongf>(Out.size());
    const int Result = uncompress(reinterpret_cast<Bytef*>(Out.data()), &Size,
                                  reinterpret_cast<const Bytef*>(Blob.constData()), static_cast<uLong>(Blob.size()));
    EXPECT_EQ(Result, Z_OK);
    Out.resize(static_cast<qsizetype>(Size));
    return Out;
}

QByteArray Deflate(const QByteArray& Text) {
    QByteArray Out(static_cast<qsizetype>(compressBound(static_cast<uLong>(Text.size()))), '\0');
    uLongf Size = static_cast<uLongf>(Out.size());
    compress2(reinterpret_cast<Bytef*>(Out.data()), &Size, reinterpret_cast<const Bytef*>(Text.constData()),
              static_cast<uLong>(Text.size()), Z_BEST_COMPRESSION);
    Out.resize(static_cast<qsizetype>(Size));
    return Out;
}

class VexDbIniTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped()) return;
        CreateSchema(*Conn);
        Host = std::make_unique<dataaccess::testing::TTestHost>(Conn.get());
        Conn->OnWillExecute = [this](TADOConnection*, const QString& Sql) { Statements << Sql; };
    }
    void TearDown() override {
        Host.reset();
        EngineTest::TearDown();
    }

    // The rows stored under exactly this key, as "user|blob size".
    QStringList Rows(const QString& Key) {
        TADOQuery Q;
        Q.SetConnection(Conn.get());
        Q.SetSQL("Select IdUsuario, Dados From sys_Persistencia Where IdPersistencia = :Key");
        Q.Parameters().SetParamValues("Key", Key);
        Q.Open();
        QStringList Out;
        for (; !Q.Eof(); Q.Next())
            Out << (Q.Fields(0)->IsNull() ? QString("Null") : Q.Fields(0)->AsString()) + "|" +
                       QString::number(Q.Fields(1)->AsBytes().size());
        return Out;
    }
    QByteArray StoredBlob(const QString& Key) {
        TParameters P;
        P.CreateParameter("Key", ftString, Key);
        return Scalar("Select Dados From sys_Persistencia Where IdPersistencia = :Key", &P).toByteArray();
    }
    void Store(const QString& Key, const QVariant& IdUsuario, const QByteArray& Blob) {
        TParameters P;
        P.CreateParameter("Key", ftString, Key);
        P.CreateParameter("User", ftInteger, IdUsuario);
        P.CreateParameter("Blob", ftBlob, Blob);
        Conn->Execute("Insert Into sys_Persistencia (IdPersistencia, IdUsuario, Dados) Values (:Key, :User, :Blob)",
                      &P);
    }
    void Write(const QString& Key, int IdUsuario, const QString& Ident, int Value) {
        TVexDBIni Ini(Key, Conn.get(), IdUsuario);
        Ini.WriteInteger("Form", Ident, Value);
    }
    int Read(const QString& Key, int IdUsuario, const QString& Ident) {
        return TVexDBIni(Key, Conn.get(), IdUsuario).ReadInteger("Form", Ident, -1);
    }

    std::unique_ptr<dataaccess::testing::TTestHost> Host;
    QStringList Statements;
};

VEX_INSTANTIATE_ENGINE_SUITE(VexDbIniTest);

TEST_P(VexDbIniTest, CreatingAndReadingWithoutWritesRunsOnlyTheInitialSelect) {
    Write("Janela", 3, "Width", 500);
    Statements.clear();
    {
        TVexDBIni Ini("Janela", Conn.get(), 3);
        EXPECT_EQ(Ini.ReadInteger("Form", "Width", 0), 500);
        // Erasing and deleting change the content without marking it for saving.
        Ini.DeleteKey("Form", "Width");
        Ini.EraseSection("Form");
        EXPECT_FALSE(Ini.Modified());
    }
    ASSERT_EQ(Statements.size(), 1);
    EXPECT_TRUE(Statements[0].startsWith("Select Dados From sys_Persistencia"));
    EXPECT_EQ(Read("Janela", 3, "Width"), 500);
}

TEST_P(VexDbIniTest, TheFirstSaveInsertsAndLaterSavesUpdateTheSameRow) {
    // User 0 is no user: stored as Null and still found again.
    for (const int User : {7, 0}) {
        SCOPED_TRACE(User);
        const QString Key = QString("Tela%1").arg(User);
        Write(Key, User, "Width", 300);
        Write(Key, User, "Width", 400);
        {
            TVexDBIni Ini(Key, Conn.get(), User);
            EXPECT_EQ(Ini.ReadInteger("Form", "Width", 0), 400);
            Ini.WriteInteger("Form", "Height", 200);
            Ini.Save();
            EXPECT_FALSE(Ini.Modified());
        }
        EXPECT_EQ(Read(Key, User, "Height"), 200);
        const QStringList Stored = Rows(Key);
        ASSERT_EQ(Stored.size(), 1);
        EXPECT_EQ(Stored[0].section('|', 0, 0), User == 0 ? "Null" : QString::number(User));
    }
    // Another user's settings under the same key are a row of their own.
    Write("Tela7", 8, "Width", 900);
    EXPECT_EQ(Rows("Tela7").size(), 2);
    EXPECT_EQ(Read("Tela7", 7, "Width"), 400);
    EXPECT_EQ(Read("TELA7", 8, "Width"), 900);
    // Brackets inside a section name, as where a grid keeps its columns, come back as written.
    {
        TVexDBIni Ini("Grade", Conn.get(), 7);
        Ini.WriteInteger("Divisao[divClientes].Grade", "Coluna_Grade[Nome].Width", 120);
        Ini.Save();
    }
    const TVexDBIni Again("Grade", Conn.get(), 7);
    EXPECT_EQ(Again.ReadInteger("Divisao[divClientes].Grade", "Coluna_Grade[Nome].Width", 0), 120);
}

TEST_P(VexDbIniTest, KeysAreMatchedWholeIgnoringCaseNotAsPatterns) {
    const struct {
        QString Stored, Other;
    } Pairs[] = {{"AXB", "A_B"}, {"JanelaXMensagens", "Janela_Mensagens"}, {"Filtro100", "Filtro%"}};
    for (const auto& Pair : Pairs) {
        SCOPED_TRACE(Pair.Other.toStdString());
        Write(Pair.Stored, 1, "Width", 1);
        Write(Pair.Other, 1, "Width", 2);
        EXPECT_EQ(Read(Pair.Stored, 1, "Width"), 1);
        EXPECT_EQ(Read(Pair.Other.toLower(), 1, "Width"), 2);
        EXPECT_EQ(Rows(Pair.Stored).size(), 1);
        EXPECT_EQ(Rows(Pair.Other).size(), 1);
    }
}

TEST_P(VexDbIniTest, TheBlobIsOneBestCompressionZlibStreamOfTheIniTextInCodePage1252) {
    {
        TVexDBIni Ini("Janela", Conn.get(), 2);
        Ini.WriteInteger("Form", "Width", 500);
        Ini.WriteBool("Detalhes", "Visible", true);
        Ini.WriteString("Filtro", "Descrição", "Operação");
    }
    const QByteArray Blob = StoredBlob("Janela");
    ASSERT_GE(Blob.size(), 2);
    EXPECT_EQ(static_cast<unsigned char>(Blob[0]), 0x78);
    EXPECT_EQ(static_cast<unsigned char>(Blob[1]), 0xDA);
    EXPECT_EQ(QString::fromLatin1(Inflate(Blob)),
              QString::fromLatin1("[Form]\r\nWidth=500\r\n\r\n[Detalhes]\r\nVisible=1\r\n\r\n"
                                  "[Filtro]\r\nDescri\xE7\xE3o=Opera\xE7\xE3o\r\n\r\n"))
        << "a blank line after each section, Latin-1 letters as single bytes";
    EXPECT_EQ(TVexDBIni("Janela", Conn.get(), 2).ReadString("Filtro", "Descrição", ""), "Operação");
}

TEST_P(VexDbIniTest, ABlobOfNoTextGivesAnEmptyIni) {
    Store("Vazio", 4, Deflate(QByteArray()));
    Store("SemDados", 4, QByteArray());
    for (const char* Key : {"Vazio", "SemDados"}) {
        SCOPED_TRACE(Key);
        const TVexDBIni Ini(Key, Conn.get(), 4);
        EXPECT_TRUE(Ini.ReadSections().isEmpty());
        EXPECT_EQ(Ini.ReadInteger("Form", "Width", -1), -1);
    }
}

TEST_P(VexDbIniTest, CtrlShiftAtCreationAsksWhetherToResetTheKey) {
    for (const int Answer : {platform::ui::mrYes, platform::ui::mrNo}) {
        SCOPED_TRACE(Answer);
        const QString Key = QString("Tela%1").arg(Answer);
        Write(Key, 5, "Width", 640);
        TRecordedDialogs Dialogs;
        Dialogs.Answer = Answer;
        {
            const platform::ui::THeldKeys Held(Qt::ControlModifier | Qt::ShiftModifier);
            TVexDBIni Ini(Key, Conn.get(), 5);
            EXPECT_EQ(Ini.ReadInteger("Form", "Width", -1), Answer == platform::ui::mrYes ? -1 : 640);
        }
        ASSERT_EQ(Dialogs.Calls.size(), 1u);
        EXPECT_EQ(Dialogs.Calls[0].Msg, kConfirmSettingsReset);
        EXPECT_EQ(Dialogs.Calls[0].Kind, controls::dkConfirmation);
        EXPECT_EQ(Dialogs.Calls[0].Buttons, controls::ButtonSet({controls::dbYes, controls::dbNo}));
        EXPECT_EQ(Read(Key, 5, "Width"), Answer == platform::ui::mrYes ? -1 : 640);
        EXPECT_EQ(Rows(Key).size(), 1);
    }
    // One of the two keys alone asks nothing.
    TRecordedDialogs Dialogs;
    const platform::ui::THeldKeys Held(Qt::ShiftModifier);
    EXPECT_EQ(Read("Tela7", 5, "Width"), 640);
    EXPECT_TRUE(Dialogs.Calls.empty());
}

TEST_P(VexDbIniTest, AnExplicitSaveRaisesWhileTheSaveAtDestructionGoesToTheMessageBatch) {
    controls::TMessageQueue& Batch = controls::MessageQueue();
    Batch.BeginMessages();
    {
        TVexDBIni Ini("Janela", Conn.get(), 1);
        Ini.WriteInteger("Form", "Width", 10);
        Conn->Execute("Drop Table sys_Persistencia");
        EXPECT_THROW(Ini.Save(), EDatabaseError);
        EXPECT_TRUE(Ini.Modified());
    }
    ASSERT_EQ(Batch.Items().size(), 1u);
    EXPECT_EQ(Batch.Items()[0].Kind, controls::dkError);
    EXPECT_TRUE(Batch.Items()[0].Msg.contains("sys_persistencia", Qt::CaseInsensitive));
    TRecordedDialogs Dialogs;
    Batch.EndMessages(true);
    EXPECT_EQ(Dialogs.Calls.size(), 1u);
}

TEST_P(VexDbIniTest, TheMessageWindowRemembersItsSizePerUser) {
    Host->Login("ana", 5, 1);
    {
        controls::TfrmVexMessageEx Box;
        Box.show();
        Box.resize(600, 420);
        Box.actDetalhes->Execute();
        const int Total = Box.splMensagem->sizes().value(0) + Box.splMensagem->sizes().value(1);
        Box.splMensagem->setSizes({Total - 80, 80});
        ASSERT_EQ(Box.pnlDetalhes->height(), 80);
    }
    ASSERT_EQ(Rows(controls::kMessageWindowSettingsKey).size(), 1);
    {
        controls::TfrmVexMessageEx Box;
        Box.show();
        EXPECT_EQ(Box.size(), QSize(600, 420));
        EXPECT_TRUE(Box.pnlDetalhes->isVisible());
        EXPECT_TRUE(Box.actDetalhes->Checked());
        EXPECT_EQ(Box.pnlDetalhes->height(), 80);
    }
    // Another user starts from the designed size; without a default connection nothing is read or written.
    Host->Login("bia", 6, 1);
    const QSize Designed = controls::TfrmVexMessageEx().size();
    EXPECT_NE(Designed, QSize(600, 420));
    Host->SetDefaultConnection(nullptr);
    Statements.clear();
    EXPECT_EQ(controls::TfrmVexMessageEx().size(), Designed);
    EXPECT_TRUE(Statements.isEmpty());
}

TEST(VexDbIniWrite, ANameOrValueTheIniCannotHoldRaisesTheWriteErrorAndChangesNothing) {
    const dataaccess::testing::TTestHost Host;
    TVexDBIni Ini("Janela", nullptr, 0);
    const struct {
        const char *Section, *Ident, *Value;
    } Cases[] = {{"Form", "Nome", "a\r\n[Outra]\r\nx=1"}, {"Form", "No=me", "a"}};
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Value);
        try {
            Ini.WriteString(Case.Section, Case.Ident, Case.Value);
            ADD_FAILURE() << "no error";
        } catch (const controls::EDesktopError& E) {
            EXPECT_EQ(QString::fromStdString(E.what()),
                      QString("Ocorreu um erro na gravação dos dados de persistência (Section: %1; Ident: %2).")
                          .arg(Case.Section, Case.Ident));
            EXPECT_FALSE(E.Details().isEmpty());
        }
        EXPECT_FALSE(Ini.Modified());
        EXPECT_TRUE(Ini.ReadSections().isEmpty());
    }
}

}  // namespace
