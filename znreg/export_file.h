// Writing an export file so that a failure leaves the old file whole, never
// over the store itself.
#pragma once

#include <string>
#include <vector>

namespace zn::regtool {

// Raises RegToolError "Cannot create file PATH" when the file cannot be
// written, or names one of storeFiles.
void writeExportFile(const std::string& path, const std::string& text,
                     const std::vector<std::string>& storeFiles);

}  // namespace zn::regtool
