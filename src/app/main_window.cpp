#include "app/main_window.h"

#include "editor/draw_form.h"

#include <QBuffer>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QNetworkDatagram>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <ctime>
#include <stdexcept>

#include "ui/language.h"
#include "app/tool_icons.h"
#include "link/link.h"
#include "link/net_form.h"
#include "link/transfer_forms.h"
#include "setup/file_io.h"
#include "setup/jpeg_codec.h"
#include "setup/setup_defaults.h"
#include "setup/setup_file.h"
#include "ui/dialogs.h"
#include "ui/picture_qt.h"

namespace zep4 {
namespace {

// The design's info-tip yellow behind the document area.
const QColor kInfoBackground(255, 255, 225);

const QStringList kPictureFilters = {QStringLiteral("JPEG Bilddatei (*.jpg)"), QStringLiteral("JPEG Bilddatei (*.jpeg)"),
                                     QStringLiteral("Bitmaps (*.bmp)")};
constexpr int kBitmapFilter = 3;

std::vector<TTextEntry> mainWindowTexts() {
    using T = TextTarget;
    std::vector<TTextEntry> t;
    const char* menus[] = {"MenuFile",    "MenuOpen",         "MenuSave",         "MenuSavePicture", "MenuLoadPicture",
                           "MenuExit",    "MenuEdit",         "MenuEditTimeZones", "MenuCopySetup",  "MenuSensor",
                           "N23",         "MenuReceive",      "MenuTransmit",     "MenuView",        "MenuEditor",
                           "N32",         "MenuPreview",      "MenuDomeTracking", "MenuTools",       "MenuSensorOptions",
                           "MenuReset",   "N53",              "N55",              "MenuPassword",    "MenuHelp"};
    for (int i = 0; i < 25; ++i) t.push_back({i + 1, menus[i], T::Caption});
    const char* hints[] = {"ToolButton1",  "ToolButton2",  "ToolButton7",  "ToolButton4",  "ToolButton5", "ToolButton10",
                           "ToolButton8",  "ToolButton11", "ToolButton14", "ToolButton12", "ToolButton16"};
    for (int i = 0; i < 11; ++i) t.push_back({26 + i, hints[i], T::Hint});
    t.push_back({37, {}, T::Message, 0, 0, {}});
    for (int line : {38, 40, 41, 42, 43, 46, 48}) t.push_back({line, {}, T::Message, 0, 0, LinkBuiltinText(line)});
    t.push_back({44, {}, T::Message, 0, 0,
                 QStringLiteral("Reset the whole setup to the factory settings? All areas and options are lost.")});
    t.push_back({47, "MenuLanguage", T::Caption});
    t.push_back({49, {}, T::Message, 0, 0, QStringLiteral("Do you really want to quit the program?")});
    t.push_back({50, "ToolButton17", T::Hint});
    t.push_back({51, {}, T::Message, 0, 0, QStringLiteral("ZEP-4")});
    t.push_back({52, "MenuUndo", T::Caption});
    t.push_back({53, "MenuRedo", T::Caption});
    return t;
}

QString fromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

std::filesystem::path toPath(const QString& s) { return std::filesystem::path(s.toStdU16String()); }

}  // namespace

TForm1::TForm1(TDialogs& dialogs, TLanguage& language, QWidget* parent)
    : QMainWindow(parent),
      dialogs_(dialogs),
      language_(language),
      store_(std::make_unique<TSetupStore>()),
      texts_(QStringLiteral("UNIT1"), mainWindowTexts()),
      link_(std::make_unique<TLink>(dialogs, [this](int line) { return text(line); })) {
    setObjectName(QStringLiteral("Form1"));
    // Fixed border with the system menu and the minimize button only.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    mdiArea_ = new QMdiArea(this);
    mdiArea_->setObjectName(QStringLiteral("MdiArea"));
    mdiArea_->setBackground(kInfoBackground);
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdiArea_);

    buildMenus();
    buildToolBar();

    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    for (int i = 0; i < 2; ++i) {
        statusPanels_[i] = new QLabel(bar);
        statusPanels_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        statusPanels_[i]->setFixedWidth(i == 0 ? 250 : 50);
        statusPanels_[i]->setFrameShape(QFrame::StyledPanel);
        bar->addWidget(statusPanels_[i]);
    }
    setStatusBar(bar);
    setStatusPanelText(0, QStringLiteral("Disconnected!"));

    Timer3.setObjectName(QStringLiteral("Timer3"));
    Timer3.setInterval(60000);
    connect(&Timer3, &QTimer::timeout, this, &TForm1::Timer3Timer);
    connect(link_.get(), &TLink::connected, this, [this](const QString& peer) {
        setStatusPanelText(0, text(41) + QStringLiteral(": ") + peer);
        Timer3.start();
    });
    connect(link_.get(), &TLink::socketError, this, [this](int, const QString& status) {
        Timer3.stop();
        setStatusPanelText(0, status);
        if (!netForm_ || !netForm_->isActiveWindow())
            dialogs_.message(this, MessageType::Information, MessageButtons::Ok, status);
    });
    connect(link_.get(), &TLink::disconnected, this, [this] {
        Timer3.stop();
        setStatusPanelText(0, text(43));
        if (!netForm_ || !netForm_->isActiveWindow())
            dialogs_.message(this, MessageType::Information, MessageButtons::Ok, text(43));
    });

    openUdpSocket();

    // Designed client area of 1016 x 720 below the menu bar, placed at the top left.
    setFixedSize(1016, 720 + menuBar()->sizeHint().height());
    move(0, 0);

    store_->StartDirectory = QDir::currentPath().toStdString();
    setWindowTitle(QStringLiteral("ZEP-4   ") + QString::fromStdString(store_->VersionText));

    language_.attach(this, texts_);
    connect(&language_, &TLanguage::applied, this, &TForm1::applyTitle);
}

TForm1::~TForm1() {
    // The link is a member and dies before the child windows and procedures that hold on to
    // it. Silenced first, a socket closed on the way out reports nothing to windows that are
    // half gone; the children touch the link no more once it has stopped reporting.
    QObject::disconnect(&link_->ClientSocket1, nullptr, nullptr, nullptr);
    QObject::disconnect(link_.get(), nullptr, nullptr, nullptr);
}

QAction* TForm1::addCommand(QMenu* menu, const char* objectName, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(objectName));
    commands_[action->objectName()] = action;
    return action;
}

void TForm1::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto menu = [&](const char* name, const QString& title) {
        QMenu* m = bar->addMenu(title);
        m->setObjectName(QString::fromLatin1(name));
        return m;
    };

    QMenu* file = menu("MenuFile", tr("&File"));
    connect(addCommand(file, "MenuOpen", tr("&Open")), &QAction::triggered, this, &TForm1::OpenSetup);
    connect(addCommand(file, "MenuSave", tr("&Save")), &QAction::triggered, this, &TForm1::SaveSetup);
    connect(addCommand(file, "MenuSavePicture", tr("Save picture")), &QAction::triggered, this, &TForm1::SavePicture);
    connect(addCommand(file, "MenuLoadPicture", tr("Load picture")), &QAction::triggered, this, &TForm1::LoadPicture);
    file->addSeparator();
    connect(addCommand(file, "MenuExit", tr("E&xit")), &QAction::triggered, this, &QWidget::close);
    commands_["MenuOpen"]->setShortcut(QKeySequence::Open);
    commands_["MenuSave"]->setShortcut(QKeySequence::Save);

    QMenu* edit = menu("MenuEdit", tr("&Edit"));
    // Undo and redo act on the area editor's history; the editor leaves these keys to them.
    addCommand(edit, "MenuUndo", tr("Undo"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    addCommand(edit, "MenuRedo", tr("Redo"))
        ->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    edit->addSeparator();
    addCommand(edit, "MenuEditTimeZones", tr("Edit time zones"))->setCheckable(true);
    addCommand(edit, "MenuCopySetup", tr("Copy setup data"));

    QMenu* sensor = menu("MenuSensor", tr("&Sensor"));
    addCommand(sensor, "N23", tr("Connection"));
    addCommand(sensor, "MenuReceive", tr("Receive setup"));
    addCommand(sensor, "MenuTransmit", tr("Transmit setup"));

    QMenu* view = menu("MenuView", tr("&View"));
    addCommand(view, "MenuEditor", tr("Editor"));
    addCommand(view, "N32", tr("Setup"))->setCheckable(true);
    addCommand(view, "MenuPreview", tr("Preview"));
    addCommand(view, "MenuDomeTracking", tr("Dome-Tracking"));

    QMenu* tools = menu("MenuTools", tr("&Tools"));
    addCommand(tools, "MenuSensorOptions", QStringLiteral("Sensoroptionen"));
    connect(addCommand(tools, "MenuReset", tr("Reset")), &QAction::triggered, this, &TForm1::ResetCommand);
    addCommand(tools, "N53", QStringLiteral("COM"));
    addCommand(tools, "N55", QStringLiteral("Use COM"))->setCheckable(true);
    addCommand(tools, "MenuPassword", QStringLiteral("Passwort ändern"));
    connect(addCommand(tools, "MenuLanguage", QStringLiteral("Sprache ändern")), &QAction::triggered, this,
            &TForm1::ChangeLanguage);
    addCommand(tools, "MenuTest", QStringLiteral("Test"));

    QMenu* help = menu("MenuHelp", QStringLiteral("?"));
    addCommand(help, "MenuAbout", QStringLiteral("?"));

    // Commands whose windows do not exist yet stay visible but disabled.
    for (const char* name : {"MenuUndo", "MenuRedo", "MenuEditTimeZones", "MenuCopySetup", "N23", "MenuReceive", "MenuTransmit", "MenuEditor",
                             "N32", "MenuPreview", "MenuDomeTracking", "MenuSensorOptions", "N53", "N55",
                             "MenuPassword", "MenuTest", "MenuAbout"})
        commands_[name]->setEnabled(false);
}

QToolButton* TForm1::addToolButton(const char* objectName, QAction* command, int icon, const QString& caption) {
    auto* bar = findChild<QToolBar*>(QStringLiteral("ToolBar1"));
    auto* button = new QToolButton(bar);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setIcon(MakeToolIcon(static_cast<ToolIcon>(icon)));
    button->setIconSize(QSize(32, 32));
    button->setAutoRaise(true);
    if (!caption.isEmpty()) {
        button->setText(caption);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    } else {
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
    bar->addWidget(button);
    if (command) {
        connect(button, &QToolButton::clicked, command, &QAction::trigger);
        button->setEnabled(command->isEnabled());
        connect(command, &QAction::changed, button, [button, command] { button->setEnabled(command->isEnabled()); });
    }
    return button;
}

void TForm1::buildToolBar() {
    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    addToolBar(Qt::TopToolBarArea, bar);

    addToolButton("ToolButton2", commands_["MenuOpen"], int(ToolIcon::Open), QStringLiteral("Öffnen"))
        ->setToolTip(tr("Load setup from disk"));
    addToolButton("ToolButton1", commands_["MenuSave"], int(ToolIcon::Save), QStringLiteral("Speichern"))
        ->setToolTip(tr("Save setup to disk"));
    bar->addSeparator();
    addToolButton("ToolButton7", commands_["N23"], int(ToolIcon::Connection))
        ->setToolTip(tr("Connection to ZES over TCP/IP"));
    connect(addToolButton("ToolButton17", nullptr, int(ToolIcon::Disconnect)), &QToolButton::clicked, this,
            &TForm1::ToolButton17Click);
    addToolButton("ToolButton5", commands_["MenuReceive"], int(ToolIcon::Receive))->setToolTip(tr("Receive setup"));
    addToolButton("ToolButton4", commands_["MenuTransmit"], int(ToolIcon::Transmit))->setToolTip(tr("Transmit setup"));
    bar->addSeparator();
    addToolButton("ToolButton10", commands_["MenuEditor"], int(ToolIcon::Editor))->setToolTip(tr("Editor"));
    addToolButton("ToolButton15", commands_["MenuEditor"], int(ToolIcon::Editor), QStringLiteral("Editor"));
    addToolButton("ToolButton8", commands_["MenuPreview"], int(ToolIcon::Preview))->setToolTip(tr("Channelpreview"));
    addToolButton("ToolButton11", commands_["MenuEditTimeZones"], int(ToolIcon::TimeZones))
        ->setToolTip(tr("Edit time zones"));
    addToolButton("ToolButton12", commands_["MenuCopySetup"], int(ToolIcon::Copy))->setToolTip(tr("Copy setup data"));
    addToolButton("ToolButton14", commands_["MenuDomeTracking"], int(ToolIcon::Dome))->setToolTip(tr("Dome-Tracking"));
    addToolButton("ToolButton16", commands_["MenuPassword"], int(ToolIcon::Password))
        ->setToolTip(QStringLiteral("Passwort ändern"));
}

void TForm1::applyTitle() {
    if (const std::string* prefix = language_.line("UNIT1", 51))
        setWindowTitle(fromUtf8(*prefix) + QStringLiteral("    ") + QString::fromStdString(store_->VersionText));
}

std::string TForm1::cameraWord() const {
    const std::string* word = language_.line("UNIT1", 37);
    return word ? *word : std::string();
}

void TForm1::ResetSetup() {
    ResetSetupRecords(*store_, cameraWord());
    emit setupReset();
}

QString TForm1::statusPanelText(int panel) const { return statusPanels_[panel]->text(); }

void TForm1::setStatusPanelText(int panel, const QString& text) { statusPanels_[panel]->setText(text); }

void TForm1::setCommandEnabled(const QString& menuObjectName, bool enabled) {
    if (QAction* a = menuAction(menuObjectName)) a->setEnabled(enabled);
}

QAction* TForm1::menuAction(const QString& objectName) const {
    auto it = commands_.find(objectName);
    return it == commands_.end() ? nullptr : it->second;
}

void TForm1::showError(const QString& text) {
    dialogs_.message(this, MessageType::Error, MessageButtons::Ok, text);
}

std::optional<FileDialogResult> TForm1::askForFile(bool save, const QStringList& filters, int filterIndex,
                                                   const QString& defaultSuffix) {
    FileDialogRequest request;
    request.save = save;
    request.filters = filters;
    request.filterIndex = filterIndex;
    request.defaultSuffix = defaultSuffix;
    request.initialDirectory = QString::fromStdString(store_->StartDirectory);
    // Saving needs no existing file (a picture or setup is often saved under a new name);
    // opening does.
    request.fileMustExist = !save;
    return dialogs_.file(this, request);
}

void TForm1::OpenSetup() {
    auto chosen = askForFile(false, {QStringLiteral("ZEP (*.zep)")}, 1, QStringLiteral("zep"));
    if (!chosen) return;

    std::vector<std::string> warnings;
    std::string error;
    if (!OpenSetupFile(toPath(chosen->path), *store_, warnings, error)) {
        showError(QString::fromStdString(error) + QStringLiteral("\n\nThe setup in the program is unchanged."));
        return;
    }
    emit setupReplaced();
    for (const auto& w : warnings)
        dialogs_.message(this, MessageType::Warning, MessageButtons::Ok, QString::fromStdString(w));
}

void TForm1::SaveSetup() {
    const TFileHeader header = MakeSaveHeader(LocalTimeNow());

    auto chosen = askForFile(true, {QStringLiteral("ZEP (*.zep)")}, 1, QStringLiteral("zep"));
    if (!chosen) return;
    std::string error;
    try {
        if (!SaveSetupFile(toPath(chosen->path), *store_, header, error)) showError(QString::fromStdString(error));
    } catch (const std::exception& e) {
        showError(QStringLiteral("The setup file \"%1\" cannot be saved: %2.").arg(chosen->path, e.what()));
    }
}

void TForm1::SavePicture() {
    auto chosen = askForFile(true, kPictureFilters, kBitmapFilter, QStringLiteral("bmp"));
    if (!chosen) return;

    // The editor's picture is what the user sees (a live picture too); without the editor the
    // current camera's stored picture.
    const TPicture picture =
        editor_ ? FromQImage(editor_->picture(), kPictureWidth, kPictureHeight) : store_->CameraPicture[store_->CurrentCamera];
    std::string error;
    bool ok = false;
    try {
        if (chosen->filterIndex == kBitmapFilter) {
            QByteArray bitmap;
            QBuffer buffer(&bitmap);
            buffer.open(QIODevice::WriteOnly);
            if (ToQImage(picture).save(&buffer, "BMP"))
                ok = WriteFileAtomically(toPath(chosen->path), bitmap.constData(), size_t(bitmap.size()), error);
            else
                error = "the picture cannot be converted to a bitmap";
        } else {
            ok = WriteFileAtomically(toPath(chosen->path), EncodeJpeg(picture), error);
        }
    } catch (const std::exception& e) {
        error = e.what();
    }
    if (!ok)
        showError(QStringLiteral("The picture \"%1\" cannot be saved: %2.").arg(chosen->path, QString::fromStdString(error)));
}

void TForm1::LoadPicture() {
    auto chosen = askForFile(false, kPictureFilters, kBitmapFilter, QStringLiteral("bmp"));
    if (!chosen) return;

    // The format follows the chosen filter, not the file's extension.
    const bool bitmap = chosen->filterIndex == kBitmapFilter;
    QImage image;
    QString why;
    if (bitmap) {
        if (!image.load(chosen->path, "BMP")) why = QStringLiteral("it is not a readable bitmap");
    } else {
        std::vector<uint8_t> bytes;
        std::string error;
        TPicture decoded;
        if (!ReadWholeFile(toPath(chosen->path), bytes, error) || !DecodeJpeg(bytes, decoded, error))
            why = QString::fromStdString(error);
        else
            image = ToQImage(decoded);
    }
    if (image.isNull()) {
        showError(QStringLiteral("The picture \"%1\" cannot be loaded: %2.\n\nThe camera's picture is unchanged.")
                      .arg(chosen->path, why));
        return;
    }
    store_->CameraPicture[store_->CurrentCamera] = FromQImage(image, kPictureWidth, kPictureHeight);
    emit pictureLoaded(bitmap);
}

void TForm1::ResetCommand() {
    if (dialogs_.message(this, MessageType::Warning, MessageButtons::YesAbort, text(44)) == MessageResult::Yes)
        ResetSetup();
}

void TForm1::ChangeLanguage() {
    auto chosen = askForFile(false, {QStringLiteral("txt (*.txt)")}, 1, QString());
    if (!chosen) return;
    const auto file = toPath(chosen->path);
    if (!language_.load(file, this)) return;
    const std::filesystem::path start = toPath(QString::fromStdString(store_->StartDirectory));
    // Recording the choice is a convenience: when Language.ini cannot be written the new
    // language still applies for this run, as before.
    WriteLanguageIni(start, LanguageIniEntryFor(start, file));
}

void TForm1::setConnectionManager(TNetForm* form) {
    netForm_ = form;
    setCommandEnabled(QStringLiteral("N23"), form != nullptr);
    if (form) connect(menuAction(QStringLiteral("N23")), &QAction::triggered, this, &TForm1::N23Click);
}

void TForm1::setTransferWindows(TSendForm* send, TReceiveForm* receive) {
    sendForm_ = send;
    receiveForm_ = receive;
    setCommandEnabled(QStringLiteral("MenuTransmit"), send != nullptr);
    setCommandEnabled(QStringLiteral("MenuReceive"), receive != nullptr);
    if (send) connect(menuAction(QStringLiteral("MenuTransmit")), &QAction::triggered, this, &TForm1::TransmitSetupClick);
    if (receive) {
        connect(menuAction(QStringLiteral("MenuReceive")), &QAction::triggered, this, &TForm1::ReceiveSetupClick);
        connect(receive, &TReceiveForm::closed, this, &TForm1::setupReceived);
    }
}

void TForm1::setEditor(TDrawForm* editor) {
    editor_ = editor;
    if (!editor) return;
    editorWindow_ = mdiArea_->addSubWindow(editor, Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowMinMaxButtonsHint);
    editorWindow_->setObjectName(QStringLiteral("DrawFormWindow"));
    // Closing the editor's frame hides it; the "Editor" command brings it back.
    editorWindow_->setAttribute(Qt::WA_DeleteOnClose, false);
    connect(this, &TForm1::setupReset, editor, &TDrawForm::ResetEditor);
    connect(this, &TForm1::setupReplaced, editor, &TDrawForm::ShowOpenedSetup);
    connect(this, &TForm1::setupReceived, editor, &TDrawForm::ShowChangedSetup);
    connect(this, &TForm1::pictureLoaded, editor, &TDrawForm::PictureLoaded);
    editor->setUndoShortcutsEnabled(false);
    connect(menuAction(QStringLiteral("MenuUndo")), &QAction::triggered, editor, &TDrawForm::undo);
    connect(menuAction(QStringLiteral("MenuRedo")), &QAction::triggered, editor, &TDrawForm::redo);
    connect(editor, &TDrawForm::undoStateChanged, this, [this](bool canUndo, bool canRedo) {
        setCommandEnabled(QStringLiteral("MenuUndo"), canUndo);
        setCommandEnabled(QStringLiteral("MenuRedo"), canRedo);
    });
    setCommandEnabled(QStringLiteral("MenuEditor"), true);
    connect(menuAction(QStringLiteral("MenuEditor")), &QAction::triggered, this, &TForm1::EditorClick);
    editorWindow_->move(0, 0);
    editorWindow_->show();
    fitEditor();
}

void TForm1::fitEditor() {
    // The tool bar is taller than the designed one, so the designed client area would cut
    // off the editor's bottom bar: the window grows to hold the whole editor, within the
    // screen. On a smaller screen the document area scrolls instead.
    editorWindow_->adjustSize();
    const QSize frame = editorWindow_->size();
    int height = menuBar()->sizeHint().height() + statusBar()->sizeHint().height() + frame.height() + 4;
    if (auto* bar = findChild<QToolBar*>(QStringLiteral("ToolBar1"))) height += bar->sizeHint().height();
    int width = std::max(this->width(), frame.width() + 4);
    height = std::max(this->height(), height);
    if (const QScreen* s = screen()) {
        const QRect available = s->availableGeometry();
        // Room for the window's own title bar and border.
        width = std::min(width, available.width());
        height = std::min(height, available.height() - 40);
    }
    setFixedSize(width, height);
}

void TForm1::openUdpSocket() {
    // The sensor's UDP port is opened but nothing it receives is used. A port already taken
    // (another copy of the program) is reported in the status bar; the program runs on.
    UdpSockUtil1.setObjectName(QStringLiteral("UdpSockUtil1"));
    connect(&UdpSockUtil1, &QUdpSocket::readyRead, this, [this] {
        while (UdpSockUtil1.hasPendingDatagrams()) UdpSockUtil1.receiveDatagram(0);
    });
    connect(&UdpSockUtil1, &QUdpSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError error) { showUdpError(int(error)); });
    bindUdpPort(kUdpPort);
}

bool TForm1::bindUdpPort(quint16 port) {
    UdpSockUtil1.close();
    if (UdpSockUtil1.bind(QHostAddress::AnyIPv4, port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint))
        return true;
    if (UdpSockUtil1.state() != QAbstractSocket::BoundState) showUdpError(int(UdpSockUtil1.error()));
    return false;
}

void TForm1::showUdpError(int code) { setStatusPanelText(0, QStringLiteral("UDPERROR:  ") + QString::number(code)); }

void TForm1::EditorClick() {
    if (!editor_) return;
    editor_->show();
    editorWindow_->showNormal();
    editorWindow_->setFocus();
}

void TForm1::stopLivePicture() {
    if (editor_) editor_->StopLivePicture();
}

void TForm1::ReceiveSetupClick() {
    stopLivePicture();
    if (receiveForm_) receiveForm_->exec();
}

void TForm1::TransmitSetupClick() {
    stopLivePicture();
    if (sendForm_) sendForm_->exec();
}

void TForm1::N23Click() {
    if (netForm_) netForm_->exec();
}

void TForm1::ToolButton17Click() {
    if (link_->isActive()) {
        if (netForm_) netForm_->procedure().cancel();
        link_->closeSocket();
    }
}

void TForm1::Timer3Timer() {
    // Nothing goes out while a procedure waits for a reply.
    if (link_->anyProcedureWaiting()) return;
    static const uint8_t kKeepAlive[3] = {'K', 'A', 'T'};
    link_->sendBytes(kKeepAlive, 3);
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (dialogs_.message(this, MessageType::Confirmation, MessageButtons::YesCancel, text(49)) != MessageResult::Yes) {
        event->ignore();
        return;
    }
    if (link_->isActive()) link_->closeSocket();
    event->accept();
}

}  // namespace zep4
