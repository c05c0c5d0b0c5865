#pragma once
// Shell links: ".lnk" files in the MS-SHLLINK format, written as the
// platform's shell writes them (header, target identifier list, link info with
// the local base path, Unicode strings) and read back, also when another
// writer made them.
#include <cstdint>
#include <string>
#include <string_view>

#include "ShellFolders.h"

namespace platform::os {

struct TShellLinkData {
    std::string Target;        // Windows path of the target
    std::string Arguments;
    std::string WorkingDir;
    int ShowCmd = 1;           // SW_SHOWNORMAL
    std::string IconLocation;
    int IconIndex = 0;
    std::string Description;
    std::string RelativePath;  // as stored; informative only
};

// The bytes of a link file. Raises EConvertError when a text is longer than
// the format holds (65535 characters).
std::string EncodeShellLink(const TShellLinkData& Link);
// Parses link bytes; malformed data raises EReadError or EConvertError.
TShellLinkData DecodeShellLink(std::string_view Bytes);

// The shell-link object: setters, then Save to a Windows path; Load reads one.
// Status codes as the platform's interfaces give them.
class TShellLink {
public:
    HRESULT SetPath(std::string_view Target);
    HRESULT SetArguments(std::string_view Arguments);
    HRESULT SetWorkingDirectory(std::string_view Dir);
    HRESULT SetShowCmd(int ShowCmd);
    HRESULT SetIconLocation(std::string_view IconFile, int IconIndex);
    HRESULT SetDescription(std::string_view Description);
    HRESULT Save(std::string_view LinkFile);  // E_FAIL when the file cannot be written
    HRESULT Load(std::string_view LinkFile);  // E_FAIL when missing or malformed

    const TShellLinkData& Data() const { return FData; }

private:
    TShellLinkData FData;
};

}  // namespace platform::os
