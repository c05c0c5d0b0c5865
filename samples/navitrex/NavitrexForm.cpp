#include "samples/navitrex/NavitrexForm.h"

#include <QFormLayout>
#include <QImage>
#include <QPixmap>
#include <QVBoxLayout>

#include "platform/os/WinPath.h"
#include "samples/navitrex/NavitrexTexts.h"

namespace navitrex {

namespace {

QLabel* NewLabel(QWidget* Parent, const char* Name, const std::string& Text) {
    auto* Label = new QLabel(QString::fromStdString(Text), Parent);
    Label->setObjectName(Name);
    Label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return Label;
}

}  // namespace

TfrmNavitrex::TfrmNavitrex(const TCustomerView& View, QWidget* AOwner) : TCustomForm(AOwner) {
    setObjectName("frmNavitrex");
    SetCaption(View.Customer.empty() ? kCaption : QString("%1 - %2").arg(kCaption, QString::fromStdString(View.Customer)));
    SetPosition(platform::ui::TPosition::poScreenCenter);

    const installlib::TNVOCCData& NVOCC = View.Package.NVOCC;
    imgLogo = NewLabel(this, "imgLogo", "");
    imgLogo->setAlignment(Qt::AlignCenter);
    const QImage Logo = QImage::fromData(reinterpret_cast<const uchar*>(View.Package.Logo.data()),
                                         static_cast<int>(View.Package.Logo.size()), "BMP");
    imgLogo->setPixmap(QPixmap::fromImage(Logo));
    imgLogo->setVisible(!Logo.isNull());

    lblCliente = NewLabel(this, "lblCliente", std::string(kHeading) + " " + View.Customer);
    QFont Bold = lblCliente->font();
    Bold.setBold(true);
    lblCliente->setFont(Bold);
    lblNome = NewLabel(this, "lblNome", NVOCC.Name);
    lblEmail = NewLabel(this, "lblEmail", NVOCC.Email);
    lblSite = NewLabel(this, "lblSite", NVOCC.Site);
    lblArquivo = NewLabel(this, "lblArquivo", platform::os::ExtractFileName(View.PackageFile));
    lblProblema = NewLabel(this, "lblProblema", View.Problem);
    lblProblema->setWordWrap(true);
    lblProblema->setVisible(!View.Problem.empty());

    auto* Details = new QFormLayout;
    Details->addRow(kNameLabel, lblNome);
    Details->addRow(kEmailLabel, lblEmail);
    Details->addRow(kSiteLabel, lblSite);
    Details->addRow(kFileLabel, lblArquivo);
    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(imgLogo);
    Layout->addWidget(lblCliente);
    Layout->addLayout(Details);
    Layout->addWidget(lblProblema);
    Layout->addStretch();
    // Without a package there is nothing to list.
    for (int Row = 0; Row < Details->rowCount(); ++Row) Details->setRowVisible(Row, View.Problem.empty());
    SetClientSize(480, 360);
}

}  // namespace navitrex
