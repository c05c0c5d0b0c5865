#pragma once
// What the tests of the data-aware controls share: a small table of people
// with its data source, a form to put controls on, and recorders of the
// errors reported and the questions asked (each answered as told).
#include <QApplication>
#include <QImage>
#include <QStringList>
#include <QTest>
#include <ostream>

#include "platform/data/DBClient.h"
#include "platform/data/tests/QStringPrinter.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Messages.h"


namespace testing_data {

// Nome (string 20, required), Cidade (string 20), Saldo (float, shown with
// two decimals), Ativo (Boolean), Tipo (integer, hidden), Obs (memo of
// several lines, hidden); rows Ana, Bia, Caio.
struct TPeople {
    platform::data::TClientDataSet Table;
    platform::data::TDataSource Source;
    explicit TPeople(int Extra = 0) {
        using namespace platform::data;
        Table.SetName("Pessoas");
        new TField(&Table, "Nome", ftString, 20);
        new TField(&Table, "Cidade", ftString, 20);
        auto* Saldo = new TField(&Table, "Saldo", ftFloat);
        Saldo->SetDisplayFormat("#,##0.00");
        new TField(&Table, "Ativo", ftBoolean);
        new TField(&Table, "Tipo", ftInteger);
        new TField(&Table, "Obs", ftMemo);
        Table.FieldByName("Tipo")->SetVisible(false);
        Table.FieldByName("Obs")->SetVisible(false);
        Table.FieldByName("Nome")->SetRequired(true);
        Table.CreateDataSet();
        Table.DisableControls();
        Table.AppendRecord({"Ana", "Recife", 10.5, true, 0, "Cliente desde 2019\r\nPrefere e-mail"});
        Table.AppendRecord({"Bia", "Natal", 20, false, 1, ""});
        Table.AppendRecord({"Caio", "Olinda", 30, true, 2, ""});
        for (int I = 0; I < Extra; ++I) Table.AppendRecord({QString("Pessoa %1").arg(I), "Recife", I, false, 0, ""});
        Table.First();
        Table.EnableControls();
        Source.SetDataSet(&Table);
    }
    QString Name() const { return Table.FieldByName("Nome")->AsString(); }
};

// Kinds of people for lookups: Id 0 Cliente, 1 Fornecedor, 2 Agente.
struct TKinds {
    platform::data::TClientDataSet Table;
    platform::data::TDataSource Source;
    TKinds() {
        using namespace platform::data;
        Table.FieldDefs().Add("Id", ftInteger);
        Table.FieldDefs().Add("Descricao", ftString, 20);
        Table.CreateDataSet();
        for (const auto& [Id, Text] : {std::pair{0, "Cliente"}, {1, "Fornecedor"}, {2, "Agente"}})
            Table.AppendRecord({Id, QString::fromLatin1(Text)});
        Table.First();
        Source.SetDataSet(&Table);
    }
};

// A table of pictures: one blob field, Foto, and one empty row being appended.
struct TPhotos {
    platform::data::TClientDataSet Table;
    platform::data::TDataSource Source;
    TPhotos() {
        Table.FieldDefs().Add("Foto", platform::data::ftBlob);
        Table.CreateDataSet();
        Table.Append();
        Source.SetDataSet(&Table);
    }
};

// A shown form of the given size.
struct TShownForm {
    platform::ui::TCustomForm Form;
    explicit TShownForm(QSize Size = QSize(400, 300)) {
        Form.resize(Size);
        Form.show();
        Form.activateWindow();
        (void)QTest::qWaitForWindowActive(&Form);
    }
};

// Saves Picture as PNG where the environment variable Variable points; true when saved or unset.
inline bool SaveTo(const char* Variable, const QImage& Picture) {
    const QString Out = qEnvironmentVariable(Variable);
    return Out.isEmpty() || Picture.save(Out, "PNG");
}

// A data-aware control on Parent, bound to Field of Source, 200 x 24 at Top.
template <class TControl>
TControl* Bound(QWidget* Parent, platform::data::TDataSource& Source, const QString& Field, int Top) {
    auto* Control = new TControl(Parent);
    Control->SetDataSource(&Source);
    Control->SetDataField(Field);
    Control->setGeometry(10, Top, 200, 24);
    Control->show();
    return Control;
}

// Records the errors reported and the questions asked while it lives.
struct TReports {
    QStringList Errors;
    QStringList Questions;
    bool Answer = true;
    TReports() {
        platform::ui::SetErrorReporter([this](const std::string& Message) { Errors << QString::fromStdString(Message); });
        platform::ui::SetConfirmationAsker([this](const QString& Question) {
            Questions << Question;
            return Answer;
        });
    }
    ~TReports() {
        platform::ui::SetErrorReporter(nullptr);
        platform::ui::SetConfirmationAsker(nullptr);
    }
    TReports(const TReports&) = delete;
    TReports& operator=(const TReports&) = delete;
};

}  // namespace testing_data
