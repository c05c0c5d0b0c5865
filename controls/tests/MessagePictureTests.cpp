// The picture of the message boxes. With VEX_MESSAGES_OUT set it is written
// there (docs/messages.png is made this way).
#include <QApplication>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/VexButton.h"
#include "controls/VexMessageEx.h"
#include "platform/ui/Fonts.h"

using namespace controls;

namespace {

QImage Grab(QWidget& Widget) { return Widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }

QImage ShowAndGrab(platform::ui::TCustomForm& Form) {
    Form.Show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&Form));
    return Grab(Form);
}

// Pictures side by side on the dialog colour, a title over each.
QImage SideBySide(const std::vector<std::pair<QString, QImage>>& Pictures) {
    const int Gap = 12, TitleHeight = 18;
    int Width = Gap, Height = 0;
    for (const auto& [Title, Picture] : Pictures) {
        Width += Picture.width() + Gap;
        Height = std::max(Height, Picture.height());
    }
    QImage Sheet(Width, Height + TitleHeight + 2 * Gap, QImage::Format_RGB32);
    Sheet.fill(QColor(200, 200, 200));
    QPainter Painter(&Sheet);
    int X = Gap;
    for (const auto& [Title, Picture] : Pictures) {
        Painter.drawText(X, Gap, Picture.width(), TitleHeight, Qt::AlignLeft | Qt::AlignTop, Title);
        Painter.drawImage(X, Gap + TitleHeight, Picture);
        X += Picture.width() + Gap;
    }
    return Sheet;
}

bool HasColourOtherThan(const QImage& Picture, const QRect& Area, QRgb Background) {
    for (int Y = Area.top(); Y <= Area.bottom(); ++Y)
        for (int X = Area.left(); X <= Area.right(); ++X)
            if (Picture.pixel(X, Y) != Background) return true;
    return false;
}

}  // namespace

TEST(MessagePictures, PictureOfTheBoxes) {
    platform::ui::RegisterFonts();  // the forms' own font, as the program has it
    TfrmVexMessage Warning;
    Warning.Build("O campo \"Pasta de destino\" deve ser preenchido.", "", dkWarning, ButtonSet({dbOK}), 0,
                  AutoCancelResult, {});
    const QImage WarningPicture = ShowAndGrab(Warning);
    TfrmVexMessage Question;
    Question.Build("Já existe uma instalação anterior do Navitrex neste computador.\nDeseja removê-la agora?",
                   "Pasta: C:\\Arquivos de programas\\Navitrex\nVersão instalada: 2.4", dkConfirmation,
                   ButtonSet({dbYes, dbNo}), 0, AutoCancelResult, {});
    const QImage QuestionPicture = ShowAndGrab(Question);
    TfrmVexMessageEx List;
    List.AddMessages({{"O campo \"Cliente\" é obrigatório.", "Tabela: Embarque", dkWarning, 4, 0, 0},
                      {"Não foi possível gravar o registro.", "Violação de chave primária em 'Embarque'.", dkError,
                       4, 0, 0},
                      {"Numeração do documento reservada.", "", dkInformation, 4, 0, 0}});
    List.pnlMensagemResize();
    List.actDetalhes->Execute();
    const QImage ListPicture = ShowAndGrab(List);

    // The icon, the texts and the open details are drawn where the forms put them.
    const QRgb Face = qRgb(236, 233, 216);
    const QPoint Client(Warning.BorderWidth(), Warning.BorderWidth());
    EXPECT_TRUE(HasColourOtherThan(WarningPicture, QRect(Client, QSize(32, 32)), Face));
    EXPECT_TRUE(HasColourOtherThan(WarningPicture, Warning.lbl->geometry(), Face));
    EXPECT_TRUE(HasColourOtherThan(QuestionPicture, Question.pnlDetalhe->geometry(), Face));
    EXPECT_TRUE(List.pnlDetalhes->isVisible());
    EXPECT_GT(QuestionPicture.height(), WarningPicture.height() + 50);

    const QImage Sheet = SideBySide({{"Cuidado, {OK}", WarningPicture},
                                     {"Confirmação, {Sim, Não} com detalhes", QuestionPicture},
                                     {"Caixa estendida com três mensagens", ListPicture}});
    const QString Out = qEnvironmentVariable("VEX_MESSAGES_OUT");
    if (!Out.isEmpty()) {
        EXPECT_TRUE(Sheet.save(Out, "PNG"));
    }
}
