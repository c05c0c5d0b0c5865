#pragma once
// The demonstration run of the application: started with the environment
// variable NAVITREX_DEMO naming a folder, the main window works by itself as
// a person would, through clicks on its menus and key presses: it adds a
// shipper and a consignee when the customers lack them, creates a bill of
// lading with two containers (the references chosen in the search combo)
// and writes it, then opens the numbering dialog and closes it again. On the
// way it saves PNG pictures in the folder: the main window, the search combo
// open, the bill with its items and the numbering dialog. The run ends the
// application; a step that fails or does not come in time ends it with
// kDemoFailed, saying which step, with a picture of the screen as it was.
#include <QString>
#include <QStringList>
#include <string>

#include "samples/navitrex/NavitrexCustomer.h"

namespace navitrex {

class TDemoDriver;
class TfrmPrincipal;

inline constexpr const char* kDemoVariable = "NAVITREX_DEMO";
inline constexpr int kDemoFailed = 3;
inline constexpr int kDemoTimeLimitMs = 90000;

// The picture files, in the order the run saves them.
inline constexpr const char* kDemoPictures[] = {"navitrex-main.png", "navitrex-search-combo.png", "navitrex-bill.png",
                                                "navitrex-numbering.png"};
inline constexpr const char* kDemoFailurePicture = "navitrex-failure.png";

// The steps of the run on an opened main window; Start runs them. Pictures go to Folder (a host folder).
TDemoDriver* CreateDemo(TfrmPrincipal& Principal, const QString& Folder, int TimeLimitMs = kDemoTimeLimitMs);

// The bills of the database, oldest first: "<number> <containers>" each.
QStringList ResumoConhecimentos();

// The whole run for the customer of View: starts the application, runs the steps and ends; problems go to the
// standard error, the bills of the database at the end to the standard output. Answers the exit code.
int RunDemo(const TCustomerView& View, const std::string& AppFolder, const QString& UserName, const QString& Folder);

}  // namespace navitrex
