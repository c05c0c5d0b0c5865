#pragma once
// What the wizard decides without its window: the installation found at
// start-up, the folder check, the review text and the page history.
#include <string>
#include <vector>

#include "setup/NVOCCPackage.h"

namespace setup {

struct TInstallationState {
    bool OldVersionInstalled = false;  // the installer service's edition is registered
    bool Installed = false;            // at least one customer package is registered
    std::string ProposedFolder;        // the registered "Path", else Program Files\Ostrevan\Navitrex
};

// Keys that cannot be opened count as absent.
TInstallationState ReadInstallationState();

// A folder the installation accepts: after trimming it has a drive letter or
// a network share; it need not exist.
bool HasDrivePart(const std::string& Folder);

// Every "[NVOCC]", in any letter case, replaced with Name.
std::string ReplaceCustomerTag(const std::string& Text, const std::string& Name);

// The address the site link opens: the site as written when it names a
// scheme ("https://...", "mailto:..."), else "http://" followed by it, as the
// shell would take "www.example.com".
std::string SiteAddress(const std::string& Site);

// The lines of the review page; the folder as the user typed it.
std::vector<std::string> ReviewLines(bool Installed, const TNVOCCData& NVOCC, const std::string& Folder);

// Pages entered forward, in order, and the position of the page shown.
template <typename TPage>
class TPageHistory {
public:
    // Drops whatever lay ahead of the current position.
    void Enter(TPage Page) {
        FPages.resize(static_cast<size_t>(FIndex + 1));
        FPages.push_back(Page);
        FIndex = static_cast<int>(FPages.size()) - 1;
    }
    TPage Back() { return FPages.at(static_cast<size_t>(--FIndex)); }
    void Clear() {
        FPages.clear();
        FIndex = -1;
    }
    bool Empty() const { return FPages.empty(); }
    int Index() const { return FIndex; }

private:
    std::vector<TPage> FPages;
    int FIndex = -1;
};

}  // namespace setup
