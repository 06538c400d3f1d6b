#pragma once
// The failures of a transfer as a CSV file for the person to keep: one line per file, the files of one
// reason together (reasons in the order they first occur), fields quoted where needed.
#include <string>
#include <vector>

#include "device/dialog_error_report.h"

namespace TYX::Device {

// The CSV text: header "reason,folder,file", then the rows.
std::string FormatTransferReportCsv(
    const std::vector<Dialog::TYX_Dialog_Error_Report::DEVICE_SYNC_CHECK_FILE_LIST>& report);
// Writes it through a temporary file and a rename, so a failed write leaves any old file as it was.
// Returns the error text, empty on success.
std::string WriteTransferReportCsv(
    const std::string& path, const std::vector<Dialog::TYX_Dialog_Error_Report::DEVICE_SYNC_CHECK_FILE_LIST>& report);

}  // namespace TYX::Device
