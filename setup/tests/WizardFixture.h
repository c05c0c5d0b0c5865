#pragma once
// The real wizard form on a temporary emulated prefix, driven by keys and
// clicks, every message dialog answered by the test instead of a person.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "controls/VexMessage.h"
#include "installlib/InstaladorDefs.h"
#include "installlib/InstaladorLib.h"
#include "installlib/tests/TempPrefix.h"
#include "platform/os/Shell.h"
#include "platform/os/WinEnv.h"
#include "setup/NVOCCPackage.h"
#include "setup/Principal.h"

class PrincipalTest : public TempPrefixTest {
protected:
    using TMessageDialogCall = controls::TMessageDialogCall;

    void SetUp() override {
        TempPrefixTest::SetUp();
        FSaved = controls::SetMessageDialogResponder([this](const TMessageDialogCall& Call) {
            Calls.push_back(Call);
            return Answer ? Answer(Call) : 1;
        });
    }
    void TearDown() override {
        FForm.reset();
        controls::SetMessageDialogResponder(FSaved);
        installlib::SetFolderBrowser(nullptr);
        setup::SetPackageFile("");
        TempPrefixTest::TearDown();
    }

    // Creates and shows the wizard and lets its start-up work run.
    setup::TfrmPrincipal& Start() {
        FForm = std::make_unique<setup::TfrmPrincipal>();
        platform::ui::SetMainForm(FForm.get());
        FForm->Show();
        for (int Pass = 0; Pass < 5; ++Pass) QApplication::processEvents();
        return *FForm;
    }

    // Enter on every page, as most people install, ending without starting
    // the application; an empty package file means the built-in package.
    void InstallThroughTheWizard(const std::string& PackageFile = "") {
        setup::SetPackageFile(PackageFile);
        setup::TfrmPrincipal& Form = Start();
        for (int Page = 0; Page < 3 && Form.CurrentPage() != Form.tshConcluido; ++Page) PressEnter();
        ASSERT_EQ(Form.CurrentPage(), Form.tshConcluido);
        Form.chkIniciar->SetChecked(false);
        Form.btnAvancar->Click();
        FForm.reset();
    }

    void Press(int Key) {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : FForm.get(),
                        static_cast<Qt::Key>(Key));
        QApplication::processEvents();
    }
    void PressEnter() { Press(Qt::Key_Return); }

    QStringList Review() const { return FForm->mmoConferir->toPlainText().split(u'\n'); }
    int CallsWith(int Id) const {
        const QString Text = QString::fromStdString(installlib::LoadResString(Id));
        return static_cast<int>(std::count_if(Calls.begin(), Calls.end(), [&](const TMessageDialogCall& Call) {
            return Call.Msg == Text;
        }));
    }
    std::string ShellLog() const {
        std::ifstream Stream(platform::os::ShellLogPath(), std::ios::binary);
        std::stringstream Text;
        Text << Stream.rdbuf();
        return Text.str();
    }

    std::vector<TMessageDialogCall> Calls;
    std::function<int(const TMessageDialogCall&)> Answer;
    std::unique_ptr<setup::TfrmPrincipal> FForm;

private:
    controls::TMessageDialogResponder FSaved;
};
