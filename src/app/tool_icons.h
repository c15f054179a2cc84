// The tool bar's icons, drawn in code so that they look the same on every platform and need
// no image files.
#pragma once

#include <QIcon>

namespace zep4 {

enum class ToolIcon {
    Open, Save, Transmit, Receive, Connection, Disconnect, Preview, Editor, TimeZones, Copy, Dome, Password
};

QIcon MakeToolIcon(ToolIcon kind);

}  // namespace zep4
