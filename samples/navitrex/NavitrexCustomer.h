#pragma once
// Which customer the application was started for ("NVOCC=<Name>") and that
// customer's package, found among the packages the installation registered.
#include <string>
#include <vector>

#include "installlib/NVOCCConfig.h"

namespace navitrex {

struct TCustomerView {
    std::string Customer;               // as the argument names it
    std::string PackageFile;            // the package read; empty when none was
    installlib::TNVOCCPackage Package;
    std::string Problem;                // shown instead of the package; empty when it was read
};

// Reads "Data\<FileName>.nvo" in AppFolder for each file name of the
// registered package list until one names the customer (ignoring case).
TCustomerView LoadCustomerView(const std::vector<std::string>& Args, const std::string& AppFolder);

}  // namespace navitrex
