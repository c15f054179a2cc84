#include "setup/setup_store.h"

namespace zep4 {

std::string MakeVersionText(uint8_t major, uint8_t minor, uint8_t sub) {
    return "V" + std::to_string(major) + "." + std::to_string(minor) + std::to_string(sub);
}

TSetupStore::TSetupStore()
    : TxGlobalImage(kDeviceImageWords, 0), RxGlobalImage(kDeviceImageWords, 0) {
    for (auto& image : TxImage) image.assign(kDeviceImageWords, 0);
    for (auto& image : RxImage) image.assign(kDeviceImageWords, 0);
    FileHeader.VersionMajor = kProgramVersionMajor;
    FileHeader.VersionMinor = kProgramVersionMinor;
    FileHeader.VersionSub = kProgramVersionSub;
    VersionText = MakeVersionText(kProgramVersionMajor, kProgramVersionMinor, kProgramVersionSub);
    for (auto& picture : CameraPicture) picture = TPicture::Black(kPictureWidth, kPictureHeight);
}

}  // namespace zep4
