// The framework's tables and types on every engine.
#include <gtest/gtest.h>

#include <QFile>

#include "EngineTest.h"
#include "dataaccess/VexSchema.h"

using namespace dataaccess;
using namespace platform::data;
using namespace platform::data::testing;

namespace {
using SchemaTest = EngineTest;
VEX_INSTANTIATE_ENGINE_SUITE(SchemaTest);
}  // namespace

TEST_P(SchemaTest, CreatesWhatIsMissingOnceAndKeepsTheData) {
    EXPECT_GE(CreateSchema(*Conn), SchemaTables().size());
    for (const QString& Table : SchemaTables()) {
        SCOPED_TRACE(Table.toStdString());
        EXPECT_GT(Conn->TableFieldDefs(Table).Count(), 0);
    }
    TParameters Ativo;
    Ativo.CreateParameter("Ativo", ftBoolean, true);
    Conn->Execute("Insert Into sys_Usuario (IdUsuario, Nome, Ativo) Values (1, 'ana', :Ativo)", &Ativo);
    EXPECT_EQ(CreateSchema(*Conn), 0);
    EXPECT_EQ(Scalar("Select Nome From sys_Usuario Where IdUsuario = 1").toString(), "ana");
    const TFieldDefs Numeracao = Conn->TableFieldDefs("sys_Numeracao");
    ASSERT_EQ(Numeracao.Count(), 7);
    EXPECT_EQ(Numeracao[2].Name, "Chave");
    EXPECT_EQ(Numeracao[2].Size, 50);
    // The numbering batches declare variables of the user-defined types.
    QStringList Columns;
    for (const QString& Type : SchemaTypes()) Columns << QString("C%1 %2").arg(Columns.size()).arg(Type);
    Conn->Execute("Create Table Usa_Tipos (" + Columns.join(", ") + ")");
}

TEST(EmbeddedDatabaseTest, ANewFileGetsTheSchemaAndAnExistingOneKeepsItsRows) {
    const QString File = QString::fromStdString(::testing::TempDir()) + "vex_embedded.db";
    QFile::remove(File);
    {
        auto Connection = OpenEmbeddedDatabase(File);
        Connection->Execute("Insert Into sys_Papel (IdPapel, Nome) Values (1, 'Administradores')");
    }
    auto Connection = OpenEmbeddedDatabase(File);
    EXPECT_EQ(Connection->SelectRow("Select Nome From sys_Papel").value(0).toString(), "Administradores");
    Connection.reset();
    QFile::remove(File);
}
