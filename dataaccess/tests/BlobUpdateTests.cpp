// Binary columns written after a post: into the posted row only, by its key,
// and a write that reaches no row is an error.
#include <gtest/gtest.h>

#include "TableTest.h"
#include "dataaccess/VexSession.h"
#include "platform/os/Exceptions.h"
#include "platform/os/Streams.h"

using namespace dataaccess;
using namespace dataaccess::testing;
using namespace platform::data;

namespace {

// The picture itself is not a declared column: it travels only through the binary writes.
class TFotoTeste : public TClasseTabela {
    Q_OBJECT
public:
    using TClasseTabela::TClasseTabela;
    void GetTableName(QString& Name) override { Name = "Foto"; }
    void GetCaption(QString& Caption) override { Caption = "Foto"; }

protected:
    void DefineFields() override {
        AddFields({{0, faNenhuma, "IdFoto", true, false, ftInteger, 0, 0},
                   {1, faNenhuma, "Legenda", false, false, ftString, 40, 0}});
    }
};

class BlobUpdateTest : public TableTest {
protected:
    void SetUp() override {
        TableTest::SetUp();
        if (IsSkipped()) return;
        static const char* const kBinary[] = {"Blob", "Bytea", "VarBinary(Max)"};
        Conn->Execute(QString("Create Table Foto (IdFoto Integer Not Null Primary Key, Legenda VarChar(40), "
                              "Imagem %1)").arg(kBinary[GetParam()]));
        Foto.reset(CreateClasseTabela<TFotoTeste>());
        ASSERT_FALSE(Foto->Load({}, {}));
    }
    void TearDown() override {
        Foto.reset();
        TableTest::TearDown();
    }
    void Queue(const QByteArray& Bytes) {
        auto Stream = std::make_unique<platform::os::TMemoryStream>();
        Stream->Write(Bytes.constData(), Bytes.size());
        Foto->QueueBlobUpdate("Imagem", std::move(Stream));
    }
    void Insert(int Id) {
        Foto->DataSet()->Append();
        Foto->SetFieldValues({"IdFoto", "Legenda"}, {Id, "foto"});
    }
    // "Id|Imagem" per row, Imagem as text, by key.
    QStringList Stored() { return SelectRows("Select IdFoto, Imagem From Foto Order By IdFoto"); }

    std::unique_ptr<TFotoTeste> Foto;
};
VEX_INSTANTIATE_ENGINE_SUITE(BlobUpdateTest);

TEST_P(BlobUpdateTest, AQueuedValueGoesIntoThePostedRowOnlyAndIsDiscardedWhenAnotherInsertStarts) {
    Insert(1);
    Queue("abc");
    Foto->DataSet()->Post();
    EXPECT_TRUE(Foto->BlobUpdates().empty());

    Insert(2);
    Foto->DataSet()->Post();

    Queue("xyz");  // queued, then the row is left for a new one
    Insert(3);
    Foto->DataSet()->Post();
    EXPECT_EQ(Stored(), QStringList({"1|abc", "2|", "3|"}));
    EXPECT_EQ(TransactionDepth(), 0);
}

TEST_P(BlobUpdateTest, AWriteThatReachesNoRowFailsThePostWithTheBinaryColumnError) {
    Foto->SetManualApply(true);  // the row never reaches the server
    Insert(1);
    Queue("abc");
    EXPECT_THROW(Foto->DataSet()->Post(), platform::os::EAbort);
    EXPECT_TRUE(Stored().isEmpty());
    EXPECT_EQ(TransactionDepth(), 0);
    ASSERT_EQ(Dialogs.Calls.size(), 1u);
    EXPECT_EQ(Dialogs.Calls[0].Msg, "Ocorreu algum erro ao tentar gravar os dados de um campo binário.");
    EXPECT_EQ(Dialogs.Calls[0].Details, "Nenhum registro foi atualizado ao gravar o campo 'Imagem'.");
}

}  // namespace

#include "BlobUpdateTests.moc"
