// The test host answers what the library asks of a hosting application.
#include <QLineEdit>
#include <gtest/gtest.h>

#include "controls/VexFocus.h"
#include "dataaccess/VexSession.h"
#include "dataaccess/testhost/TestHost.h"
#include "platform/data/ADODB.h"
#include "platform/ui/Forms.h"

using namespace dataaccess;
using namespace dataaccess::testing;
using namespace platform::ui;

TEST(TestHostTest, RunsOnAnEmbeddedDatabaseWithTheFrameworkSchema) {
    TTestHost Host;
    ASSERT_EQ(dataaccess::Host(), &Host);
    EXPECT_GT(Host.DefaultConnection()->TableFieldDefs("sys_Usuario").Count(), 0);
    Host.Login("ana", 7, 2);
    EXPECT_EQ(CurrentUserId(), 7);
    EXPECT_EQ(CurrentCompanyId(), 2);
}

TEST(TestHostTest, FindsLoadedModulesByNameIgnoringCaseWhileTheyExist) {
    TTestHost Host;
    QObject Cadastro;
    Cadastro.setObjectName(QString::fromUtf8("MóduloCadastro"));
    auto* Gone = new QObject;
    Gone->setObjectName("Relatorios");
    Host.AddModule(&Cadastro);
    Host.AddModule(Gone);
    EXPECT_EQ(Host.FindModule(QString::fromUtf8("MÓDULOCADASTRO")), &Cadastro);
    delete Gone;
    EXPECT_EQ(Host.FindModule("relatorios"), nullptr);
    EXPECT_EQ(Host.Modules(), QList<QObject*>({&Cadastro}));
}

TEST(TestHostTest, TheMainWindowAnswersTheFocusAndSearchRequests) {
    TTestHost Host;
    TCustomForm Form;
    auto* Edit = new QLineEdit(&Form);
    controls::RequestFocus(Edit);
    ProcessMessages();
    EXPECT_EQ(Form.ActiveControl(), Edit);

    EXPECT_EQ(SendMessage(Host.MainWindow(), WM_SEARCHREQUEST, 0, 0), 0);  // no row chosen
    ASSERT_EQ(Host.Window().Received().size(), 2u);
    EXPECT_EQ(Host.Window().Received()[0].Msg, controls::WM_FOCUSCONTROL);
}
