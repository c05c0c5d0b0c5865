#include "uninstall/UninstDialog.h"

#include <QMessageBox>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>

#include "platform/os/Text.h"

namespace uninstall {

namespace {

const char* const kCaption = "Navitrex";

bool AnswerWithoutShowing(const char* Answer, TUninstMessageKind Kind, const std::string& Text,
                          const std::string& Details) {
    std::fprintf(stderr, "%s%s%s\n", Text.c_str(), Details.empty() ? "" : "\n", Details.c_str());
    return Kind == umConfirmation && platform::os::SameText(Answer, "yes");
}

QMessageBox::Icon IconOf(TUninstMessageKind Kind) {
    switch (Kind) {
        case umConfirmation: return QMessageBox::Question;
        case umInformation: return QMessageBox::Information;
        case umError: return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

bool ShowUninstDialog(TUninstMessageKind Kind, const std::string& Text, const std::string& Details) {
    if (const char* Answer = std::getenv("VEX_DIALOG_ANSWER")) return AnswerWithoutShowing(Answer, Kind, Text, Details);

    QMessageBox Box(IconOf(Kind), kCaption, QString::fromStdString(Text));
    if (!Details.empty()) Box.setDetailedText(QString::fromStdString(Details));
    if (Kind != umConfirmation) {
        Box.addButton(QStringLiteral("&OK"), QMessageBox::AcceptRole);
        Box.exec();
        return false;
    }
    QPushButton* Yes = Box.addButton(QStringLiteral("&Sim"), QMessageBox::YesRole);
    Box.setEscapeButton(Box.addButton(QStringLiteral("&Não"), QMessageBox::NoRole));
    Box.setDefaultButton(Yes);
    Box.exec();
    return Box.clickedButton() == Yes;
}

}  // namespace uninstall
