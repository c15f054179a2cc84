// The main window and the start-up: texts from the language files, and the file, picture,
// reset, language and close commands, driven through the scripted dialogs.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <QToolButton>
#include <QUdpSocket>
#include <cstring>
#include <filesystem>

#include "app/app_context.h"
#include "ui/language.h"
#include "app/main_window.h"
#include "editor/draw_form.h"
#include "i18n/language_file.h"
#include "scripted_dialogs.h"
#include "setup/jpeg_codec.h"
#include "setup/setup_file.h"
#include "setup/text1252.h"
#include "test_support.h"
#include "ui/picture_qt.h"

using namespace zep4;
using zep4::test::TempDir;
using zep4::test::TScriptedDialogs;
namespace fs = std::filesystem;

namespace {

QString q(const std::string& s) { return QString::fromUtf8(s.c_str()); }
QString q(const fs::path& p) { return QString::fromStdString(p.string()); }

class MainWindowTest : public ::testing::Test {
protected:
    TempDir dir;
    TScriptedDialogs dialogs;
    std::unique_ptr<TAppContext> context;

    void copyLanguage(const std::string& file) {
        fs::copy_file(test::sourceDir() / "lang" / file, dir / file, fs::copy_options::overwrite_existing);
    }
    void start(const std::string& languageIni) {
        if (!languageIni.empty()) test::writeFileText(dir / "Language.ini", languageIni);
        context = std::make_unique<TAppContext>(dialogs, dir.path());
    }
    void startWith(const std::string& language) {
        copyLanguage(language);
        start("[Language]\r\nSpeech=" + language + "\r\n");
    }
    TForm1& form() { return context->mainWindow(); }
    TSetupStore& store() { return form().store(); }
    TLanguageTexts parsed(const std::string& file) { return *LoadLanguageFile(test::sourceDir() / "lang" / file); }
    QString menuCaption(const char* name) {
        if (auto* menu = form().findChild<QMenu*>(name)) return menu->title();
        return form().menuAction(name)->text();
    }
};

const char* kMenuByLine[] = {nullptr,           "MenuFile",    "MenuOpen",         "MenuSave",
                             "MenuSavePicture", "MenuLoadPicture", "MenuExit",     "MenuEdit",
                             "MenuEditTimeZones", "MenuCopySetup", "MenuSensor",   "N23",
                             "MenuReceive",     "MenuTransmit", "MenuView",        "MenuEditor",
                             "N32",             "MenuPreview", "MenuDomeTracking", "MenuTools",
                             "MenuSensorOptions", "MenuReset", "N53",              "N55",
                             "MenuPassword",    "MenuHelp"};

}  // namespace

class StartUpLanguages : public MainWindowTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(StartUpLanguages, CaptionMenusHintsAndCameraNamesComeFromTheLanguageFile) {
    const std::string file = GetParam();
    startWith(file);
    const TLanguageTexts texts = parsed(file);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(form().windowTitle(), q(*texts.line("UNIT1", 51)) + "    V3.30");
    for (int line = 1; line <= 25; ++line) EXPECT_EQ(menuCaption(kMenuByLine[line]), q(*texts.line("UNIT1", line))) << line;
    EXPECT_EQ(menuCaption("MenuLanguage"), q(*texts.line("UNIT1", 47)));
    EXPECT_EQ(form().findChild<QToolButton*>("ToolButton4")->toolTip(), q(*texts.line("UNIT1", 29)));
    EXPECT_EQ(form().findChild<QToolButton*>("ToolButton17")->toolTip(), q(*texts.line("UNIT1", 50)));
    const std::string word = *texts.line("UNIT1", 37);
    for (int tz = 0; tz < kTimeZones; ++tz)
        for (int cam = 0; cam < kCameras; ++cam)
            EXPECT_EQ(cp1252ToUtf8(store().camera(tz, cam).CameraName), word + " " + std::to_string(cam + 1));
    EXPECT_EQ(store().StartDirectory, dir.path().string());
    EXPECT_EQ(form().statusPanelText(0), "Disconnected!");
}

INSTANTIATE_TEST_SUITE_P(, StartUpLanguages, ::testing::Values("English.txt", "Deutsch.txt"));

TEST_F(MainWindowTest, WithoutLanguageIniTheBuiltInTextsStay) {
    start("");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "File 'Language.ini' not found!");
    EXPECT_EQ(dialogs.messages[0].type, MessageType::Warning);
    EXPECT_EQ(form().windowTitle(), "ZEP-4   V3.30");
    EXPECT_STREQ(store().camera(3, 2).CameraName, " 3");
}

TEST_F(MainWindowTest, MissingLanguageFileIsReported) {
    start("[Language]\nSpeech=Klingon.txt");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Textfile not found!");
    EXPECT_EQ(form().windowTitle(), "ZEP-4   V3.30");
}

TEST_F(MainWindowTest, CommandsOfWindowsStillToComeAreDisabled) {
    startWith("English.txt");
    for (const char* name : {"MenuPassword", "MenuPreview"})
        EXPECT_FALSE(form().menuAction(name)->isEnabled()) << name;
    EXPECT_FALSE(form().findChild<QToolButton*>("ToolButton8")->isEnabled());
    for (const char* name : {"MenuOpen", "MenuSave", "MenuSavePicture", "MenuLoadPicture", "MenuReset", "MenuLanguage"})
        EXPECT_TRUE(form().menuAction(name)->isEnabled()) << name;
    form().setCommandEnabled("MenuPreview", true);
    EXPECT_TRUE(form().findChild<QToolButton*>("ToolButton8")->isEnabled());
}

TEST_F(MainWindowTest, TheEditorIsTheDocumentWindowAndShowsWhatTheStoreReceives) {
    startWith("English.txt");
    ASSERT_EQ(form().mdiArea()->subWindowList().size(), 1);
    QMdiSubWindow* frame = form().mdiArea()->subWindowList().first();
    EXPECT_EQ(frame->widget(), &context->drawForm());
    EXPECT_TRUE(form().menuAction("MenuEditor")->isEnabled());

    // The editor comes back from minimized, and from closed, with the "Editor" command.
    form().show();
    frame->showMinimized();
    form().menuAction("MenuEditor")->trigger();
    EXPECT_FALSE(frame->isMinimized());
    frame->close();
    form().menuAction("MenuEditor")->trigger();
    EXPECT_TRUE(frame->isVisible());

    // A received setup (the receive window closed) shows the new camera names.
    std::strcpy(store().camera(0, 1).CameraName, "Gate");
    emit form().setupReceived();
    auto* cameras = context->drawForm().findChild<QListWidget*>("ListBox1");
    ASSERT_NE(cameras, nullptr);
    EXPECT_TRUE(cameras->item(1)->text().contains("Gate")) << cameras->item(1)->text().toStdString();
}

TEST_F(MainWindowTest, UndoAndRedoInTheEditMenuActOnTheEditor) {
    startWith("English.txt");
    QAction* undo = form().menuAction("MenuUndo");
    QAction* redo = form().menuAction("MenuRedo");
    EXPECT_EQ(undo->text(), q(*parsed("English.txt").line("UNIT1", 52)));
    EXPECT_EQ(redo->text(), q(*parsed("English.txt").line("UNIT1", 53)));
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());

    // "Delete current area" on the full default area 1, confirmed.
    dialogs.answers = {MessageResult::Yes};
    context->drawForm().FlatSpeedButton10Click();
    ASSERT_EQ(store().camera(0, 0).Areas[0].Cells.at(10, 10), 0);
    ASSERT_TRUE(undo->isEnabled());
    undo->trigger();
    EXPECT_EQ(store().camera(0, 0).Areas[0].Cells.at(10, 10), 1);
    EXPECT_TRUE(redo->isEnabled());
    redo->trigger();
    EXPECT_EQ(store().camera(0, 0).Areas[0].Cells.at(10, 10), 0);

    // A reset replaces the store: nothing is left to undo.
    dialogs.answers = {MessageResult::Yes};
    form().menuAction("MenuReset")->trigger();
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());
}

TEST_F(MainWindowTest, TheUdpPortDropsWhatArrivesAndATakenPortIsShown) {
    startWith("English.txt");
    ASSERT_EQ(form().UdpSockUtil1.state(), QAbstractSocket::BoundState);
    EXPECT_EQ(form().UdpSockUtil1.localPort(), TForm1::kUdpPort);
    EXPECT_EQ(form().statusPanelText(0), "Disconnected!");
    QUdpSocket sender;
    sender.writeDatagram(QByteArray("hello"), QHostAddress::LocalHost, TForm1::kUdpPort);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form().UdpSockUtil1.hasPendingDatagrams(); }));
    EXPECT_EQ(form().statusPanelText(0), "Disconnected!");

    // Another program holds a port for itself: binding it fails, the status bar says so and
    // the program goes on.
    QUdpSocket holder;
    ASSERT_TRUE(holder.bind(QHostAddress::LocalHost, 0, QUdpSocket::DontShareAddress));
    EXPECT_FALSE(form().bindUdpPort(holder.localPort()));
    EXPECT_TRUE(form().statusPanelText(0).startsWith("UDPERROR:  ")) << form().statusPanelText(0).toStdString();
    EXPECT_TRUE(form().menuAction("MenuOpen")->isEnabled());
}

TEST_F(MainWindowTest, ResetAsksFirstAndAbortKeepsTheSetup) {
    startWith("English.txt");
    store().camera(1, 2).MaxObjects = 5;
    store().CurrentCamera = 2;
    QSignalSpy resetSpy(&form(), &TForm1::setupReset);

    dialogs.answers = {MessageResult::Abort};
    form().menuAction("MenuReset")->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, q(*parsed("English.txt").line("UNIT1", 44)));
    EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::YesAbort);
    EXPECT_EQ(dialogs.messages[0].type, MessageType::Warning);
    EXPECT_EQ(store().camera(1, 2).MaxObjects, 5);
    EXPECT_EQ(resetSpy.count(), 0);

    dialogs.answers = {MessageResult::Yes};
    form().menuAction("MenuReset")->trigger();
    EXPECT_EQ(store().camera(1, 2).MaxObjects, 32);
    EXPECT_EQ(store().CurrentCamera, 0);
    EXPECT_EQ(resetSpy.count(), 1);
    EXPECT_STREQ(store().camera(1, 2).CameraName, "Camera 3");
}

TEST_F(MainWindowTest, SaveThenOpenRestoresTheSetup) {
    startWith("English.txt");
    store().camera(2, 1).Areas[3].Cells.at(7, 9) = 1;
    store().camera(2, 1).reserved26306[1] = 0xEE;
    const auto file = dir / "site.zep";

    dialogs.choose(q(file));
    form().menuAction("MenuSave")->trigger();
    ASSERT_TRUE(fs::exists(file));
    ASSERT_TRUE(dialogs.fileRequests.back().save);
    EXPECT_EQ(dialogs.fileRequests.back().initialDirectory, q(dir.path()));
    EXPECT_EQ(dialogs.fileRequests.back().defaultSuffix, "zep");
    const auto bytes = test::readFileBytes(file);
    EXPECT_EQ((std::vector<uint8_t>(bytes.begin() + 6, bytes.begin() + 9)), (std::vector<uint8_t>{3, 3, 0}));

    form().ResetSetup();
    store().CurrentArea = 2;
    QSignalSpy replaced(&form(), &TForm1::setupReplaced);
    dialogs.choose(q(file));
    form().menuAction("MenuOpen")->trigger();
    EXPECT_EQ(replaced.count(), 1);
    EXPECT_EQ(store().camera(2, 1).Areas[3].Cells.at(7, 9), 1);
    EXPECT_EQ(store().camera(2, 1).reserved26306[1], 0xEE);
    EXPECT_EQ(store().CurrentArea, 0);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MainWindowTest, CancelledDialogsChangeNothing) {
    startWith("English.txt");
    QSignalSpy replaced(&form(), &TForm1::setupReplaced);
    QSignalSpy loaded(&form(), &TForm1::pictureLoaded);
    for (const char* name : {"MenuOpen", "MenuSave", "MenuSavePicture", "MenuLoadPicture", "MenuLanguage"})
        form().menuAction(name)->trigger();
    EXPECT_EQ(dialogs.fileRequests.size(), 5u);
    EXPECT_EQ(replaced.count() + loaded.count(), 0);
    EXPECT_TRUE(dialogs.messages.empty());
    int files = 0;
    for (auto& e : fs::directory_iterator(dir.path())) (void)e, ++files;
    EXPECT_EQ(files, 2);  // Language.ini and the language file, nothing written
}

TEST_F(MainWindowTest, DamagedFileIsReportedByNameAndTheSetupStays) {
    startWith("English.txt");
    const auto file = dir / "broken.zep";
    test::writeFileBytes(file, std::vector<uint8_t>(1000, 7));
    store().CurrentCamera = 3;
    store().camera(0, 0).MaxObjects = 9;
    QSignalSpy replaced(&form(), &TForm1::setupReplaced);
    dialogs.choose(q(file));
    form().menuAction("MenuOpen")->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].type, MessageType::Error);
    EXPECT_TRUE(dialogs.messages[0].text.contains("broken.zep")) << dialogs.messages[0].text.toStdString();
    EXPECT_TRUE(dialogs.messages[0].text.contains("time zone 1")) << dialogs.messages[0].text.toStdString();
    EXPECT_EQ(store().CurrentCamera, 3);
    EXPECT_EQ(store().camera(0, 0).MaxObjects, 9);
    EXPECT_EQ(replaced.count(), 0);
}

TEST_F(MainWindowTest, SavePictureNeedsNoExistingFileAndTheFilterChoosesTheFormat) {
    startWith("English.txt");
    store().CurrentCamera = 1;
    store().CameraPicture[1] = TPicture::Filled(720, 540, 0, 0, 255);

    dialogs.choose(q(dir / "new.bmp"), 3);
    form().menuAction("MenuSavePicture")->trigger();
    const FileDialogRequest& request = dialogs.fileRequests.back();
    EXPECT_TRUE(request.save);
    EXPECT_FALSE(request.fileMustExist);
    EXPECT_EQ(request.filterIndex, 3);
    EXPECT_EQ(request.defaultSuffix, "bmp");
    EXPECT_EQ(request.filters.size(), 3);
    auto bmp = test::readFileBytes(dir / "new.bmp");
    ASSERT_GE(bmp.size(), 2u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');

    // JPEG chosen by the filter, whatever the extension says.
    dialogs.choose(q(dir / "odd.bmp"), 1);
    form().menuAction("MenuSavePicture")->trigger();
    auto jpeg = test::readFileBytes(dir / "odd.bmp");
    ASSERT_GE(jpeg.size(), 2u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MainWindowTest, LoadPictureStretchesIntoTheCurrentCamera) {
    startWith("English.txt");
    store().CurrentCamera = 2;
    QSignalSpy loaded(&form(), &TForm1::pictureLoaded);

    test::writeFileBytes(dir / "small.jpg", EncodeJpeg(TPicture::Filled(64, 48, 250, 250, 250)));
    dialogs.choose(q(dir / "small.jpg"), 1);
    form().menuAction("MenuLoadPicture")->trigger();
    ASSERT_EQ(loaded.count(), 1);
    EXPECT_FALSE(loaded.at(0).at(0).toBool());  // a JPEG does not refresh the overlay
    const TPicture& p = store().CameraPicture[2];
    EXPECT_EQ(p.Width, 720);
    EXPECT_EQ(p.Height, 540);
    EXPECT_NEAR(p.Rgb[3 * (300 * 720 + 400)], 250, 4);
    EXPECT_EQ(store().CameraPicture[0], TPicture::Black(720, 540));
    // The editor shows it at once.
    EXPECT_NEAR(context->drawForm().picture().pixelColor(400, 300).red(), 250, 4);

    QImage image(720, 540, QImage::Format_RGB32);
    image.fill(QColor(10, 200, 30));
    ASSERT_TRUE(image.save(q(dir / "green.bmp"), "BMP"));
    dialogs.choose(q(dir / "green.bmp"), 3);
    form().menuAction("MenuLoadPicture")->trigger();
    ASSERT_EQ(loaded.count(), 2);
    EXPECT_TRUE(loaded.at(1).at(0).toBool());
    EXPECT_EQ(store().CameraPicture[2].Rgb[1], 200);
    EXPECT_EQ(context->drawForm().picture().pixelColor(400, 300), QColor(10, 200, 30));

    // Saving writes what the editor shows.
    dialogs.choose(q(dir / "again.bmp"), 3);
    form().menuAction("MenuSavePicture")->trigger();
    QImage saved;
    ASSERT_TRUE(saved.load(q(dir / "again.bmp"), "BMP"));
    EXPECT_EQ(saved.pixelColor(400, 300), QColor(10, 200, 30));
}

TEST_F(MainWindowTest, UnreadablePictureIsReportedAndThePictureStays) {
    startWith("English.txt");
    test::writeFileText(dir / "fake.jpg", "not a picture at all");
    store().CameraPicture[0] = TPicture::Filled(720, 540, 1, 2, 3);
    for (int filter : {1, 3}) {
        dialogs.choose(q(dir / "fake.jpg"), filter);
        form().menuAction("MenuLoadPicture")->trigger();
    }
    ASSERT_EQ(dialogs.messages.size(), 2u);
    for (const auto& m : dialogs.messages) {
        EXPECT_EQ(m.type, MessageType::Error);
        EXPECT_TRUE(m.text.contains("fake.jpg"));
    }
    EXPECT_EQ(store().CameraPicture[0], TPicture::Filled(720, 540, 1, 2, 3));
}

TEST_F(MainWindowTest, CloseAsksAndCancelKeepsTheProgramOpen) {
    startWith("English.txt");
    form().show();
    dialogs.answers = {MessageResult::Cancel};
    EXPECT_FALSE(form().close());
    EXPECT_TRUE(form().isVisible());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, q(*parsed("English.txt").line("UNIT1", 49)));
    EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::YesCancel);
    EXPECT_EQ(dialogs.messages[0].type, MessageType::Confirmation);
    dialogs.answers = {MessageResult::Yes};
    EXPECT_TRUE(form().close());
}

struct LanguageSwitchCase {
    const char* name;
    bool outside;  // the chosen file lies outside the start folder
};

class LanguageSwitch : public MainWindowTest, public ::testing::WithParamInterface<LanguageSwitchCase> {};

TEST_P(LanguageSwitch, AppliesTheTextsAndRecordsTheChoice) {
    startWith("English.txt");
    TempDir elsewhere;
    const fs::path chosen = GetParam().outside ? elsewhere / "Deutsch.txt" : dir / "Deutsch.txt";
    fs::copy_file(test::sourceDir() / "lang" / "Deutsch.txt", chosen);
    dialogs.choose(q(chosen));
    form().menuAction("MenuLanguage")->trigger();

    const TLanguageTexts german = parsed("Deutsch.txt");
    EXPECT_EQ(menuCaption("MenuFile"), q(*german.line("UNIT1", 1)));
    EXPECT_EQ(form().windowTitle(), q(*german.line("UNIT1", 51)) + "    V3.30");
    const std::string expectedEntry = GetParam().outside ? chosen.string() : "Deutsch.txt";
    EXPECT_EQ(test::readFileText(dir / "Language.ini"), "[Language]\nSpeech=" + expectedEntry);
    EXPECT_STREQ(store().camera(0, 0).CameraName, "Camera 1");  // names made earlier stay

    // The recorded choice is what the next start reads.
    context.reset();
    dialogs.messages.clear();
    start("");
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(form().windowTitle(), q(*german.line("UNIT1", 51)) + "    V3.30");
    EXPECT_STREQ(store().camera(0, 0).CameraName, "Kamera 1");
}

INSTANTIATE_TEST_SUITE_P(, LanguageSwitch,
                         ::testing::Values(LanguageSwitchCase{"InsideStartFolder", false},
                                           LanguageSwitchCase{"OutsideStartFolder", true}),
                         [](const auto& info) { return std::string(info.param.name); });
