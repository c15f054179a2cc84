// Pictures of windows in the states the tests drive them into, for people to look at: with
// ZEP4_SCREENSHOT_DIR set, saveScreenshot writes <dir>/<name>.png; otherwise it does nothing.
#pragma once

#include <QDir>
#include <QPixmap>
#include <QWidget>

namespace zep4::test {

inline void saveScreenshot(QWidget* window, const QString& name) {
    const QString dir = qEnvironmentVariable("ZEP4_SCREENSHOT_DIR");
    if (dir.isEmpty() || !window) return;
    QDir().mkpath(dir);
    window->grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
}

}  // namespace zep4::test
