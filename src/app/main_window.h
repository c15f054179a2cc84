// TForm1: the application's frame. Owns the setup store, carries the menu, the tool bar and
// the status bar, and holds the area editor as its one document window.
#pragma once

#include <QMainWindow>
#include <QTimer>
#include <QUdpSocket>
#include <map>
#include <memory>

#include "i18n/section_texts.h"
#include "setup/setup_store.h"
#include "ui/dialogs.h"

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolButton;

namespace zep4 {

class TDialogs;
class TDrawForm;
class TLanguage;
class TLink;
class TNetForm;
class TReceiveForm;
class TSendForm;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    TForm1(TDialogs& dialogs, TLanguage& language, QWidget* parent = nullptr);
    ~TForm1() override;

    TSetupStore& store() { return *store_; }
    TLink& link() { return *link_; }
    // The windows the main window opens, handed over by the application context.
    void setConnectionManager(TNetForm* form);
    void setTransferWindows(TSendForm* send, TReceiveForm* receive);
    // The area editor becomes the one document window; the store's changes reach it through
    // the signals below.
    void setEditor(TDrawForm* editor);
    TDrawForm* editor() const { return editor_; }
    TLanguage& language() { return language_; }
    TDialogs& dialogs() { return dialogs_; }
    QMdiArea* mdiArea() const { return mdiArea_; }

    // The camera word of the default camera names (line 37), UTF-8; empty before a language
    // file provides it.
    std::string cameraWord() const;

    // Factory state of the whole setup; the editor's part of the reset hangs on setupReset().
    void ResetSetup();

    QString statusPanelText(int panel) const;
    void setStatusPanelText(int panel, const QString& text);

    // A message text of the main window's section (line n), built in or from the language.
    QString text(int line) const { return texts_.message(line); }

    // Enables a command (menu item and its tool buttons) once the window it opens exists.
    void setCommandEnabled(const QString& menuObjectName, bool enabled);

    QAction* menuAction(const QString& objectName) const;

    QTimer Timer3;  // keep-alive, 60 s, started by the link once it is connected
    static constexpr quint16 kUdpPort = 12345;
    QUdpSocket UdpSockUtil1;  // the sensor's UDP port: opened, what arrives is dropped
    // (Re)binds UdpSockUtil1; a failure shows "UDPERROR:  " and the code in panel 0.
    bool bindUdpPort(quint16 port);

public slots:
    void OpenSetup();
    void SaveSetup();
    void SavePicture();
    void LoadPicture();
    void ResetCommand();
    void ChangeLanguage();
    void N23Click();          // Connection
    void ReceiveSetupClick();
    void TransmitSetupClick();
    void ToolButton17Click(); // Disconnect
    void EditorClick();       // the editor back to its regular size
    void Timer3Timer();       // keep-alive

signals:
    // The store was replaced wholesale (a file was opened): the editor shows camera 1 of
    // time zone 1 again, redraws and reloads its controls.
    void setupReplaced();
    // A received setup was taken into the store: the editor redraws, the camera names
    // are shown anew.
    void setupReceived();
    // ResetSetup ran: the editor resets its view and its camera list.
    void setupReset();
    // A picture was loaded into CameraPicture[CurrentCamera]; refreshOverlay tells whether
    // the editor refreshes its overlay as well.
    void pictureLoaded(bool refreshOverlay);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildToolBar();
    void applyTitle();
    QAction* addCommand(QMenu* menu, const char* objectName, const QString& caption);
    QToolButton* addToolButton(const char* objectName, QAction* command, int icon, const QString& caption = {});
    void showError(const QString& text);
    // Ends a running live picture before a window opens that talks to the sensor.
    void stopLivePicture();
    void fitEditor();
    void openUdpSocket();
    void showUdpError(int code);
    // A file dialog that starts in the start directory.
    std::optional<FileDialogResult> askForFile(bool save, const QStringList& filters, int filterIndex,
                                               const QString& defaultSuffix);

    TDialogs& dialogs_;
    TLanguage& language_;
    std::unique_ptr<TSetupStore> store_;
    TSectionTexts texts_;
    std::unique_ptr<TLink> link_;
    TNetForm* netForm_ = nullptr;
    TSendForm* sendForm_ = nullptr;
    TReceiveForm* receiveForm_ = nullptr;
    TDrawForm* editor_ = nullptr;
    QMdiSubWindow* editorWindow_ = nullptr;
    QMdiArea* mdiArea_ = nullptr;
    QLabel* statusPanels_[2] = {nullptr, nullptr};
    std::map<QString, QAction*> commands_;
};

}  // namespace zep4
