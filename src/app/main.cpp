// zep4: the ZEP-4 setup program.
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <exception>

#include "app/app_context.h"
#include "app/main_window.h"
#include "setup/memory_tuning.h"
#include "ui/dialogs.h"

int main(int argc, char** argv) {
    zep4::KeepLargeBuffersForReuse();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZEP-4"));
    QApplication::setStyle(QStringLiteral("Fusion"));
    try {
        zep4::TQtDialogs dialogs;
        zep4::TAppContext context(dialogs, std::filesystem::path(QDir::currentPath().toStdU16String()));
        context.mainWindow().show();
        return app.exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("ZEP-4"), QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
