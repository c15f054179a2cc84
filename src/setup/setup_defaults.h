// Factory state of the setup.
#pragma once

#include <string>

#include "setup/setup_store.h"

namespace zep4 {

// The object segment and perspective rectangles of a fresh area. Fields 8 and 17 are kept.
void SetDefaultGeometry(TAreaGeometry& geometry);

// "camera word" + " " + number (1..4), cut to the 24 characters a camera name holds.
// `cameraWord` is UTF-8; the name is stored as Windows-1252.
void SetDefaultCameraName(TCameraSetup& camera, const std::string& cameraWord, int cameraIndex);

// Puts every record the file and the device images carry into its factory state and selects
// camera 1, time zone 1 and area 1. Pictures, StartDirectory, FileHeader and the device images
// are not touched. The windows' part of a reset (the editor's view and lists) hangs on the
// main window's ResetSetup, which calls this first.
void ResetSetupRecords(TSetupStore& store, const std::string& cameraWord);

}  // namespace zep4
